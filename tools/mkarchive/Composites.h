// Composite previews: every screen and dialog of the game assembled from the
// archive's own pictures at the places the game draws them, the way it draws
// them (opaque and masked copies, alpha blends, its 8 x 12 font, its digit
// counters), one 640 x 480 PNG each. For looking the art over before the game
// can draw it; not part of the archive.
#pragma once

#include "tools/mkarchive/AssetSet.h"

#include <string>

namespace mkarchive {

// Writes the PNGs into `folder` (created if needed); false after printing why.
bool writeScreenPreviews(const AssetSet& set, const std::string& folder);

} // namespace mkarchive
