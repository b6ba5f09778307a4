// The full pictures of the game screen: the loading screen with its progress
// bar and the maker's logo, the left panel, the start screen, the pause
// screen, the two end screens and the no-match message.
//
// Each is drawn for the place the game shows it (game/ScreenGeometry.h): the
// start screen frames the previews the game draws over it and captions its
// arrow buttons; the panel leaves plain ground where its hidden buttons sit;
// the end screens carry the normal look of the continue button, whose lit image the
// game draws over it, and keep the bottom strip free for the counters.
#include "game/ScreenGeometry.h"
#include "tools/mkarchive/Producers.h"
#include "tools/mkarchive/Theme.h"

#include <cmath>
#include <cstring>

namespace mkarchive {

using namespace theme;

namespace {

// Text with extra room between the letters, centred on cx.
void spacedText(cairo_t* cr, Typeface face, double size, const char* s, double cx, double baseline, double spacing,
                Colour c)
{
    double total = 0.0;
    const size_t n = std::strlen(s);
    for (size_t i = 0; i < n; ++i) {
        const char one[2] = {s[i], '\0'};
        total += textWidth(cr, face, size, one) + (i + 1 < n ? spacing : 0.0);
    }
    double x = cx - total / 2.0;
    for (size_t i = 0; i < n; ++i) {
        const char one[2] = {s[i], '\0'};
        text(cr, face, size, one, x, baseline, Align::Left, c);
        x += textWidth(cr, face, size, one) + spacing;
    }
}

// The game's name: "Qinvar" in gold over "MAH JONG".
void paintLogo(cairo_t* cr, double cx, double baseline, double size)
{
    heading(cr, "Qinvar", cx, baseline, size);
    spacedText(cr, Typeface::SansBold, std::floor(size * 0.28), "MAH JONG", cx, baseline + std::floor(size * 0.5),
               std::floor(size * 0.12), kCream);
}

// A gold hourglass, for the pause screen.
void paintHourglass(cairo_t* cr, double cx, double cy, double h)
{
    const double w = h * 0.55;
    cairo_save(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_move_to(cr, cx - w / 2, cy - h / 2);
    cairo_line_to(cr, cx + w / 2, cy - h / 2);
    cairo_line_to(cr, cx + 3, cy);
    cairo_line_to(cr, cx + w / 2, cy + h / 2);
    cairo_line_to(cr, cx - w / 2, cy + h / 2);
    cairo_line_to(cr, cx - 3, cy);
    cairo_close_path(cr);
    setColour(cr, withAlpha(kField, 0.7));
    cairo_fill_preserve(cr);
    setColour(cr, kGold);
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
    // The sand, half run through.
    cairo_move_to(cr, cx - w / 4, cy - h / 4 + 4);
    cairo_line_to(cr, cx + w / 4, cy - h / 4 + 4);
    cairo_line_to(cr, cx, cy - 2);
    cairo_close_path(cr);
    cairo_move_to(cr, cx - w / 2 + 5, cy + h / 2 - 3);
    cairo_line_to(cr, cx + w / 2 - 5, cy + h / 2 - 3);
    cairo_line_to(cr, cx, cy + h / 4);
    cairo_close_path(cr);
    setColour(cr, kGoldLight);
    cairo_fill(cr);
    for (double y : {cy - h / 2, cy + h / 2}) {
        roundedRect(cr, cx - w / 2 - 6, y - 3, w + 12, 6, 3);
        setColour(cr, kGold);
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

// Soft gold rays from a point, for the won screen.
void paintRays(cairo_t* cr, double cx, double cy, double reach)
{
    cairo_save(cr);
    cairo_pattern_t* glow = cairo_pattern_create_radial(cx, cy, 0, cx, cy, reach);
    cairo_pattern_add_color_stop_rgba(glow, 0.0, kGold.r, kGold.g, kGold.b, 0.10);
    cairo_pattern_add_color_stop_rgba(glow, 1.0, kGold.r, kGold.g, kGold.b, 0.0);
    const int32_t rays = 24;
    for (int32_t i = 0; i < rays; ++i) {
        const double a = (i + 0.5) * 2.0 * M_PI / rays;
        const double da = M_PI / rays * 0.45;
        cairo_move_to(cr, cx, cy);
        cairo_line_to(cr, cx + reach * std::cos(a - da), cy + reach * std::sin(a - da));
        cairo_line_to(cr, cx + reach * std::cos(a + da), cy + reach * std::sin(a + da));
        cairo_close_path(cr);
    }
    cairo_set_source(cr, glow);
    cairo_fill(cr);
    cairo_pattern_destroy(glow);
    cairo_restore(cr);
}

Image loadingScreen()
{
    Canvas canvas(geo::kScreenW, geo::kScreenH);
    cairo_t* cr = canvas.cr();
    paintGround(cr, geo::kScreenW, geo::kScreenH, 11);
    // A row of tiles over the name, turned a little like a hand held out.
    const int32_t faces[5] = {0, 13, 43, 39, 35};
    for (int32_t i = 4; i >= 0; --i) {
        const double k = i - 2;
        cairo_save(cr);
        cairo_translate(cr, 320 + 64 * k, 118 + 7 * k * k);
        cairo_rotate(cr, 0.07 * k);
        paintTile(cr, 0, faces[i], -22.5 * 1.5, -41, 1.5);
        cairo_restore(cr);
    }
    paintLogo(cr, 320, 250, 64);
    paintDivider(cr, 170, 470, 300);
    // The trough the progress bar fills, one pixel outside the bar.
    const geo::Point bar = geo::kProgressBar;
    roundedRect(cr, bar.x - 2.5, bar.y - 2.5, 405, 29, 13.5);
    setColour(cr, kGold);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    roundedRect(cr, bar.x - 1, bar.y - 1, 402, 26, 12);
    setColour(cr, kField);
    cairo_fill(cr);
    text(cr, Typeface::Sans, 13, "Setting out the tiles\xE2\x80\xA6", 320, 384, Align::Centre, kCreamDim);
    return canvas.toImage(AlphaMode::Opaque);
}

// The maker's logo, shown at the loading screen's lower right corner.
Image partnerLogo(int32_t w, int32_t h)
{
    Canvas canvas(w, h);
    cairo_t* cr = canvas.cr();
    setLinear(cr, 0, 0, rgb(0x0f2a33), 0, h, rgb(0x081419));
    cairo_paint(cr);
    cairo_rectangle(cr, 2.5, 2.5, w - 5, h - 5);
    setColour(cr, withAlpha(kGold, 0.7));
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    // Two tiles leaning together: the maker's mark.
    for (int32_t i = 0; i < 2; ++i) {
        cairo_save(cr);
        cairo_translate(cr, 30 + 10 * i, 42);
        cairo_rotate(cr, i == 0 ? -0.18 : 0.18);
        roundedRect(cr, -9, -14, 18, 26, 3);
        setLinear(cr, 0, -14, i == 0 ? kGold : kGoldLight, 0, 12, i == 0 ? kGoldDark : kGold);
        cairo_fill(cr);
        cairo_restore(cr);
    }
    spacedText(cr, Typeface::SansBold, 15, "MORAVEL", 103, 42, 1.0, kGoldLight);
    spacedText(cr, Typeface::Sans, 11, "games", 103, 58, 3.0, kCreamDim);
    return canvas.toImage(AlphaMode::Opaque);
}

// The bar, revealed from the left as loading goes on: gold with a sheen and
// faint diagonal bands.
Image progressBar(int32_t w, int32_t h)
{
    Canvas canvas(w, h);
    cairo_t* cr = canvas.cr();
    roundedRect(cr, 0.5, 0.5, w - 1.0, h - 1.0, (h - 1.0) / 2.0);
    setLinear(cr, 0, 0, rgb(0xffe9a8), 0, h, rgb(0xb87d1e));
    cairo_fill_preserve(cr);
    cairo_save(cr);
    cairo_clip_preserve(cr);
    for (double x = -h; x < w + h; x += 16) {
        cairo_move_to(cr, x, h);
        cairo_line_to(cr, x + 8, h);
        cairo_line_to(cr, x + 8 + h, 0);
        cairo_line_to(cr, x + h, 0);
        cairo_close_path(cr);
    }
    setColour(cr, Colour{1, 1, 1, 0.12});
    cairo_fill(cr);
    cairo_rectangle(cr, 0, 2, w, h * 0.35);
    setColour(cr, Colour{1, 1, 1, 0.25});
    cairo_fill(cr);
    cairo_restore(cr);
    setColour(cr, kGoldDark);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    return canvas.toImage(AlphaMode::Keep);
}

Image leftPanel(int32_t w, int32_t h)
{
    Canvas canvas(w, h);
    cairo_t* cr = canvas.cr();
    paintGround(cr, w, h, 23);
    // The panel's edge against the board.
    cairo_rectangle(cr, w - 3, 0, 1, h);
    setColour(cr, kGold);
    cairo_fill(cr);
    cairo_rectangle(cr, w - 2, 0, 2, h);
    setColour(cr, rgb(0x05090b));
    cairo_fill(cr);
    cairo_rectangle(cr, w - 5, 0, 2, h);
    setColour(cr, withAlpha(kGoldDark, 0.6));
    cairo_fill(cr);

    paintTile(cr, 0, 43, 46, 8, 0.72);
    paintLogo(cr, 61, 70, 28);
    // Dividers only in gaps that no button, shown or hidden, covers.
    paintDivider(cr, 18, 104, 155);
    paintDivider(cr, 18, 104, 437);
    return canvas.toImage(AlphaMode::Opaque);
}

Image startScreen(int32_t w, int32_t h)
{
    Canvas canvas(w, h);
    cairo_t* cr = canvas.cr();
    paintGround(cr, w, h, 31);
    const double ox = -geo::kTableTop.x; // screen to picture
    const double mid = (geo::kPanelW + geo::kScreenW) / 2.0 + ox;

    heading(cr, "Choose your game", mid, 27, 20);

    // Frames one pixel outside the previews the game draws here: the table
    // top with the tile set over it, and the layout.
    auto frame = [&](geo::Point at, int32_t pw, int32_t ph) {
        cairo_rectangle(cr, at.x + ox - 1.5, at.y - 1.5, pw + 3, ph + 3);
        setColour(cr, rgb(0x05090b));
        cairo_set_line_width(cr, 2.0);
        cairo_stroke(cr);
        cairo_rectangle(cr, at.x + ox - 0.5, at.y - 0.5, pw + 1, ph + 1);
        setColour(cr, kGold);
        cairo_set_line_width(cr, 1.0);
        cairo_stroke(cr);
    };
    frame(geo::tablePreviewAt(228), 228, 110);
    frame(geo::layoutPreviewAt(300), 300, 210);

    // Captions under the arrow pairs and under the layout title.
    const Colour caption = kGoldLight;
    text(cr, Typeface::SansBold, 13, "Table", (geo::kArrows[0].x + geo::kArrows[1].x + 30) / 2.0 + ox, 135,
         Align::Centre, caption);
    text(cr, Typeface::SansBold, 13, "Tiles", (geo::kArrows[2].x + geo::kArrows[3].x + 30) / 2.0 + ox, 134,
         Align::Centre, caption);
    text(cr, Typeface::SansBold, 12, "Layout", geo::layoutTitleAt(160).x + 80 + ox, 196, Align::Centre, caption);

    // A small stack of three tiles in each lower corner, clear of the start
    // button: two side by side, one on top one layer up.
    auto stack = [&](double left, int32_t a, int32_t b, int32_t top) {
        paintTile(cr, 0, b, left + 33, 410);
        paintTile(cr, 0, a, left, 410);
        paintTile(cr, 0, top, left + 16 + 6, 403);
    };
    stack(26, 4, 44, 36);
    stack(422, 26, 42, 50);
    return canvas.toImage(AlphaMode::Opaque);
}

// The ground of the board-area pictures; the end screens stop their frame
// above the information strip, where the game draws its counters.
void boardPictureGround(cairo_t* cr, int32_t w, int32_t h, uint32_t seed, bool stripBelow)
{
    paintGround(cr, w, h, seed);
    paintFrame(cr, 0, 0, w, stripBelow ? geo::kClockLabel.y - 4 : h);
}

void continueLook(cairo_t* cr)
{
    const geo::Point at{geo::kContinueButton.x - geo::kBoardPicture.x, geo::kContinueButton.y};
    paintButton(cr, at.x, at.y, 144, 40, "Continue", Look::Normal);
}

Image pauseScreen(int32_t w, int32_t h)
{
    Canvas canvas(w, h);
    cairo_t* cr = canvas.cr();
    boardPictureGround(cr, w, h, 41, false);
    paintHourglass(cr, w / 2.0, 150, 76);
    heading(cr, "Paused", w / 2.0, 258, 40);
    paintDivider(cr, w / 2.0 - 120, w / 2.0 + 120, 280);
    paragraph(cr, Typeface::Sans, 14, "The clock is stopped and the table is hidden.", 40, 312, w - 80, 22, kCream,
              Align::Centre);
    paragraph(cr, Typeface::Sans, 14, "Click here, or on Resume, to play on.", 40, 338, w - 80, 22, kCreamDim,
              Align::Centre);
    return canvas.toImage(AlphaMode::Opaque);
}

// The end screens' text stands in a column over the continue button, which
// the game puts left of the board's middle; tiles fill the right-hand side.
constexpr double kEndColumn = geo::kContinueButton.x - geo::kBoardPicture.x + 72; // the button's middle
constexpr double kEndColumnW = 300;

void endText(cairo_t* cr, const char* title, const char* line, const char* more)
{
    heading(cr, title, kEndColumn, 150, 34);
    paintDivider(cr, kEndColumn - 120, kEndColumn + 120, 172);
    const double left = kEndColumn - kEndColumnW / 2.0;
    const double y = paragraph(cr, Typeface::Sans, 14, line, left, 204, kEndColumnW, 21, kCream, Align::Centre);
    paragraph(cr, Typeface::Sans, 13, more, left, y + 6, kEndColumnW, 19, kCreamDim, Align::Centre);
}

Image wonScreen(int32_t w, int32_t h)
{
    Canvas canvas(w, h);
    cairo_t* cr = canvas.cr();
    boardPictureGround(cr, w, h, 53, true);
    paintRays(cr, 435, 205, 300);
    endText(cr, "Table cleared!", "All 144 tiles are off the table. Well played!",
            "Your time, with the seconds added for help, is on the clock below.");
    // The four flowers, which all match one another, two by two.
    for (int32_t i = 3; i >= 0; --i)
        paintTile(cr, 0, 35 + i, 376 + 56 * (i % 2), 122 + 82 * (i / 2), 1.45);
    continueLook(cr);
    return canvas.toImage(AlphaMode::Opaque);
}

Image gameOverScreen(int32_t w, int32_t h)
{
    Canvas canvas(w, h);
    cairo_t* cr = canvas.cr();
    boardPictureGround(cr, w, h, 67, true);
    endText(cr, "No more moves", "No free pair is left on the table.",
            "The game still counts: best times rank the fewest tiles left first, then the shortest time.");
    // Two tiles that do not match, one held by the other.
    paintTile(cr, 0, 17, 420, 150, 1.45);
    paintTile(cr, 0, 4, 372, 150, 1.45);
    continueLook(cr);
    return canvas.toImage(AlphaMode::Opaque);
}

// Shown over the board when an asked hint finds every partner of the chosen
// tile covered; the game fades it out.
Image noMatchMessage(int32_t w, int32_t h)
{
    Canvas canvas(w, h);
    cairo_t* cr = canvas.cr();
    roundedRect(cr, 1.5, 1.5, w - 3.0, h - 3.0, 10);
    setColour(cr, withAlpha(kField, 0.88));
    cairo_fill_preserve(cr);
    setColour(cr, kGold);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    text(cr, Typeface::SansBold, 16, "No match in sight", w / 2.0, 27, Align::Centre, kCream);
    text(cr, Typeface::Sans, 12, "Every partner of this tile is covered.", w / 2.0, 46, Align::Centre, kCreamDim);
    return canvas.toImage(AlphaMode::Keep);
}

} // namespace

bool makeScreens(AssetSet& set)
{
    return set.addImage("art/loading_qz.jpg", loadingScreen()) &&
           set.addImage("art/loading_partner_qz.jpg", partnerLogo(160, 80)) &&
           set.addImage("art/progress_qz.tga", progressBar(400, 24)) &&
           set.addImage("art/left_qz.jpg", leftPanel(geo::kPanelW, geo::kScreenH)) &&
           set.addImage("art/start_qz.jpg", startScreen(520, geo::kScreenH)) &&
           set.addImage("art/pause_qz.jpg", pauseScreen(geo::kBoardW, geo::kScreenH)) &&
           set.addImage("art/board_complete_qz.jpg", wonScreen(geo::kBoardW, geo::kScreenH)) &&
           set.addImage("art/gameover_qz.jpg", gameOverScreen(geo::kBoardW, geo::kScreenH)) &&
           set.addImage("art/nomatch_alpha_qz.tga", noMatchMessage(300, 60));
}

} // namespace mkarchive
