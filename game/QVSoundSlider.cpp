// The sound-effects slider of the options dialog.
#include "game/QVSoundSlider.h"

#include "game/QVOptions.h"

QVSoundSlider::QVSoundSlider() : MVDialogItemSlider(), m_pOptions(nullptr) {}

QVSoundSlider::~QVSoundSlider() = default;

bool QVSoundSlider::handleEvent(const HEvent& e)
{
    const float before = getSliderValue();
    const bool taken = MVDialogItemSlider::handleEvent(e);
    const float after = getSliderValue();
    if (after != before && m_pOptions)
        m_pOptions->setSoundVolume(after);
    return taken;
}
