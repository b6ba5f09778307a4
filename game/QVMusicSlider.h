// The options dialog's music slider: while the knob is dragged its value
// goes into the player's music volume and at once into the mixer, so the
// soundtrack changes as the knob moves.
#pragma once

#include "ui/MVDialogItemSlider.h"

struct QVOptions;

class QVMusicSlider : public MVDialogItemSlider {
public:
    // No options record: the slider then only sets the soundtrack's volume.
    QVMusicSlider();
    ~QVMusicSlider() override;

    // The base slider's handling; when it changed the value, the value
    // becomes the record's music volume and the running game's soundtrack
    // volume. Returns the base's result.
    bool handleEvent(const HEvent& e) override;

    // The record the slider writes (not owned).
    void setOptions(QVOptions* options) { m_pOptions = options; }

protected:
    QVOptions* m_pOptions;
};
