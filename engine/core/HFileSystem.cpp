// The abstract file system.
#include "engine/core/HFileSystem.h"

#include "engine/core/HUtil.h"

HFileSystem::HFileSystem() : m_szAssetDir()
{
}

HFileSystem::~HFileSystem() = default;

bool HFileSystem::initFileSystem(const char* /*assetDir*/)
{
    return true;
}

void HFileSystem::shutdownFileSystem()
{
}

void HFileSystem::m_setAssetDir(const char* dir)
{
    HUtil::s_strcpy(m_szAssetDir, dir ? dir : "", sizeof(m_szAssetDir));
}
