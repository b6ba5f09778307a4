// Loads an image of any supported kind: picks the TGA, JPEG or PNG loader by
// the file name and takes the decoded image over from it. Sprites load their
// art only through the proxy.
#pragma once

#include "engine/media/HImageLoader.h"

class HImageLoaderProxy : public HImageLoader {
public:
    enum Kind : int32_t { KIND_UNKNOWN = 0, KIND_TGA = 1, KIND_JPEG = 2, KIND_PNG = 3 };

    HImageLoaderProxy();
    // Does not free the image taken over: unload() does.
    ~HImageLoaderProxy() override;

    bool load(HFileSystem* fs, const char* name) override;
    void unload() override;
    HImage* getImage() override;

    // The name is searched, case-sensitively and anywhere in it, for ".tga",
    // then ".jpg" or ".jpeg", then ".png"; the last test that matches decides.
    static Kind s_kindOf(const char* name);
};
