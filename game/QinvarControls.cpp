// The buttons of the game screen: the left panel's buttons, the start
// screen's start button and pickers, the continue buttons of the end screens
// and the labels of the information strip.
#include "game/Qinvar.h"

// --- Not built yet ---

void Qinvar::m_createControls()
{
}
