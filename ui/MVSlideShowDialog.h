// A slide show: pages through a series of full-dialog images with previous,
// next and done buttons. Each slide in turn is the dialog's background; only
// the done button (or Enter, done being the default item) closes it. A quit
// request while it is open does not close it: it is queued again once the
// dialog has closed, so the window's close is not lost.
//
// It reports MVDialog's class record; it has none of its own.
#pragma once

#include "ui/MVDialog.h"
#include "ui/MVDialogItemButton.h"
#include "ui/MVSprite.h"

class H2DDisplayDevice;
class HFileSystem;

class MVSlideShowDialog : public MVDialog {
public:
    // No slides.
    MVSlideShowDialog();
    // Frees a slide array that unloadDialogSprites has not freed.
    ~MVSlideShowDialog() override;

    // The base loop; a quit request taken during it is queued again on the
    // event manager after it.
    intptr_t doModal(HPuzzleGame* game, H2DDisplayDevice* device, HEventManager* events, int32_t timeoutMs,
                     void* userData) override;
    // Done closes; previous and next turn the page.
    bool handleItemClick(MVDialogItem* item) override;
    // A quit request is remembered and taken; everything else goes to the base.
    bool m_handleEvent(const HEvent& e) override;

    // Loads the slides and the six button sprites (done, done lit, next,
    // next lit, previous, previous lit) and lays the dialog out at (x, y):
    // 1. With no slide to show (a count below 1 or no list) nothing is
    // loaded or laid out and the result is 0.
    int initDialog(int32_t x, int32_t y, H2DDisplayDevice* device, HFileSystem* files, const char* done,
                   const char* doneLit, const char* next, const char* nextLit, const char* previous,
                   const char* previousLit, const char** slides, int32_t count);
    // Unloads every slide and frees their array, then unloads the buttons' art.
    void unloadDialogSprites();

    int32_t getSlideCount() const { return m_iSlideCount; }
    int32_t getCurrentSlide() const { return m_iCurrentSlide; }
    MVSprite* getSlide(int32_t i) const { return i >= 0 && i < m_iSlideCount ? &m_pSlides[i] : nullptr; }
    MVDialogItemButton* getDoneButton() { return &m_doneButton; }
    MVDialogItemButton* getPreviousButton() { return &m_previousButton; }
    MVDialogItemButton* getNextButton() { return &m_nextButton; }

protected:
    MVDialogItemButton m_doneButton;
    MVDialogItemButton m_previousButton;
    MVDialogItemButton m_nextButton;
    MVSprite m_doneSprite;
    MVSprite m_doneLitSprite;
    MVSprite m_nextSprite;
    MVSprite m_nextLitSprite;
    MVSprite m_previousSprite;
    MVSprite m_previousLitSprite;
    MVSprite* m_pSlides; // new[] by initDialog
    int32_t m_iSlideCount;
    int32_t m_iCurrentSlide; // 0 to count - 1
    bool m_bQuitPending;     // a quit request arrived while open
};
