// The options dialog: the two live volume sliders, the full-screen and
// automatic-hint switches, the way to the best times and to the partner
// link, and the button that closes it. It edits the game's options record in
// place; the game saves the record and carries out a full-screen change once
// the dialog has closed.
#pragma once

#include "game/QVMusicSlider.h"
#include "game/QVSoundSlider.h"
#include "game/QVDialog.h"
#include "ui/MVDialogItemButton.h"
#include "ui/MVSprite.h"

class H2DDisplayDevice;
class HFileSystem;
struct QVOptions;

class QVOptionsDialog : public QVDialog {
public:
    QVOptionsDialog();
    ~QVOptionsDialog() override;

    // "Ok Button" and "Visit Partner" close the dialog; the switches and
    // "Best Times" keep it open (unless the game is quitting after the
    // best-times dialog, which closes this one too).
    bool handleItemClick(MVDialogItem* item) override;
    // Alt+Enter (the input device's full-screen request), which the art
    // names beside the full-screen switch, is the switch's own key while
    // the dialog is up: it flips the switch as a click does. Everything
    // else as in the base.
    bool m_handleEvent(const HEvent& e) override;

    // Loads the twelve sprites, lays the dialog out at (125, 0) and adds the
    // items with the record's values; keeps the record (not owned). True.
    bool initDialog(H2DDisplayDevice* display, HFileSystem* files, QVOptions* options);

    MVDialogItemButton* getOkButton() { return &m_okButton; }
    MVDialogItemButton* getBestTimesButton() { return &m_bestTimesButton; }
    MVDialogItemButton* getVisitPartnerButton() { return &m_visitPartnerButton; }
    MVDialogItemButton* getFullscreenButton() { return &m_fullscreenButton; }
    MVDialogItemButton* getAutoHintButton() { return &m_autoHintButton; }
    QVSoundSlider* getSoundSlider() { return &m_soundSlider; }
    QVMusicSlider* getMusicSlider() { return &m_musicSlider; }

protected:
    // The on pair for 1, the off pair for 0.
    void m_showSwitch(MVDialogItemButton* button, int32_t value);

    QVOptions* m_pOptions; // not owned

    MVDialogItemButton m_okButton;
    MVDialogItemButton m_bestTimesButton;
    MVDialogItemButton m_visitPartnerButton;
    MVDialogItemButton m_fullscreenButton;
    MVDialogItemButton m_autoHintButton;
    QVSoundSlider m_soundSlider;
    QVMusicSlider m_musicSlider;

    MVSprite m_backgroundSprite;
    MVSprite m_okSprite;
    MVSprite m_okLitSprite;
    MVSprite m_bestTimesSprite;
    MVSprite m_bestTimesLitSprite;
    MVSprite m_visitSprite;
    MVSprite m_visitLitSprite;
    MVSprite m_knobSprite;
    MVSprite m_onSprite;
    MVSprite m_onLitSprite;
    MVSprite m_offSprite;
    MVSprite m_offLitSprite;
};
