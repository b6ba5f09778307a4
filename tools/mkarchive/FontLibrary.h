// The typefaces the art is drawn with, loaded from the font files that
// scripts/setup installs (fonts-dejavu-core, fonts-dejavu-extra for the
// condensed face, fonts-wqy-microhei). Faces are opened by file path through
// FreeType, not looked up through fontconfig, so the output never depends on
// which other fonts a machine has; rendering options are fixed (grey
// anti-aliasing, no hinting) for the same reason.
#pragma once

#include <cairo.h>

namespace mkarchive {

enum class Typeface {
    Sans,      // DejaVu Sans
    SansBold,  // DejaVu Sans Bold
    CondensedBold, // DejaVu Sans Condensed Bold
    MonoBold,  // DejaVu Sans Mono Bold
    SerifBold, // DejaVu Serif Bold: headings
    Cjk,       // WenQuanYi Micro Hei: the Chinese characters of the tile faces
    Count
};

class FontLibrary {
public:
    // Opens every face; prints the missing file and exits when one is absent.
    static void s_open();
    // Releases the faces and cairo's font caches (so leak checkers stay quiet).
    static void s_close();

    // Selects the face on `cr` at `size` pixels with the fixed rendering options.
    static void s_select(cairo_t* cr, Typeface face, double size);
    // The same with the face's hinting on, snapped to whole pixels: for text
    // small enough that sharp stems matter more than exact shapes.
    static void s_selectHinted(cairo_t* cr, Typeface face, double size);
};

} // namespace mkarchive
