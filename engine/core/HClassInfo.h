// The engine's own class registry: one static record per registered class,
// naming the class and its base class. Records are linked into one list
// during static initialisation and never removed. Base classes are named by
// text and resolved by name whenever the chain is followed, so a class may
// register before its base.
#pragma once

struct HClassInfo {
    HClassInfo* m_pNext;            // the record registered before this one
    const char* m_pszClassName;
    const char* m_pszBaseClassName; // null for HObject only

    static HClassInfo* sm_pRegisteredClassHead;

    // First record whose name equals `name` without regard to case, or null.
    static HClassInfo* s_findClass(const char* name);
    // The record named by the base-class name, or null.
    HClassInfo* getBaseClass() const;
    // True when this record is `other` or one of its named ancestors is.
    bool isKindOf(const HClassInfo* other) const;
};

// Links a class record into the registry when its source file's static
// initialisation runs.
class HClassRegistration {
public:
    explicit HClassRegistration(HClassInfo& info);
};

// Declares a class's record and its getClassInfo override inside the class body.
#define H_DECLARE_CLASS(cls)                                                     \
public:                                                                          \
    static HClassInfo sm_classInfo##cls;                                         \
    const HClassInfo* getClassInfo() const override;                             \
                                                                                 \
private:

// Defines the record and registers it; used once, in the class's own source file.
#define H_IMPLEMENT_CLASS(cls, baseName)                                         \
    HClassInfo cls::sm_classInfo##cls = {nullptr, #cls, baseName};               \
    static HClassRegistration s_classRegistration##cls(cls::sm_classInfo##cls);  \
    const HClassInfo* cls::getClassInfo() const { return &sm_classInfo##cls; }
