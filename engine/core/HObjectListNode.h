// A node of HObjectList. It has no class record of its own and answers as
// HContainerNode.
#pragma once

#include "engine/core/HContainerNode.h"

class HObjectListNode : public HContainerNode {
public:
    HObjectListNode() : m_pPrev(nullptr), m_pNext(nullptr) {}

    HObjectListNode* m_getPrevNode() const { return m_pPrev; }
    HObjectListNode* m_getNextNode() const { return m_pNext; }
    void m_setPrevNode(HObjectListNode* node) { m_pPrev = node; }
    void m_setNextNode(HObjectListNode* node) { m_pNext = node; }

private:
    HObjectListNode* m_pPrev; // null at the head
    HObjectListNode* m_pNext; // null at the tail
};
