// The base of the game's own dialogs: the art each one loads for itself,
// given back in one go when it closes, and the click of its buttons. A
// sprite that fails to load takes no reference, so it gives none back
// either; and since the dialog notes what it loaded, its load and unload
// stay in balance without a second list of its sprites. The game runs every
// one of them the same way (Qinvar::m_runDialog).
#pragma once

#include "game/ScreenGeometry.h"
#include "ui/MVDialog.h"

#include <cstdint>

class H2DDisplayDevice;
class HFileSystem;
class MVDialogItemButton;
class MVSprite;

class QVDialog : public MVDialog {
public:
    // The most sprites one dialog loads (the options dialog has twelve);
    // beyond it nothing loads.
    static constexpr int32_t kMaxArt = 16;

    QVDialog();
    // Frees nothing: the sprites are the subclass's members.
    ~QVDialog() override;

    // Gives back the reference each m_loadArt took, in the order of loading,
    // and forgets them.
    void unloadDialogSprites();

protected:
    // Loads the named art into the sprite (a member of the dialog) and notes
    // it for unloadDialogSprites; true when it holds a surface. A missing
    // sprite, device or name loads nothing.
    bool m_loadArt(MVSprite* sprite, H2DDisplayDevice* device, HFileSystem* files, const char* name);
    // The GUI click, through the game that runs the dialog; overlapping
    // allowed.
    void m_playGuiClick();
    // The background, and the dialog's origin worked out from its size by
    // `at` (a dialog's formula of the screen geometry); the background's
    // size (right and bottom, from (0, 0)). Buttons take their screen places
    // from the origin when they are added.
    HScreenRect m_placeBackground(MVSprite* background, geo::Point (*at)(int32_t w, int32_t h));
    // A button's name, its normal and lit pictures (no disabled one) and
    // its place in the dialog.
    static void s_setUpButton(MVDialogItemButton* button, const char* name, MVSprite* normal, MVSprite* lit,
                              geo::Point at);

private:
    MVSprite* m_apArt[kMaxArt];
    int32_t m_iArtCount;
};
