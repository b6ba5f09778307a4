// The abstract open file.
#include "engine/core/HFile.h"

#include "engine/core/HFileSystem.h"
#include "engine/core/HUtil.h"

H_IMPLEMENT_CLASS(HFile, "HObject")

HFile::HFile() : m_mode(MODE_READ), m_szName(), m_iLength(0), m_pFileSystem(nullptr), m_pHandle(nullptr)
{
}

HFile::~HFile() = default;

void HFile::flush()
{
}

void HFile::close()
{
    if (m_pFileSystem)
        m_pFileSystem->m_closeFile(this);
}

int HFile::length() const
{
    return m_iLength;
}

const char* HFile::getName() const
{
    return m_szName;
}

void HFile::m_setName(const char* name)
{
    HUtil::s_strcpy(m_szName, name, sizeof(m_szName));
}
