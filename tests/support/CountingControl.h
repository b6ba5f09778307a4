// A control for tests: it counts its actions and the events it is offered,
// writes each offer, action and draw into an optional shared log
// ("name:offer", "name:click", "name:draw"), and lets the test choose
// whether it is active, pushable and accepts the focus, and what its click
// does besides counting.
#pragma once

#include "ui/UIControl.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CountingControl : public UIControl {
public:
    // The control owns the delegate, as every control does.
    CountingControl(UIControlDelegate* delegate, const std::string& name = "control",
                    std::vector<std::string>* log = nullptr);

    bool handleEvent(const HEvent& e) override;
    void drawControl(const HScreenRect& clip) override;
    void clickAction() override;
    void unclickAction() override;
    void dragAction(const HEvent& e) override;
    bool keyDownAction(const HEvent& e) override;
    bool isActive() const override;
    bool m_acceptsFocus() const override;
    bool m_isPushable() const override;

    void setActive(bool active) { m_bActive = active; }
    void setAcceptsFocus(bool accepts) { m_bAcceptsFocus = accepts; }
    void setPushable(bool pushable) { m_bPushable = pushable; }
    // Runs inside clickAction, after the count.
    void setOnClick(const std::function<void()>& onClick) { m_onClick = onClick; }

    int32_t offers() const { return m_iOffers; }
    int32_t clicks() const { return m_iClicks; }
    int32_t unclicks() const { return m_iUnclicks; }
    int32_t drags() const { return m_iDrags; }
    int32_t keyDowns() const { return m_iKeyDowns; }
    void clearCounts();

private:
    void m_log(const char* what);

    std::string m_name;
    std::vector<std::string>* m_pLog;
    std::function<void()> m_onClick;
    bool m_bActive;
    bool m_bAcceptsFocus;
    bool m_bPushable;
    int32_t m_iOffers;
    int32_t m_iClicks;
    int32_t m_iUnclicks;
    int32_t m_iDrags;
    int32_t m_iKeyDowns;
};
