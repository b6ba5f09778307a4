// The object stack.
#include "engine/core/HObjectStack.h"

H_IMPLEMENT_CLASS(HObjectStack, "HObject")

HObjectStack::HObjectStack(const HClassInfo* filter) : m_pList(new HObjectList(filter))
{
}

HObjectStack::~HObjectStack()
{
    delete m_pList;
}

int HObjectStack::pushObject(HObject* obj)
{
    if (!obj)
        return 1;
    return m_pList->prependObject(obj);
}

HObject* HObjectStack::popObject()
{
    HContainerNode* top = m_pList->beginIteration();
    if (!top)
        return nullptr;
    HObject* obj = static_cast<HObject*>(top->getNodeContents());
    m_pList->removeObject(obj);
    return obj;
}

HObject* HObjectStack::getObjectAt(int i)
{
    HContainerNode* node = m_pList->beginIteration();
    for (int k = 0; node && k < i; ++k)
        node = m_pList->next(node);
    return node ? static_cast<HObject*>(node->getNodeContents()) : nullptr;
}

int HObjectStack::getNumItems() const
{
    int n = 0;
    for (HContainerNode* node = m_pList->beginIteration(); node; node = m_pList->next(node))
        ++n;
    return n;
}
