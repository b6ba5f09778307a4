// A slider: a knob sprite dragged along a track of `length` pixels, value 0
// to 1. The origin, relative to the dialog's top-left corner, is the knob's
// centre at value 0; the track runs to the right (horizontal) or downwards
// (vertical). The rectangle is the knob's, on the screen. While dragged the
// slider holds the dialog's focus, so it sees the mouse moves first.
#pragma once

#include "ui/MVDialogItem.h"

class MVDialogItemSlider : public MVDialogItem {
    H_DECLARE_CLASS(MVDialogItemSlider)
public:
    // 0 horizontal; any other value vertical.
    enum SliderOrientation_t : int32_t {
        SO_HORIZONTAL = 0,
        SO_VERTICAL = 1,
    };

    // Not dragging, length 250, horizontal, value 0, no knob.
    MVDialogItemSlider();
    ~MVDialogItemSlider() override;

    // The knob's visible part; nothing without a knob.
    void drawDialogItem(H2DDisplayDevice* device, const HScreenRect& clip) override;
    // Press on the knob starts a drag, release ends it, moves while dragging
    // set the value from the pointer. The enabled flag is not looked at.
    bool handleEvent(const HEvent& e) override;
    // The knob's rectangle at the current value; unchanged without a knob.
    void m_updateSpriteRect() override;

    // Stores both; recomputes nothing.
    virtual void setSliderParameters(SliderOrientation_t orientation, int32_t length);
    // Stores the value as given (NaN as 0), then places the knob; nothing is
    // invalidated.
    virtual void setSliderValue(float value);
    virtual float getSliderValue() const;
    // The knob (not owned); then places it.
    virtual void setSliderSprite(const MVSprite* sprite);

    bool isDragging() const { return m_bDragging; }

protected:
    bool m_bDragging;
    int32_t m_iSliderLength; // pixels
    SliderOrientation_t m_sliderOrientation;
    float m_fSliderValue;
    const MVSprite* m_pSliderSprite; // not owned
};
