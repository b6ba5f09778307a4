// The root of the engine's object classes: an instance number, an advisory
// reference count, and the class questions answered from the class registry
// (no compiler type information is used anywhere).
#pragma once

#include "engine/core/HClassInfo.h"

#include <cstdint>

class HObject {
public:
    HObject();
    // A copy is a new object: it takes a fresh instance number and starts
    // with a reference count of 0.
    HObject(const HObject& other);
    HObject& operator=(const HObject& other);

    static HClassInfo sm_classInfoHObject;

    virtual const HClassInfo* getClassInfo() const;
    virtual ~HObject();
    // No class overrides it: raises a developer alert and returns null.
    virtual HObject* clone() const;
    // The class name, cut to len - 1 characters.
    virtual const char* toString(char* buf, int len) const;
    virtual int getRefCount() const;
    // Only count; nothing is freed at 0, and the count may go below 0.
    virtual void retain();
    virtual void release();
    // Hash of the class name plus the instance number, wrapping.
    virtual uint32_t getHash() const;

    bool isA(const HClassInfo* info) const;
    bool isKindOf(const HClassInfo* info) const;
    const char* getClassName() const;
    const char* getBaseClassName() const;

    int32_t getObjectInstance() const { return m_iObjectInstance; }

private:
    int32_t m_iObjectInstance;
    int32_t m_iRefCount;

    // Incremented before use: the first object of the process gets 1.
    static int32_t sm_iObjectInstance;
};
