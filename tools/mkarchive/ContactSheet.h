// The contact sheet: one PNG showing every image of the archive, enlarged
// samples of every tile set, and a picture of every layout dealt with the
// first tile set, for looking the art over. Not part of the archive.
#pragma once

#include "tools/mkarchive/AssetSet.h"

#include <string>

namespace mkarchive {

bool writeContactSheet(const AssetSet& set, const std::string& path);

} // namespace mkarchive
