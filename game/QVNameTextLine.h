// The editable line of the name entry. It holds printable ASCII only
// (characters 32 to 126): every glyph of a name then lies in the game's
// font, and a name typed or pasted here shows the same in the best times.
#pragma once

#include "ui/MVDialogItemTextLine.h"

class QVNameTextLine : public MVDialogItemTextLine {
public:
    QVNameTextLine();
    ~QVNameTextLine() override;

    // The base line's editing; whatever it let in that is not printable
    // ASCII (a character above 126, a pasted control code) is taken out
    // again. Returns the base's result.
    bool handleEvent(const HEvent& e) override;

    // Removes every byte outside 32 to 126 from the terminated text, in place.
    static void s_keepPrintable(char* text);
};
