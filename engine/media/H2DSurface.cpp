// The abstract surface: nothing to release.
#include "engine/media/H2DSurface.h"

void H2DSurface::destroySurface() {}

H2DSurface::~H2DSurface() = default;
