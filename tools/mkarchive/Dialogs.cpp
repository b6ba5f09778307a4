// The dialogs' backgrounds with their texts: options, best times, name entry,
// the two confirmations, no more moves, and the two rules slides.
//
// The game copies a dialog's background as it is and draws the dialog's
// buttons, sliders and text lines over it at fixed places
// (game/ScreenGeometry.h, ui/MVDialogLayout.h); the pictures leave those
// places plain. Text the game itself writes (the
// best-times rows, the name being typed, the time just made) is in its own
// yellow 8 x 12 font, so it gets a dark field behind it. The best-times
// dialog's OK and Clear buttons have only a lit image: their normal look is
// painted here.
#include "game/ScreenGeometry.h"
#include "tools/mkarchive/Producers.h"
#include "tools/mkarchive/Theme.h"
#include "ui/MVDialogLayout.h"

#include <cmath>
#include <cstdio>

namespace mkarchive {

using namespace theme;

namespace {

constexpr double kBody = 13.0; // body text
constexpr double kSmall = 11.0;

// Ground, frame and heading of a dialog; a floating one is a small dialog
// over the game, which gets a heavier rim.
void dialogGround(cairo_t* cr, int32_t w, int32_t h, uint32_t seed, const char* title, double titleBaseline,
                  double titleSize, bool floating = false)
{
    paintGround(cr, w, h, seed);
    if (floating)
        paintFloatingFrame(cr, w, h);
    else
        paintFrame(cr, 0, 0, w, h);
    heading(cr, title, w / 2.0, titleBaseline, titleSize);
}

// A note beside a 40-px button, its lines centred on the button's middle.
void buttonNote(cairo_t* cr, const char* note, double x, double buttonY, double width)
{
    const double size = 12.0;
    const double leading = 16.0;
    const int32_t lines = paragraphLines(cr, Typeface::Sans, size, note, width);
    const double first = buttonY + 20.0 - leading * (lines - 1) / 2.0 + 4.0;
    paragraph(cr, Typeface::Sans, size, note, x, first, width, leading, kCreamDim);
}

// A loudspeaker with two sound waves.
void speakerIcon(cairo_t* cr, double x, double cy)
{
    cairo_save(cr);
    cairo_move_to(cr, x, cy - 4);
    cairo_line_to(cr, x + 5, cy - 4);
    cairo_line_to(cr, x + 11, cy - 9);
    cairo_line_to(cr, x + 11, cy + 9);
    cairo_line_to(cr, x + 5, cy + 4);
    cairo_line_to(cr, x, cy + 4);
    cairo_close_path(cr);
    setColour(cr, kGold);
    cairo_fill(cr);
    cairo_set_line_width(cr, 1.8);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int32_t i = 1; i <= 2; ++i) {
        cairo_new_sub_path(cr);
        cairo_arc(cr, x + 11, cy, 4.5 * i, -0.9, 0.9);
    }
    cairo_stroke(cr);
    cairo_restore(cr);
}

// Two beamed notes.
void musicIcon(cairo_t* cr, double x, double cy)
{
    cairo_save(cr);
    setColour(cr, kGold);
    for (int32_t i = 0; i < 2; ++i) {
        cairo_save(cr);
        cairo_translate(cr, x + 4 + 12 * i, cy + 6 - 2 * i);
        cairo_scale(cr, 1.3, 1.0);
        cairo_arc(cr, 0, 0, 3.2, 0, 2 * M_PI);
        cairo_restore(cr);
        cairo_fill(cr);
        cairo_rectangle(cr, x + 7.2 + 12 * i, cy - 9 - 2 * i, 1.8, 15);
        cairo_fill(cr);
    }
    cairo_move_to(cr, x + 7.2, cy - 9);
    cairo_line_to(cr, x + 21, cy - 11);
    cairo_line_to(cr, x + 21, cy - 7);
    cairo_line_to(cr, x + 7.2, cy - 5);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_restore(cr);
}

// The groove a volume slider's knob runs along: from value 0 at the knob
// origin to value 1 one track length to the right, with ticks at the quarters.
void sliderGroove(cairo_t* cr, geo::Point origin)
{
    const double x0 = origin.x;
    const double x1 = origin.x + geo::kSliderLength;
    const double y = origin.y;
    roundedRect(cr, x0 - 6, y - 3, x1 - x0 + 12, 6, 3);
    setColour(cr, kField);
    cairo_fill_preserve(cr);
    setColour(cr, kGoldDark);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    for (int32_t i = 0; i <= 4; ++i) {
        const double x = std::floor(x0 + (x1 - x0) * i / 4.0) + 0.5;
        cairo_move_to(cr, x, y + 14);
        cairo_line_to(cr, x, y + 18);
    }
    setColour(cr, withAlpha(kGold, 0.7));
    cairo_stroke(cr);
}

Image optionsDialog(int32_t w, int32_t h)
{
    Canvas canvas(w, h);
    cairo_t* cr = canvas.cr();
    dialogGround(cr, w, h, 71, "Options", 58, 30);

    const double labelX = 40;
    text(cr, Typeface::SansBold, 14, "Sound effects", labelX, geo::kSoundSlider.y + 5, Align::Left, kCream);
    text(cr, Typeface::SansBold, 14, "Music", labelX, geo::kMusicSlider.y + 5, Align::Left, kCream);
    sliderGroove(cr, geo::kSoundSlider);
    sliderGroove(cr, geo::kMusicSlider);
    speakerIcon(cr, geo::kSoundSlider.x + geo::kSliderLength + 20, geo::kSoundSlider.y);
    musicIcon(cr, geo::kMusicSlider.x + geo::kSliderLength + 18, geo::kMusicSlider.y);

    // The two switches: labels to their left, a line of help below.
    const double switchMid = geo::kFullscreenToggle.y + 14;
    text(cr, Typeface::SansBold, 14, "Full screen", labelX, switchMid + 5, Align::Left, kCream);
    text(cr, Typeface::SansBold, 14, "Auto hints", 300, switchMid + 5, Align::Left, kCream);
    text(cr, Typeface::Sans, kSmall, "Alt+Enter switches too.", labelX, 260, Align::Left, kCreamDim);
    text(cr, Typeface::Sans, kSmall, "A free hint after 45 s idle.", 300, 260, Align::Left, kCreamDim);

    paintDivider(cr, 40, w - 40, 200);

    // What each button on the left does, beside it.
    const double noteX = geo::kOptionsBestTimes.x + 150 + 22;
    const double noteW = w - 28 - noteX;
    buttonNote(cr, "The eight best results of every layout.", noteX, geo::kOptionsBestTimes.y, noteW);
    buttonNote(cr, "Opens the Moravel web site in your browser; this ends the game.", noteX, geo::kOptionsVisit.y,
               noteW);
    buttonNote(cr, "Back to the game; your settings are kept.", noteX, geo::kOptionsDone.y, noteW);
    return canvas.toImage(AlphaMode::Opaque);
}

Image bestTimesDialog(int32_t w, int32_t h)
{
    Canvas canvas(w, h);
    cairo_t* cr = canvas.cr();
    dialogGround(cr, w, h, 83, "Best times", 44, 26);
    paragraph(cr, Typeface::Sans, kSmall,
              "Ranked by tiles left, then by time. Real time is the time without help penalties.", 20, 110,
              w - 40, 14, kCreamDim, Align::Centre);

    // The table: a dark field, a row of headings, eight bands. The game
    // writes each row's text 12 px high from the row's y.
    const double top = 118;
    const double rowTop0 = geo::bestTimesRowY(0) - 11;
    const double bottom = geo::bestTimesRowY(7) + 23;
    paintField(cr, 22, top, w - 44, bottom - top);
    for (int32_t r = 0; r < 8; ++r) {
        const double y = rowTop0 + 35 * r;
        if (r % 2 == 1) {
            cairo_rectangle(cr, 23, y, w - 46, 35);
            setColour(cr, rgb(0x0d1a20));
            cairo_fill(cr);
        }
        char place[16];
        std::snprintf(place, sizeof(place), "%d.", r + 1);
        text(cr, Typeface::SansBold, 12, place, geo::kBestTimesNameX - 10, geo::bestTimesRowY(r) + 10, Align::Right,
             kGold);
    }
    cairo_rectangle(cr, 30, rowTop0 - 0.5, w - 60, 1);
    setColour(cr, withAlpha(kGold, 0.5));
    cairo_fill(cr);
    const double hy = rowTop0 - 6;
    text(cr, Typeface::SansBold, 12, "Name", geo::kBestTimesNameX, hy, Align::Left, kGold);
    text(cr, Typeface::SansBold, 12, "Tiles left", geo::kBestTimesTilesRight, hy, Align::Right, kGold);
    text(cr, Typeface::SansBold, 12, "Time", geo::kBestTimesTimeRight, hy, Align::Right, kGold);
    text(cr, Typeface::SansBold, 12, "Real time", geo::kBestTimesRealRight, hy, Align::Right, kGold);

    paintButton(cr, geo::kBestTimesClear.x, geo::kBestTimesClear.y, 100, 40, "Clear", Look::Normal);
    paintButton(cr, geo::kBestTimesOk.x, geo::kBestTimesOk.y, 80, 36, "OK", Look::Normal);
    return canvas.toImage(AlphaMode::Opaque);
}

Image enterNameDialog(int32_t w, int32_t h)
{
    Canvas canvas(w, h);
    cairo_t* cr = canvas.cr();
    dialogGround(cr, w, h, 97, "A new best time!", 40, 20, true);
    text(cr, Typeface::Sans, 12, "Your time", w / 2.0, 74, Align::Centre, kCreamDim);
    // The game writes the time centred on the middle, at most 6 characters.
    paintField(cr, w / 2.0 - 40, geo::kEnterNameScoreY - 6, 80, 24);
    text(cr, Typeface::Sans, 12, "Type your name:", geo::kEnterNameField.x - 4, 150, Align::Left, kCreamDim);
    // 12 characters and the caret, 8 px each, from the field's origin.
    paintField(cr, geo::kEnterNameField.x - 6, geo::kEnterNameField.y - 6, w - 2 * (geo::kEnterNameField.x - 6), 24);
    return canvas.toImage(AlphaMode::Opaque);
}

// The two confirmations share a shape: a question, a line of explanation, and
// the yes and no buttons on one row below.
Image confirmDialog(int32_t w, int32_t h, uint32_t seed, const char* question, const char* detail)
{
    Canvas canvas(w, h);
    cairo_t* cr = canvas.cr();
    dialogGround(cr, w, h, seed, question, 44, 20, true);
    paragraph(cr, Typeface::Sans, kBody, detail, 24, 74, w - 48, 17, kCream, Align::Centre);
    return canvas.toImage(AlphaMode::Opaque);
}

Image noMoreMovesDialog(int32_t w, int32_t h)
{
    Canvas canvas(w, h);
    cairo_t* cr = canvas.cr();
    dialogGround(cr, w, h, 103, "No more moves", 42, 22, true);
    paragraph(cr, Typeface::Sans, kBody,
              "No free pair is left on the table.\nShuffle the tiles, take back the last\npair, or end the game.", 24, 70,
              w - 48, 17, kCream, Align::Centre);
    return canvas.toImage(AlphaMode::Opaque);
}

// --- Rules.

// A key of the keyboard: a light cap with the key's name.
double keyCap(cairo_t* cr, const char* name, double x, double baseline)
{
    const double w = std::fmax(22.0, textWidth(cr, Typeface::SansBold, 11, name) + 12.0);
    roundedRect(cr, x + 0.5, baseline - 14.5, w - 1.0, 19, 4);
    setColour(cr, rgb(0x3a3326));
    cairo_fill(cr);
    roundedRect(cr, x + 0.5, baseline - 15.5, w - 1.0, 18, 4);
    setLinear(cr, 0, baseline - 15, rgb(0xfbf5e4), 0, baseline + 3, rgb(0xd9ccaa));
    cairo_fill(cr);
    text(cr, Typeface::SansBold, 11, name, x + w / 2.0, baseline - 2, Align::Centre, rgb(0x231c12));
    return x + w;
}

void outlineFrame(cairo_t* cr, double x, double y, bool free)
{
    // The same frames as the game's hover outlines, around a tile's face.
    roundedRect(cr, x + 6 + 1.0, y + 1.0, 31, 46, 4);
    setColour(cr, free ? rgb(0x3cf06a) : rgb(0xff3b3b));
    cairo_set_line_width(cr, 2.0);
    cairo_stroke(cr);
}

void pageNumber(cairo_t* cr, int32_t w, int32_t h, int32_t page)
{
    char s[16];
    std::snprintf(s, sizeof(s), "%d / 2", page);
    // Between the close button and the page buttons.
    const MVDialogLayout::Place close = MVDialogLayout::slideDoneAt(w, h, 30);
    const MVDialogLayout::Place previous = MVDialogLayout::slidePreviousAt(w, h, 30);
    text(cr, Typeface::Sans, 12, s, (close.x + 80 + previous.x) / 2.0, previous.y + 20, Align::Centre, kCreamDim);
}

// Words in bold, then the rest of the paragraph wrapped after them.
double lead(cairo_t* cr, const char* bold, const char* rest, double x, double baseline, double width)
{
    text(cr, Typeface::SansBold, 14, bold, x, baseline, Align::Left, kGoldLight);
    return paragraph(cr, Typeface::Sans, kBody, rest, x, baseline + 19, width, 17, kCream);
}

// A tick or a cross centred on a tile's face, below or above it.
void mark(cairo_t* cr, double cellX, double baseline, bool free)
{
    text(cr, Typeface::SansBold, 13, free ? "\xE2\x9C\x93" : "\xE2\x9C\x97", cellX + 6 + 16.5, baseline, Align::Centre,
         free ? rgb(0x7cf59a) : rgb(0xff8a7a));
}

Image rulesPlay(int32_t w, int32_t h)
{
    Canvas canvas(w, h);
    cairo_t* cr = canvas.cr();
    dialogGround(cr, w, h, 111, "How to play", 50, 26);
    const double x = 36;
    const double full = w - 2 * x;

    double y = lead(cr, "Clear the table",
                    "Take all 144 tiles off the table in pairs: click a free tile, then another free tile with the "
                    "same face.",
                    x, 86, full);

    const double facesTop = y + 12;
    y = lead(cr, "Matching faces",
             "Faces match when they are the same; the four flowers all match each other, and so do the four seasons.",
             x, facesTop, 286);
    for (int32_t i = 3; i >= 0; --i)
        paintTile(cr, 0, 35 + i, 334 + 37 * i, facesTop - 4, 0.9);

    y = lead(cr, "Which tiles are free",
             "A tile is free when nothing lies on it and its left or right side is open. The pointer frames free "
             "tiles in green, blocked ones in red.",
             x, y + 12, full);

    // Two examples: a row of three, whose ends are free and whose middle is
    // held on both sides; and a tile lying across two, which blocks both.
    const double top = y + 4;
    const double row = top + 7;
    const double marks = row + 55 + 15;
    const double ax = 90;
    paintTile(cr, 0, 30, ax + 66, row);
    paintTile(cr, 0, 14, ax + 33, row);
    paintTile(cr, 0, 5, ax, row);
    outlineFrame(cr, ax, row, true);
    outlineFrame(cr, ax + 33, row, false);
    outlineFrame(cr, ax + 66, row, true);
    mark(cr, ax, marks, true);
    mark(cr, ax + 33, marks, false);
    mark(cr, ax + 66, marks, true);
    const double bx = 300;
    paintTile(cr, 0, 40, bx + 33, row);
    paintTile(cr, 0, 31, bx, row);
    outlineFrame(cr, bx, row, false);
    outlineFrame(cr, bx + 33, row, false);
    paintTile(cr, 0, 44, bx + 16 + 6, top);
    outlineFrame(cr, bx + 16 + 6, top, true);
    mark(cr, bx - 6, marks, false);
    mark(cr, bx + 16 + 6, marks, true);
    mark(cr, bx + 33 + 12, marks, false);

    paragraph(cr, Typeface::Sans, kBody,
              "Click a tile again, or click the right button, to put it down. The game ends when the table is clear "
              "or no free pair is left.",
              x, marks + 24, full, 17, kCream);
    pageNumber(cr, w, h, 1);
    return canvas.toImage(AlphaMode::Opaque);
}

Image rulesHelp(int32_t w, int32_t h)
{
    Canvas canvas(w, h);
    cairo_t* cr = canvas.cr();
    dialogGround(cr, w, h, 113, "Help, time and keys", 50, 26);
    const double x = 36;
    double y = paragraph(cr, Typeface::Sans, kBody, "The clock runs while you play; most help adds time to it.", x, 84,
                         w - 2 * x, 17, kCream);

    struct Row {
        const char* what;
        const char* keys[2];
        const char* does;
        const char* cost;
    };
    const Row rows[] = {
        {"Hint", {"H", "F"}, "A free pair, or the partners of your tile.", "+0:30"},
        {"Undo", {"U", nullptr}, "Puts the last pair back on the table.", "+1:00"},
        {"Shuffle", {"S", nullptr}, "Mixes the tiles that are left.", "+2:00"},
        {"Free tiles", {"Space", nullptr}, "Lights up the free tiles for a moment.", "no cost"},
    };
    y += 12;
    for (const Row& r : rows) {
        double kx = x;
        for (const char* k : r.keys) {
            if (k != nullptr)
                kx = keyCap(cr, k, kx, y + 10) + 5;
        }
        text(cr, Typeface::SansBold, 13, r.what, x + 96, y, Align::Left, kGoldLight);
        text(cr, Typeface::Sans, kBody, r.does, x + 96, y + 17, Align::Left, kCream);
        text(cr, Typeface::SansBold, 13, r.cost, w - x, y + 8, Align::Right, r.cost[0] == '+' ? kCinnabar : kJade);
        y += 40;
    }
    paintDivider(cr, x, w - x, y - 12);
    y += 10;
    y = lead(cr, "Pause", "The Pause button stops the clock and hides the table; click the table or Resume to go on.", x,
             y, w - 2 * x);
    y = lead(cr, "Auto hints", "When they are on (Options), a hint shows by itself after 45 seconds without a move, at "
             "no cost.", x, y + 6, w - 2 * x);
    double kx = keyCap(cr, "Alt", x, y + 10);
    text(cr, Typeface::SansBold, 12, "+", kx + 6, y + 6, Align::Centre, kCream);
    kx = keyCap(cr, "Enter", kx + 12, y + 10);
    text(cr, Typeface::Sans, kBody, "switches between a window and full screen.", kx + 10, y + 6, Align::Left, kCream);
    pageNumber(cr, w, h, 2);
    return canvas.toImage(AlphaMode::Opaque);
}

} // namespace

bool makeDialogs(AssetSet& set)
{
    return set.addImage("art/options_qz.jpg", optionsDialog(geo::kBoardW, geo::kScreenH)) &&
           set.addImage("art/besttimes_qz.jpg", bestTimesDialog(geo::kBoardW, geo::kScreenH)) &&
           set.addImage("art/entername_qz.jpg", enterNameDialog(300, 240)) &&
           set.addImage("art/besttimes_areyousure.jpg",
                        confirmDialog(300, 160, 127, "Clear best times?",
                                      "The eight best results of this\nlayout will be lost for good.")) &&
           set.addImage("art/restart_areyousure.jpg",
                        confirmDialog(300, 160, 131, "Leave this game?",
                                      "The board you are playing\nwill be given up.")) &&
           set.addImage("art/no_more_moves.jpg", noMoreMovesDialog(300, 250)) &&
           set.addImage("art/rules_0_qz.jpg", rulesPlay(geo::kBoardW, geo::kScreenH)) &&
           set.addImage("art/rules_1_qz.jpg", rulesHelp(geo::kBoardW, geo::kScreenH));
}

} // namespace mkarchive
