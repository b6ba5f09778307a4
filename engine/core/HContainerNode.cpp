// Container nodes.
#include "engine/core/HContainerNode.h"

H_IMPLEMENT_CLASS(HContainerNode, "HObject")

HContainerNode::HContainerNode() : m_pContents(nullptr)
{
}
