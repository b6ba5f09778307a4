// A node of the engine's containers: holds one object pointer, never owns it.
#pragma once

#include "engine/core/HObject.h"

class HContainerNode : public HObject {
    H_DECLARE_CLASS(HContainerNode)
public:
    HContainerNode();

    void* getNodeContents() const { return m_pContents; }
    void m_setNodeContents(void* p) { m_pContents = p; }

private:
    void* m_pContents;
};
