// The root object: instance numbers, reference counts and class questions.
#include "engine/core/HObject.h"

#include "engine/core/HErrorManager.h"
#include "engine/core/HUtil.h"

int32_t HObject::sm_iObjectInstance = 0;

HClassInfo HObject::sm_classInfoHObject = {nullptr, "HObject", nullptr};
static HClassRegistration s_classRegistrationHObject(HObject::sm_classInfoHObject);

HObject::HObject() : m_iObjectInstance(++sm_iObjectInstance), m_iRefCount(0)
{
}

HObject::HObject(const HObject& /*other*/) : m_iObjectInstance(++sm_iObjectInstance), m_iRefCount(0)
{
}

HObject& HObject::operator=(const HObject& /*other*/)
{
    // Identity and count belong to the object, not to its value.
    return *this;
}

HObject::~HObject() = default;

const HClassInfo* HObject::getClassInfo() const
{
    return &sm_classInfoHObject;
}

HObject* HObject::clone() const
{
    HErrorManager::s_db_alert("%s has not implemented clone()", getClassName());
    return nullptr;
}

const char* HObject::toString(char* buf, int len) const
{
    return HUtil::s_strcpy(buf, getClassName(), len);
}

int HObject::getRefCount() const
{
    return m_iRefCount;
}

void HObject::retain()
{
    ++m_iRefCount;
}

void HObject::release()
{
    --m_iRefCount;
}

uint32_t HObject::getHash() const
{
    return HUtil::s_hashString(getClassName()) + static_cast<uint32_t>(m_iObjectInstance);
}

bool HObject::isA(const HClassInfo* info) const
{
    return getClassInfo() == info;
}

bool HObject::isKindOf(const HClassInfo* info) const
{
    return getClassInfo()->isKindOf(info);
}

const char* HObject::getClassName() const
{
    return getClassInfo()->m_pszClassName;
}

const char* HObject::getBaseClassName() const
{
    return getClassInfo()->m_pszBaseClassName;
}
