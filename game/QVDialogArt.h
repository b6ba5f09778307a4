// Loading and unloading the art of the game's dialogs. A sprite that fails
// to load takes no reference, so it must not give one back either: these
// two keep each dialog's load and unload in balance.
#pragma once

class H2DDisplayDevice;
class HFileSystem;
class MVSprite;

class QVDialogArt {
public:
    QVDialogArt() = delete;

    // Loads the named art into the sprite; true when it holds a surface. A
    // missing device or name loads nothing.
    static bool s_load(MVSprite* sprite, H2DDisplayDevice* device, HFileSystem* files, const char* name);
    // Gives back the reference a load took, when it took one.
    static void s_unload(MVSprite* sprite);
};
