// The object model and the class registry.
#include "engine/core/HObject.h"
#include "engine/core/HObjectList.h"
#include "engine/core/HObjectListNode.h"
#include "engine/core/HObjectStack.h"
#include "engine/core/HStandardFile.h"
#include "engine/core/HUtil.h"

#include "tests/support/DiagnosticRecorder.h"

#include <gtest/gtest.h>

namespace {

// A class with its own record, registered from this file, and a subclass of it
// without one, which answers as its parent.
class TestControl : public HObject {
    H_DECLARE_CLASS(TestControl)
};
H_IMPLEMENT_CLASS(TestControl, "HObject")

class TestGameControl : public TestControl {};

TEST(HObject, InstanceNumbersIncreaseAndCopiesTakeAFreshOne)
{
    HObject a;
    HObject b;
    EXPECT_EQ(b.getObjectInstance(), a.getObjectInstance() + 1);
    HObject c(a);
    EXPECT_EQ(c.getObjectInstance(), b.getObjectInstance() + 1);
    c.retain();
    HObject d;
    d = c;
    EXPECT_EQ(d.getRefCount(), 0) << "assignment copies neither identity nor count";
    EXPECT_NE(d.getObjectInstance(), c.getObjectInstance());
}

TEST(HObject, ReferenceCountIsAdvisory)
{
    HObject o;
    EXPECT_EQ(o.getRefCount(), 0);
    o.release();
    EXPECT_EQ(o.getRefCount(), -1);
    o.retain();
    o.retain();
    EXPECT_EQ(o.getRefCount(), 1);
}

TEST(HObject, HashIsNameHashPlusInstance)
{
    HObjectList list(nullptr);
    EXPECT_EQ(list.getHash(), HUtil::s_hashString("HObjectList") + static_cast<uint32_t>(list.getObjectInstance()));
    HObjectList other(nullptr);
    EXPECT_NE(list.getHash(), other.getHash());
}

TEST(HObject, ToStringIsTheBoundedClassName)
{
    HObjectStack stack(nullptr);
    char buf[32];
    EXPECT_STREQ(stack.toString(buf, sizeof(buf)), "HObjectStack");
    EXPECT_STREQ(stack.toString(buf, 1), "");
    EXPECT_STREQ(stack.toString(buf, 5), "HObj");
}

TEST(HObject, CloneIsNotImplemented)
{
    DiagnosticRecorder diagnostics;
    HObjectList list(nullptr);
    EXPECT_EQ(list.clone(), nullptr);
    EXPECT_EQ(diagnostics.count("HObjectList has not implemented clone()"), 1);
}

TEST(HClassInfo, FindsRegisteredClassesWithoutRegardToCase)
{
    const char* names[] = {"HObject", "HContainerNode", "HObjectList", "HObjectStack", "HFile", "HStandardFile"};
    for (const char* name : names) {
        HClassInfo* info = HClassInfo::s_findClass(name);
        ASSERT_NE(info, nullptr) << name << " must be registered even when nothing here uses it";
        EXPECT_STREQ(info->m_pszClassName, name);
    }
    EXPECT_EQ(HClassInfo::s_findClass("hobjectlist"), &HObjectList::sm_classInfoHObjectList);
    EXPECT_EQ(HClassInfo::s_findClass("NoSuchClass"), nullptr);
    EXPECT_EQ(HClassInfo::s_findClass("HObject")->getBaseClass(), nullptr);
}

TEST(HClassInfo, KindOfFollowsBaseNames)
{
    HObjectStack stack(nullptr);
    EXPECT_TRUE(stack.isKindOf(&HObject::sm_classInfoHObject));
    EXPECT_FALSE(stack.isA(&HObject::sm_classInfoHObject));
    EXPECT_TRUE(stack.isA(&HObjectStack::sm_classInfoHObjectStack));
    EXPECT_FALSE(stack.isKindOf(&HObjectList::sm_classInfoHObjectList));

    HStandardFile file;
    EXPECT_TRUE(file.isKindOf(&HFile::sm_classInfoHFile));
    EXPECT_TRUE(file.isKindOf(&HObject::sm_classInfoHObject));
    EXPECT_STREQ(file.getBaseClassName(), "HFile");
    EXPECT_EQ(HObject().getBaseClassName(), nullptr);
}

TEST(HClassInfo, AClassWithoutARecordAnswersAsItsParent)
{
    TestGameControl control;
    EXPECT_TRUE(control.isA(&TestControl::sm_classInfoTestControl));
    EXPECT_STREQ(control.getClassName(), "TestControl");

    HObjectListNode node;
    EXPECT_STREQ(node.getClassName(), "HContainerNode");
}

TEST(HClassInfo, AnUnregisteredBaseEndsTheChain)
{
    HClassInfo orphan = {nullptr, "Orphan", "NotRegistered"};
    EXPECT_EQ(orphan.getBaseClass(), nullptr);
    EXPECT_FALSE(orphan.isKindOf(&HObject::sm_classInfoHObject));
    EXPECT_TRUE(orphan.isKindOf(&orphan));
}

} // namespace
