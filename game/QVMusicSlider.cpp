// The music slider of the options dialog.
#include "game/QVMusicSlider.h"

#include "framework/HPuzzleGame.h"
#include "game/QVOptions.h"
#include "ui/MVDialog.h"

QVMusicSlider::QVMusicSlider() : MVDialogItemSlider(), m_pOptions(nullptr) {}

QVMusicSlider::~QVMusicSlider() = default;

bool QVMusicSlider::handleEvent(const HEvent& e)
{
    const float before = getSliderValue();
    const bool taken = MVDialogItemSlider::handleEvent(e);
    const float after = getSliderValue();
    if (after != before) {
        if (m_pOptions)
            m_pOptions->setMusicVolume(after);
        // The game that runs the dialog owns the mixer.
        if (m_pParentDialog && m_pParentDialog->getPuzzleGame())
            m_pParentDialog->getPuzzleGame()->setSoundtrackVolume(after);
    }
    return taken;
}
