// The alpha mask of a surface.
#include "engine/media/H2DSurfaceWithAlpha.h"

H2DSurfaceWithAlpha::H2DSurfaceWithAlpha() : m_pAlphaMask(nullptr) {}

void H2DSurfaceWithAlpha::setAlphaMask(uint8_t* mask)
{
    m_pAlphaMask = mask;
}

uint8_t* H2DSurfaceWithAlpha::getAlphaMask() const
{
    return m_pAlphaMask;
}
