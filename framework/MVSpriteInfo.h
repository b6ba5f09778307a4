// One line of a game's table of art: the sprite to fill and the image file
// in the resource archive that fills it. The asset loader skips a line
// without a file name (a slot that is loaded later, or never).
#pragma once

class MVSprite;

struct MVSpriteInfo {
    MVSprite* sprite;     // not owned
    const char* fileName; // null: not loaded with the table
};
