// The options dialog's sound-effects slider: while the knob is dragged its
// value goes straight into the player's sound volume, so the next sound
// effect already plays at the new level.
#pragma once

#include "ui/MVDialogItemSlider.h"

struct QVOptions;

class QVSoundSlider : public MVDialogItemSlider {
public:
    // No options record: the slider then moves without writing anywhere.
    QVSoundSlider();
    ~QVSoundSlider() override;

    // The base slider's handling; when it changed the value, the value
    // becomes the record's sound volume. Returns the base's result.
    bool handleEvent(const HEvent& e) override;

    // The record the slider writes (not owned).
    void setOptions(QVOptions* options) { m_pOptions = options; }

protected:
    QVOptions* m_pOptions;
};
