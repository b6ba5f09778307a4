// The interface of the image loaders: each reads one image file through a
// file system and decodes it into an HImage that it owns until unload() (or
// until the loader proxy takes it over). Every image file is untrusted: a
// loader refuses what it cannot decode correctly with a false result and
// never reads outside the file's bytes.
#pragma once

#include <cstddef>
#include <cstdint>

class HFileSystem;
class HImage;

class HImageLoader {
public:
    // Widest and tallest image any loader accepts, in pixels.
    static constexpr int32_t kMaxImageDimension = 4096;

    HImageLoader();
    // Does not free the image: unload() does.
    virtual ~HImageLoader();

    HImageLoader(const HImageLoader&) = delete;
    HImageLoader& operator=(const HImageLoader&) = delete;

    virtual bool load(HFileSystem* fs, const char* name) = 0;
    // Deletes the image and clears the pointer; nothing when there is none.
    virtual void unload() = 0;
    // The decoded image, or null.
    virtual HImage* getImage() = 0;

    // Hands the image over to the caller, who then owns it; the loader is
    // left without one.
    HImage* m_takeImage();

protected:
    // Opens `name` through `fs` and reads the whole file with one read into a
    // buffer allocated with new[] (the caller frees it with delete[]). Null
    // when the file is missing, cannot be allocated or reads short.
    static uint8_t* m_readWholeFile(HFileSystem* fs, const char* name, size_t* size);
    // Shared by the concrete loaders: drops the image, if any.
    void m_deleteImage();

    HImage* m_pImage;
};
