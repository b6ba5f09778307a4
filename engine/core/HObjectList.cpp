// The doubly linked object list.
#include "engine/core/HObjectList.h"

H_IMPLEMENT_CLASS(HObjectList, "HObject")

namespace {
// Every node a list hands out is one of its own HObjectListNodes.
HObjectListNode* asListNode(HContainerNode* node)
{
    return static_cast<HObjectListNode*>(node);
}
} // namespace

HObjectList::HObjectList(const HClassInfo* filter) : m_pClassFilter(filter), m_pHead(nullptr)
{
}

HObjectList::~HObjectList()
{
    destroyObjectList();
}

bool HObjectList::m_accepts(HObject* obj) const
{
    if (!m_pClassFilter)
        return true;
    return obj && obj->isKindOf(m_pClassFilter);
}

int HObjectList::prependObject(HObject* obj)
{
    if (!m_accepts(obj))
        return 1;
    HObjectListNode* node = new HObjectListNode();
    node->m_setNodeContents(obj);
    node->m_setNextNode(m_pHead);
    if (m_pHead)
        m_pHead->m_setPrevNode(node);
    m_pHead = node;
    return 0;
}

int HObjectList::appendObject(HObject* obj)
{
    if (!m_accepts(obj))
        return 1;
    HObjectListNode* node = new HObjectListNode();
    node->m_setNodeContents(obj);
    if (!m_pHead) {
        m_pHead = node;
        return 0;
    }
    HObjectListNode* tail = m_pHead;
    while (tail->m_getNextNode())
        tail = tail->m_getNextNode();
    tail->m_setNextNode(node);
    node->m_setPrevNode(tail);
    return 0;
}

HContainerNode* HObjectList::removeObject(HObject* obj)
{
    for (HObjectListNode* node = m_pHead; node; node = node->m_getNextNode()) {
        if (node->getNodeContents() != obj)
            continue;
        HObjectListNode* before = node->m_getPrevNode();
        HObjectListNode* after = node->m_getNextNode();
        if (before)
            before->m_setNextNode(after);
        else
            m_pHead = after;
        if (after)
            after->m_setPrevNode(before);
        node->m_setPrevNode(nullptr);
        node->m_setNextNode(nullptr);
        node->m_setNodeContents(nullptr);
        delete node;
        return after;
    }
    return nullptr;
}

HContainerNode* HObjectList::beginIteration() const
{
    return m_pHead;
}

HContainerNode* HObjectList::beginReverseIteration() const
{
    HObjectListNode* node = m_pHead;
    while (node && node->m_getNextNode())
        node = node->m_getNextNode();
    return node;
}

HContainerNode* HObjectList::next(HContainerNode* node) const
{
    return node ? asListNode(node)->m_getNextNode() : nullptr;
}

HContainerNode* HObjectList::prev(HContainerNode* node) const
{
    return node ? asListNode(node)->m_getPrevNode() : nullptr;
}

void HObjectList::destroyObjectList()
{
    HObjectListNode* node = m_pHead;
    while (node) {
        HObjectListNode* after = node->m_getNextNode();
        delete node;
        node = after;
    }
    m_pHead = nullptr;
}
