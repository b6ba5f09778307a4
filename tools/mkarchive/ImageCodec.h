// Image encoders: TGA written by hand, baseline JPEG through libjpeg, and PNG
// (through cairo) for review pictures that never enter the archive.
#pragma once

#include "tools/mkarchive/Image.h"

#include <string>
#include <vector>

namespace mkarchive {

using Bytes = std::vector<uint8_t>;

// Uncompressed true-colour TGA (type 2), ID length 0, no colour map, rows
// bottom-up. 32-bit BGRA when `withAlpha`, else 24-bit BGR.
Bytes encodeTga(const Image& image, bool withAlpha);

// Baseline JPEG, three components (YCbCr 4:2:0), alpha dropped.
Bytes encodeJpeg(const Image& image, int quality);

// Writes `image` as a PNG file; false when it cannot be written.
bool writePng(const Image& image, const std::string& path);

} // namespace mkarchive
