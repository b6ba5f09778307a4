// The class registry: lookup by name and the kind-of test.
#include "engine/core/HClassInfo.h"

#include "engine/core/HUtil.h"

HClassInfo* HClassInfo::sm_pRegisteredClassHead = nullptr;

HClassRegistration::HClassRegistration(HClassInfo& info)
{
    info.m_pNext = HClassInfo::sm_pRegisteredClassHead;
    HClassInfo::sm_pRegisteredClassHead = &info;
}

HClassInfo* HClassInfo::s_findClass(const char* name)
{
    for (HClassInfo* p = sm_pRegisteredClassHead; p; p = p->m_pNext) {
        if (HUtil::s_stricmp(p->m_pszClassName, name) == 0)
            return p;
    }
    return nullptr;
}

HClassInfo* HClassInfo::getBaseClass() const
{
    if (!m_pszBaseClassName)
        return nullptr;
    return s_findClass(m_pszBaseClassName);
}

bool HClassInfo::isKindOf(const HClassInfo* other) const
{
    // Re-resolved by name at every step; a chain that names itself (which no
    // registered class does) ends after a bounded number of steps.
    const HClassInfo* p = this;
    for (int depth = 0; p && depth < 256; ++depth) {
        if (p == other)
            return true;
        p = p->getBaseClass();
    }
    return false;
}
