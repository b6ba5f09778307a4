// Object lists and stacks.
#include "engine/core/HObjectList.h"
#include "engine/core/HObjectStack.h"
#include "engine/core/HStandardFile.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<HObject*> forward(const HObjectList& list)
{
    std::vector<HObject*> out;
    for (HContainerNode* n = list.beginIteration(); n; n = list.next(n))
        out.push_back(static_cast<HObject*>(n->getNodeContents()));
    return out;
}

std::vector<HObject*> backward(const HObjectList& list)
{
    std::vector<HObject*> out;
    for (HContainerNode* n = list.beginReverseIteration(); n; n = list.prev(n))
        out.push_back(static_cast<HObject*>(n->getNodeContents()));
    return out;
}

TEST(HObjectList, PrependAndAppendOrder)
{
    HObject a, b, c;
    HObjectList pre(nullptr);
    for (HObject* o : {&a, &b, &c})
        EXPECT_EQ(pre.prependObject(o), 0);
    EXPECT_EQ(forward(pre), (std::vector<HObject*>{&c, &b, &a}));
    EXPECT_EQ(backward(pre), (std::vector<HObject*>{&a, &b, &c}));

    HObjectList app(nullptr);
    for (HObject* o : {&a, &b, &c})
        EXPECT_EQ(app.appendObject(o), 0);
    EXPECT_EQ(forward(app), (std::vector<HObject*>{&a, &b, &c}));
    EXPECT_EQ(backward(app), (std::vector<HObject*>{&c, &b, &a}));
}

TEST(HObjectList, EmptyListIteratesNothing)
{
    HObjectList list(nullptr);
    EXPECT_EQ(list.beginIteration(), nullptr);
    EXPECT_EQ(list.beginReverseIteration(), nullptr);
    EXPECT_EQ(list.next(nullptr), nullptr);
    EXPECT_EQ(list.prev(nullptr), nullptr);
}

TEST(HObjectList, FilterRefusesOtherKindsAndNull)
{
    HObjectList files(&HFile::sm_classInfoHFile);
    HStandardFile file;
    HObject plain;
    EXPECT_EQ(files.prependObject(&file), 0);
    EXPECT_EQ(files.prependObject(&plain), 1);
    EXPECT_EQ(files.prependObject(nullptr), 1);
    EXPECT_EQ(files.appendObject(nullptr), 1);
    EXPECT_EQ(forward(files), (std::vector<HObject*>{&file}));

    HObjectList any(nullptr);
    EXPECT_EQ(any.prependObject(nullptr), 0);
    EXPECT_EQ(any.appendObject(&plain), 0);
    EXPECT_EQ(forward(any), (std::vector<HObject*>{nullptr, &plain}));
}

TEST(HObjectList, RemoveTakesTheOccurrenceNearestTheHead)
{
    HObject a, b;
    HObjectList list(nullptr);
    list.appendObject(&a);
    list.appendObject(&b);
    list.appendObject(&a);
    HContainerNode* after = list.removeObject(&a);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->getNodeContents(), &b);
    EXPECT_EQ(forward(list), (std::vector<HObject*>{&b, &a}));
    EXPECT_EQ(list.removeObject(&a), nullptr) << "removing the last node returns null";
    HObject stranger;
    EXPECT_EQ(list.removeObject(&stranger), nullptr);
    EXPECT_EQ(forward(list), (std::vector<HObject*>{&b}));
}

TEST(HObjectList, RemovalWhileIterating)
{
    HObject objs[5];
    HObjectList list(nullptr);
    for (HObject& o : objs)
        list.appendObject(&o);
    // Remove every other object, continuing from the node removeObject returns.
    int i = 0;
    for (HContainerNode* n = list.beginIteration(); n; ++i) {
        if (i % 2 == 0)
            n = list.removeObject(static_cast<HObject*>(n->getNodeContents()));
        else
            n = list.next(n);
    }
    EXPECT_EQ(forward(list), (std::vector<HObject*>{&objs[1], &objs[3]}));
    EXPECT_EQ(backward(list), (std::vector<HObject*>{&objs[3], &objs[1]}));
}

TEST(HObjectList, DestroyEmptiesTheListAndLeavesTheObjects)
{
    HObject a;
    HObjectList list(nullptr);
    list.appendObject(&a);
    list.appendObject(&a);
    list.destroyObjectList();
    EXPECT_EQ(list.beginIteration(), nullptr);
    EXPECT_EQ(a.getRefCount(), 0);
    // A list destroyed while it still holds nodes frees them (checked by ASan).
    HObjectList* full = new HObjectList(nullptr);
    full->appendObject(&a);
    delete full;
}

TEST(HObjectStack, PushPopAndIndex)
{
    HObject a, b;
    HObjectStack stack(nullptr);
    EXPECT_EQ(stack.getNumItems(), 0);
    EXPECT_EQ(stack.popObject(), nullptr);
    EXPECT_EQ(stack.getObjectAt(0), nullptr);
    EXPECT_EQ(stack.pushObject(nullptr), 1);
    EXPECT_EQ(stack.pushObject(&a), 0);
    EXPECT_EQ(stack.pushObject(&b), 0);
    EXPECT_EQ(stack.getNumItems(), 2);
    EXPECT_EQ(stack.getObjectAt(0), &b);
    EXPECT_EQ(stack.getObjectAt(-3), &b);
    EXPECT_EQ(stack.getObjectAt(1), &a);
    EXPECT_EQ(stack.getObjectAt(2), nullptr) << "past the bottom";
    EXPECT_EQ(stack.popObject(), &b);
    EXPECT_EQ(stack.popObject(), &a);
    EXPECT_EQ(stack.popObject(), nullptr);
}

TEST(HObjectStack, FilterRefusesOtherKinds)
{
    HObjectStack stack(&HFile::sm_classInfoHFile);
    HObject plain;
    HStandardFile file;
    EXPECT_EQ(stack.pushObject(&plain), 1);
    EXPECT_EQ(stack.pushObject(&file), 0);
    EXPECT_EQ(stack.getNumItems(), 1);
    stack.pushObject(&file); // left on the stack: its destructor frees the nodes
}

} // namespace
