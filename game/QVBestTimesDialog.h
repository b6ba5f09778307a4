// The best-times dialog: the 8 best results of one layout at a time, with
// arrows to step through the 18 layouts, a Clear button that empties the
// shown layout after a confirmation, and OK. The entry made last in this
// run blinks, and only while its own layout is shown.
#pragma once

#include "game/QVHighScore.h"
#include "game/QVDialog.h"
#include "ui/MVDialogItemButton.h"
#include "ui/MVDialogItemTextLine.h"
#include "ui/MVSprite.h"

#include <cstdint>

class H2DDisplayDevice;
class HFileSystem;
class Qinvar;

class QVBestTimesDialog : public QVDialog {
public:
    static constexpr int kLayouts = 18;
    static constexpr int kPlaces = 8;

    QVBestTimesDialog();
    ~QVBestTimesDialog() override;

    // OK and the layout title close the dialog; the arrows step the layout;
    // Clear asks, then clears and stores the shown layout. A quit request
    // in the confirmation closes this dialog too.
    bool handleItemClick(MVDialogItem* item) override;

    // Lays the dialog out at (125, 0) showing `layout` of the table, with the
    // game's arrow and layout-title sprites, font and latest-entry markers.
    // The game answers the Clear button. True.
    bool initDialog(H2DDisplayDevice* display, HFileSystem* files, QVHighScore table[kLayouts][kPlaces],
                    int32_t layout, Qinvar* game);
    // Copies the table and writes the shown layout's 32 text lines.
    void loadTextLines(QVHighScore table[kLayouts][kPlaces]);

    int32_t getShownLayout() const { return m_iShownLayout; }
    MVDialogItemButton* getOkButton() { return &m_okButton; }
    MVDialogItemButton* getNextButton() { return &m_nextButton; }
    MVDialogItemButton* getPreviousButton() { return &m_previousButton; }
    MVDialogItemTextLine* getNameLine(int32_t place) { return &m_aNameLines[place]; }
    MVDialogItemTextLine* getGameTimeLine(int32_t place) { return &m_aGameTimeLines[place]; }
    MVDialogItemTextLine* getRealTimeLine(int32_t place) { return &m_aRealTimeLines[place]; }
    MVDialogItemTextLine* getTilesLine(int32_t place) { return &m_aTilesLines[place]; }

protected:
    // Shows layout + delta, wrapping round the 18 layouts.
    void m_stepLayout(int32_t delta);
    // The title button shows the shown layout's title.
    void m_showTitle();

    Qinvar* m_pGame; // not owned
    int32_t m_iShownLayout;
    QVHighScore m_aTable[kLayouts][kPlaces];

    MVDialogItemButton m_okButton;
    MVDialogItemButton m_clearButton;
    MVDialogItemButton m_nextButton;
    MVDialogItemButton m_previousButton;
    MVDialogItemButton m_titleButton;
    MVDialogItemTextLine m_aNameLines[kPlaces];
    MVDialogItemTextLine m_aGameTimeLines[kPlaces];
    MVDialogItemTextLine m_aRealTimeLines[kPlaces];
    MVDialogItemTextLine m_aTilesLines[kPlaces];

    MVSprite m_clearLitSprite;
    MVSprite m_okLitSprite;
    MVSprite m_backgroundSprite;
};
