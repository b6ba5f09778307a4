// A doubly linked list of HObject pointers. It never owns what it holds: no
// operation deletes, retains or releases an object; it owns only its nodes.
// An optional class filter refuses objects of another kind.
//
// Lists are short (event sources, a screen's controls, open dialogs), so there
// is no tail pointer and no count: reaching the tail or counting walks the list.
//
// Iteration is done by the caller:
//   for (HContainerNode* n = list.beginIteration(); n; n = list.next(n)) ...
// A caller that removes the current object continues from the node that
// removeObject returns.
#pragma once

#include "engine/core/HObjectListNode.h"

class HObjectList : public HObject {
    H_DECLARE_CLASS(HObjectList)
public:
    explicit HObjectList(const HClassInfo* filter);
    // Frees the nodes still held (never the objects).
    ~HObjectList() override;

    HObjectList(const HObjectList&) = delete;
    HObjectList& operator=(const HObjectList&) = delete;

    // 0 when inserted; 1 (list unchanged) when the filter refuses the object,
    // and for a null object offered to a filtered list.
    int prependObject(HObject* obj);
    int appendObject(HObject* obj);
    // Removes the first node, from the head, that holds obj; returns the node
    // that followed it, or null (also when obj is not held).
    HContainerNode* removeObject(HObject* obj);

    HContainerNode* beginIteration() const;
    HContainerNode* beginReverseIteration() const;
    HContainerNode* next(HContainerNode* node) const;
    HContainerNode* prev(HContainerNode* node) const;

    // Deletes every node; the objects are untouched.
    void destroyObjectList();

private:
    bool m_accepts(HObject* obj) const;

    const HClassInfo* m_pClassFilter; // null: any class
    HObjectListNode* m_pHead;
};
