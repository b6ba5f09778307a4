// A collision map: an object that loads itself from a file of a file system.
// The framework's asset loader accepts a table of them beside the sprite
// table; this game has none, so the class is only the interface.
#pragma once

class HFileSystem;

class MVCollisionMap {
public:
    virtual ~MVCollisionMap() = default;
    // True when the file was read and the map built.
    virtual bool loadCollisionMap(HFileSystem* files, const char* fileName) = 0;
};

// One line of a table of collision maps; a line without a file name is skipped.
struct MVCollisionMapInfo {
    MVCollisionMap* map;  // not owned
    const char* fileName; // null: skipped
};
