// Image encoders: TGA written by hand and baseline JPEG through libjpeg.
#pragma once

#include "tools/mkarchive/Image.h"

#include <vector>

namespace mkarchive {

using Bytes = std::vector<uint8_t>;

// Uncompressed true-colour TGA (type 2), ID length 0, no colour map, rows
// bottom-up. 32-bit BGRA when `withAlpha`, else 24-bit BGR.
Bytes encodeTga(const Image& image, bool withAlpha);

// Baseline JPEG, three components (YCbCr 4:2:0), alpha dropped.
Bytes encodeJpeg(const Image& image, int quality);

} // namespace mkarchive
