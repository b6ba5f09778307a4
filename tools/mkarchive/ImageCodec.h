// Image encoders: TGA written by hand and baseline JPEG through libjpeg, and
// the JPEG decoder the previews check the encoded pictures with.
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

// The picture a JPEG of ours decodes to (for previews of what the game
// shows); opaque.
Image decodeJpeg(const Bytes& bytes);

} // namespace mkarchive
