// The shadow strips and hover outlines, for other art that shows a board.
#pragma once

#include "tools/mkarchive/Image.h"

namespace mkarchive {

Image shadowTopImage();   // 33 x 6, alpha only
Image shadowRightImage(); // 6 x 53, alpha only

} // namespace mkarchive
