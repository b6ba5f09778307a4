// The loader proxy.
#include "engine/media/HImageLoaderProxy.h"

#include "engine/core/HErrorManager.h"
#include "engine/media/HImage.h"
#include "engine/media/HJPGLoader.h"
#include "engine/media/HPNGLoader.h"
#include "engine/media/HTGALoader.h"

#include <cstring>

HImageLoaderProxy::HImageLoaderProxy() = default;

HImageLoaderProxy::~HImageLoaderProxy() = default;

HImageLoaderProxy::Kind HImageLoaderProxy::s_kindOf(const char* name)
{
    Kind kind = KIND_UNKNOWN;
    if (!name)
        return kind;
    if (std::strstr(name, ".tga"))
        kind = KIND_TGA;
    if (std::strstr(name, ".jpg") || std::strstr(name, ".jpeg"))
        kind = KIND_JPEG;
    if (std::strstr(name, ".png"))
        kind = KIND_PNG;
    return kind;
}

bool HImageLoaderProxy::load(HFileSystem* fs, const char* name)
{
    // An image taken over by an earlier load would otherwise be lost.
    unload();
    HImageLoader* loader = nullptr;
    switch (s_kindOf(name)) {
    case KIND_TGA:
        loader = new HTGALoader();
        break;
    case KIND_JPEG:
        loader = new HJPGLoader();
        break;
    case KIND_PNG:
        loader = new HPNGLoader();
        break;
    default:
        HErrorManager::s_db_alert("HImageLoaderProxy::load - unknown file type for file '%s'", name ? name : "");
        return false;
    }
    const bool ok = loader->load(fs, name);
    if (ok)
        m_pImage = loader->m_takeImage();
    else
        loader->unload();
    delete loader;
    return ok;
}

void HImageLoaderProxy::unload()
{
    m_deleteImage();
}

HImage* HImageLoaderProxy::getImage()
{
    return m_pImage;
}
