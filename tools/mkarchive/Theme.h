// The look shared by every screen, panel, button and dialog: a dark teal
// lacquer ground with a faint lattice, gold trim and headings, cream text, and
// one button style (a pill, teal with a gold rim, turning gold when lit). The
// screen, button and dialog producers draw only through these, so a change of
// palette or button shape reaches all of them.
#pragma once

#include "tools/mkarchive/Canvas.h"
#include "tools/mkarchive/Paint.h"

#include <cstdint>

namespace mkarchive {
namespace theme {

const Colour kGroundTop = rgb(0x18404b);
const Colour kGroundBottom = rgb(0x0a1c24);
const Colour kGold = rgb(0xd9a947);
const Colour kGoldLight = rgb(0xf8df96);
const Colour kGoldDark = rgb(0x7a5a1f);
const Colour kCream = rgb(0xf3ead3);
const Colour kCreamDim = rgb(0xa9b8b2);
const Colour kField = rgb(0x050b0e); // ground of text the game writes in its yellow font
const Colour kJade = rgb(0x3aa17c);
const Colour kCinnabar = rgb(0xe0664a);

// The lacquer ground over (0, 0, w, h); `seed` varies its grain.
void paintGround(cairo_t* cr, double w, double h, uint32_t seed);
// A double gold border inset from the rectangle's edges, with corner marks.
void paintFrame(cairo_t* cr, double x, double y, double w, double h);
// The frame of a small dialog that lies over the game: a dark edge and a
// heavier gold rim around the usual frame, so it stands off what is beneath.
void paintFloatingFrame(cairo_t* cr, double w, double h);
// A thin gold rule with a diamond in its middle.
void paintDivider(cairo_t* cr, double x0, double x1, double y);
// A dark, gold-rimmed box: where the game writes text, and around previews.
void paintField(cairo_t* cr, double x, double y, double w, double h);

// Text. Small sizes are hinted to whole pixels so stems stay sharp.
double textWidth(cairo_t* cr, Typeface face, double size, const char* text);
void text(cairo_t* cr, Typeface face, double size, const char* text, double x, double baseline, Align align, Colour c);
// A gold serif heading with an engraved shadow, centred on cx.
void heading(cairo_t* cr, const char* text, double cx, double baseline, double size);
// Wraps `text` (words split at blanks, "\n" forces a break) into lines of at
// most `width`; returns the baseline after the last line.
double paragraph(cairo_t* cr, Typeface face, double size, const char* text, double x, double baseline, double width,
                 double leading, Colour c, Align align = Align::Left);
// How many lines `paragraph` would take.
int32_t paragraphLines(cairo_t* cr, Typeface face, double size, const char* text, double width);
// Text filled in the counters' cream-to-gold with their dark outline, for
// labels drawn straight over any table top.
void outlinedText(cairo_t* cr, Typeface face, double size, const char* text, double x, double midY, Align align);

enum class Look { Normal, Lit };

// The button style. The pill fills the box less a 1.5-px margin, where the
// lit look's glow goes.
void paintButton(cairo_t* cr, double x, double y, double w, double h, const char* label, Look look);
Image buttonImage(int32_t w, int32_t h, const char* label, Look look);
// A round button with a triangle pointing left or right.
Image arrowButtonImage(int32_t w, int32_t h, bool right, Look look);
// A pill with a triangle pointing left or right (slide pages).
Image pageButtonImage(int32_t w, int32_t h, bool right, Look look);

// One tile of tile set `set` with its cast shadow, its cell's top-left corner
// at (x, y), scaled.
void paintTile(cairo_t* cr, int32_t set, int32_t face, double x, double y, double scale = 1.0);

} // namespace theme
} // namespace mkarchive
