// The archive's pictures as the game reads and places them: every image
// decodes through the game's own loaders at its manifest size; the sizes fit
// the places the game draws them; what the game copies through a mask keeps
// a clean shape; the text the game writes in its yellow font lands on dark
// ground; lit looks differ from normal ones, and different choices show
// different pictures.
#include "engine/media/HImage.h"
#include "engine/media/HJPGLoader.h"
#include "engine/media/HTGALoader.h"
#include "game/ScreenGeometry.h"
#include "tests/tools/ArchiveReader.h"
#include "tests/tools/BuiltArchiveTest.h"
#include "tools/mkarchive/Manifest.h"
#include "ui/MVDialogLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

using namespace mkarchive;

namespace {

struct Picture {
    int32_t w = 0;
    int32_t h = 0;
    std::vector<HImagePixel32> pixels;
    const HImagePixel32& at(int32_t x, int32_t y) const { return pixels[size_t(y) * size_t(w) + size_t(x)]; }
};

bool endsWith(const std::string& s, const char* tail)
{
    const std::string t = tail;
    return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

// Decodes an entry with the loader the game uses for its extension; false
// when that loader refuses it.
bool decode(const std::string& name, const std::string& bytes, Picture* out)
{
    HJPGLoader jpg;
    HTGALoader tga;
    HWholeFileImageLoader* loader = endsWith(name, ".jpg") ? static_cast<HWholeFileImageLoader*>(&jpg) : &tga;
    if (!loader->loadFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), name.c_str()))
        return false;
    const HImage* image = loader->getImage();
    if (image == nullptr || image->getFormat() != HImage::FORMAT_32BIT)
        return false;
    out->w = image->getWidth();
    out->h = image->getHeight();
    out->pixels.resize(size_t(out->w) * size_t(out->h));
    for (int32_t y = 0; y < out->h; ++y) {
        for (int32_t x = 0; x < out->w; ++x)
            image->getPixel32(x, y, &out->pixels[size_t(y) * size_t(out->w) + size_t(x)]);
    }
    loader->unload();
    return true;
}

int32_t luminance(const HImagePixel32& p)
{
    return (2126 * p.r + 7152 * p.g + 722 * p.b) / 10000;
}

geo::Point size(const char* name)
{
    const ManifestEntry* e = findManifestEntry(name);
    EXPECT_NE(e, nullptr) << name;
    return e != nullptr ? geo::Point{e->width, e->height} : geo::Point{0, 0};
}

geo::Box box(geo::Point at, const char* name)
{
    const geo::Point s = size(name);
    return geo::Box{at.x, at.y, s.x, s.y};
}

geo::Box box(geo::Point at, geo::Point s)
{
    return geo::Box{at.x, at.y, s.x, s.y};
}

geo::Box box(MVDialogLayout::Place at, geo::Point s)
{
    return geo::Box{at.x, at.y, s.x, s.y};
}

bool inside(const geo::Box& inner, const geo::Box& outer)
{
    return inner.x >= outer.x && inner.y >= outer.y && inner.right() <= outer.right() && inner.bottom() <= outer.bottom();
}

bool overlap(const geo::Box& a, const geo::Box& b)
{
    return a.x < b.right() && b.x < a.right() && a.y < b.bottom() && b.y < a.bottom();
}

std::string str(const geo::Box& b)
{
    char s[64];
    std::snprintf(s, sizeof(s), "(%d,%d %dx%d)", b.x, b.y, b.w, b.h);
    return s;
}

class ArchiveArtTest : public BuiltArchiveTest {
protected:
    static Picture picture(const char* name)
    {
        Picture p;
        EXPECT_TRUE(decode(name, s_archive->bytes(name), &p)) << name;
        return p;
    }

};

// The places the game draws each picture at, against the pictures' sizes:
// nothing runs off its screen or dialog, and nothing covers its neighbour.
TEST(ArchiveGeometry, SizesFitTheGamesDrawingPositions)
{
    const geo::Box screen{0, 0, geo::kScreenW, geo::kScreenH};
    const geo::Box boardArea{geo::kPanelW, 0, geo::kBoardW, geo::kScreenH};
    const geo::Point arrow = size("art/arrow_left_qz.tga");
    auto arrowBox = [&](int32_t i) { return box(geo::kArrows[i], arrow); };

    // Start screen.
    const geo::Point tw = size("art/preview_background_10.jpg");
    const geo::Box tablePreview = box(geo::tablePreviewAt(tw.x), tw);
    const geo::Point tsw = size("art/preview_tile_1.tga");
    const geo::Box tilePreview = box(geo::tileSetPreviewAt(tsw.x), tsw);
    const geo::Point lw = size("art/preview_layout_1.jpg");
    const geo::Box layoutPreview = box(geo::layoutPreviewAt(lw.x), lw);
    const geo::Point ttw = size("art/title_layout_1.tga");
    const geo::Box title = box(geo::layoutTitleAt(ttw.x), ttw);
    const geo::Box start = box(geo::kStartButton, "art/icon_start_qz.tga");
    EXPECT_TRUE(inside(box(geo::kTableTop, "art/start_qz.jpg"), screen));
    EXPECT_LE(arrowBox(1).right(), tablePreview.x) << "the table preview lies between the arrow pairs";
    EXPECT_LE(tablePreview.right(), arrowBox(2).x);
    EXPECT_TRUE(inside(tilePreview, tablePreview)) << "the tile set is shown on the table";
    EXPECT_LE(arrowBox(4).right(), title.x) << "the layout title lies between its arrows";
    EXPECT_LE(title.right(), arrowBox(5).x);
    EXPECT_LE(tablePreview.bottom(), title.y);
    EXPECT_LE(title.bottom(), layoutPreview.y);
    EXPECT_LE(layoutPreview.bottom(), start.y) << "the layout preview stays above the start button";
    for (int32_t i = 0; i < 6; ++i) {
        EXPECT_TRUE(inside(arrowBox(i), boardArea)) << i;
        EXPECT_FALSE(overlap(arrowBox(i), tablePreview)) << i;
        EXPECT_FALSE(overlap(arrowBox(i), title)) << i;
    }
    EXPECT_TRUE(inside(start, screen));

    // Left panel: every button, shown or hidden, centred in it, none over another.
    const std::vector<geo::Box> panel = {
        box(geo::kNewGameButton, "art/icon_newgame_qz.tga"), box(geo::kOptionsButton, "art/icon_options_qz.tga"),
        box(geo::kRulesButton, "art/icon_rules_qz.tga"),     box(geo::kHintButton, "art/icon_hint_qz.tga"),
        box(geo::kHintButton, "art/icon_findmatch_qz.tga"),  box(geo::kShowMovesButton, "art/icon_showmoves_qz.tga"),
        box(geo::kPauseButton, "art/icon_pause_qz.tga"),     box(geo::kPauseButton, "art/icon_resume_qz.tga"),
        box(geo::kUndoButton, "art/icon_undo_qz.tga"),       box(geo::kShuffleButton, "art/icon_shuffle_qz.tga"),
        box(geo::kExitButton, "art/icon_exit_qz.tga"),
    };
    for (size_t i = 0; i < panel.size(); ++i) {
        SCOPED_TRACE("panel button " + str(panel[i]));
        EXPECT_EQ(2 * panel[i].x + panel[i].w, geo::kPanelW);
        EXPECT_LE(panel[i].bottom(), geo::kScreenH);
        for (size_t j = i + 1; j < panel.size(); ++j) {
            if (panel[j].y != panel[i].y) { // the two looks of one button share its place
                EXPECT_FALSE(overlap(panel[i], panel[j])) << str(panel[j]);
            }
        }
    }

    // Information strip: each label ends left of its counter's widest text
    // (a three-digit clock, two-digit pairs, 144 tiles), digits 12 px wide.
    const int32_t digit = size("art/font_number_0.tga").x;
    EXPECT_LE(box(geo::kClockLabel, "art/icon_score_qz.tga").right(), geo::kClockNumber.x - 4 * digit - 10);
    EXPECT_LE(box(geo::kPairsLabel, "art/icon_available_qz.tga").right(), geo::kPairsNumber.x - digit);
    EXPECT_LE(box(geo::kTilesLabel, "art/icon_tiles_left_qz.tga").right(), geo::kTilesLeftNumber.x - 2 * digit);
    EXPECT_LE(geo::kTilesLeftNumber.x + digit, geo::kScreenW);
    const geo::Point nm = size("art/nomatch_alpha_qz.tga");
    EXPECT_TRUE(inside(box(geo::noMatchAt(nm.x, nm.y), nm), boardArea));

    // End screens: the continue button inside the board area, above the strip.
    const geo::Box cont = box(geo::kContinueButton, "art/icon_clicktocontinue_lit.tga");
    EXPECT_TRUE(inside(cont, boardArea));
    EXPECT_LE(cont.bottom(), geo::kClockLabel.y);

    // Loading screen.
    const geo::Point logo = size("art/loading_partner_qz.jpg");
    const geo::Box bar = box(geo::kProgressBar, "art/progress_qz.tga");
    EXPECT_TRUE(inside(bar, screen));
    EXPECT_FALSE(overlap(bar, box(MVDialogLayout::loadingRightLogoAt(geo::kScreenW, geo::kScreenH, logo.x, logo.y), logo)));

    // Options dialog, in its own coordinates.
    const geo::Box options{0, 0, geo::kBoardW, geo::kScreenH};
    const geo::Point knob = size("art/options_slider_tab_qz.tga");
    const std::vector<geo::Box> optionItems = {
        box(geo::kOptionsDone, "art/options_done_qz.tga"),
        box(geo::kOptionsBestTimes, "art/options_besttimes_qz.tga"),
        box(geo::kOptionsVisit, "art/options_visit_qz.tga"),
        box(geo::kFullscreenToggle, "art/options_on_qz.tga"),
        box(geo::kAutoHintToggle, "art/options_off_qz.tga"),
        // Each slider's whole run, knob at 0 to knob at 1.
        geo::Box{geo::kSoundSlider.x - knob.x / 2, geo::kSoundSlider.y - knob.y / 2, geo::kSliderLength + knob.x, knob.y},
        geo::Box{geo::kMusicSlider.x - knob.x / 2, geo::kMusicSlider.y - knob.y / 2, geo::kSliderLength + knob.x, knob.y},
    };
    for (size_t i = 0; i < optionItems.size(); ++i) {
        EXPECT_TRUE(inside(optionItems[i], options)) << str(optionItems[i]);
        for (size_t j = i + 1; j < optionItems.size(); ++j)
            EXPECT_FALSE(overlap(optionItems[i], optionItems[j])) << str(optionItems[i]) << " " << str(optionItems[j]);
    }

    // Best times: buttons inside, the title between the arrows.
    const geo::Point bt = size("art/besttimes_qz.jpg");
    const geo::Box bestTimes{0, 0, bt.x, bt.y};
    const geo::Box btTitle = box(geo::Point{(bt.x - ttw.x) / 2, geo::kBestTimesTitleY}, ttw);
    EXPECT_TRUE(inside(box(geo::kBestTimesOk, "art/ok_lit_qz.tga"), bestTimes));
    EXPECT_TRUE(inside(box(geo::kBestTimesClear, "art/besttimes_clear_lit_qz.tga"), bestTimes));
    EXPECT_LE(box(geo::kBestTimesPrevious, "art/arrow_left_qz.tga").right(), btTitle.x);
    EXPECT_LE(btTitle.right(), geo::kBestTimesNext.x);
    EXPECT_LE(geo::bestTimesRowY(7) + 12, geo::kBestTimesClear.y) << "the last row stays above the buttons";

    // Name entry: centred over the board area, its button and field inside.
    const geo::Point en = size("art/entername_qz.jpg");
    const geo::Point enOk = size("art/entername_ok_qz.tga");
    EXPECT_TRUE(inside(box(geo::enterNameAt(en.x, en.y), en), boardArea));
    const geo::Box enterName{0, 0, en.x, en.y};
    const geo::Box enOkBox = box(geo::enterNameOkAt(en.x, en.y, enOk.x, enOk.y), enOk);
    const geo::Box field{geo::kEnterNameField.x, geo::kEnterNameField.y, 13 * 8, 12}; // 12 characters and the caret
    EXPECT_TRUE(inside(enOkBox, enterName));
    EXPECT_TRUE(inside(field, enterName));
    EXPECT_FALSE(overlap(field, enOkBox));

    // The two confirmations and their yes and no buttons.
    const geo::Point yes = size("art/besttimes_areyousure_yes.tga");
    const geo::Point no = size("art/besttimes_areyousure_no.tga");
    for (const char* name : {"art/besttimes_areyousure.jpg", "art/restart_areyousure.jpg"}) {
        SCOPED_TRACE(name);
        const geo::Point d = size(name);
        const geo::Box dialog{0, 0, d.x, d.y};
        const geo::Box y = box(MVDialogLayout::messageOkAt(d.x, d.y, yes.x, yes.y, true), yes);
        const geo::Box n = box(MVDialogLayout::messageCancelAt(d.x, d.y, no.x, yes.y), no);
        EXPECT_TRUE(inside(y, dialog));
        EXPECT_TRUE(inside(n, dialog));
        EXPECT_FALSE(overlap(y, n));
        EXPECT_TRUE(inside(box(geo::clearConfirmAt(d.x, d.y), d), screen));
        EXPECT_TRUE(inside(box(geo::leaveConfirmAt(d.x, d.y), d), screen));
    }

    // No more moves.
    const geo::Point nmm = size("art/no_more_moves.jpg");
    const geo::Point nmb = size("art/no_more_moves_shuffle.tga");
    const geo::Box nmmDialog{0, 0, nmm.x, nmm.y};
    const geo::Box shuffle = box(geo::noMoreMovesShuffleAt(nmm.x, nmb.x), nmb);
    const geo::Box undo = box(geo::noMoreMovesUndoAt(nmm.x, nmb.x), nmb);
    const geo::Box end = box(geo::noMoreMovesEndAt(nmm.x, nmb.x), nmb);
    EXPECT_TRUE(inside(box(geo::noMoreMovesAt(nmm.x, nmm.y), nmm), screen));
    for (const geo::Box& b : {shuffle, undo, end})
        EXPECT_TRUE(inside(b, nmmDialog)) << str(b);
    EXPECT_FALSE(overlap(shuffle, undo));
    EXPECT_FALSE(overlap(undo, end));

    // Rules: the three buttons inside the slide, apart.
    const geo::Point slide = size("art/rules_0_qz.jpg");
    EXPECT_EQ(slide.x, size("art/rules_1_qz.jpg").x);
    EXPECT_EQ(slide.y, size("art/rules_1_qz.jpg").y);
    const geo::Point close = size("art/rules_close_qz.tga");
    const geo::Point page = size("art/rules_prev_qz.tga");
    const geo::Point next = size("art/rules_next_qz.tga");
    const geo::Box slideBox{0, 0, slide.x, slide.y};
    const geo::Box closeBox = box(MVDialogLayout::slideDoneAt(slide.x, slide.y, close.y), close);
    const geo::Box prevBox = box(MVDialogLayout::slidePreviousAt(slide.x, slide.y, page.y), page);
    const geo::Box nextBox = box(MVDialogLayout::slideNextAt(slide.x, slide.y, page.x, next.y), next);
    for (const geo::Box& b : {closeBox, prevBox, nextBox})
        EXPECT_TRUE(inside(b, slideBox)) << str(b);
    EXPECT_FALSE(overlap(closeBox, prevBox));
    EXPECT_FALSE(overlap(prevBox, nextBox));
}

// The start screen copies these through a mask of their fully opaque pixels:
// a half-transparent pixel would simply vanish, leaving ragged edges.
TEST_F(ArchiveArtTest, PicturesCopiedThroughAMaskHaveNoHalfTransparentPixel)
{
    for (const ManifestEntry& e : kManifest) {
        const std::string name = e.name;
        if (name.rfind("art/title_layout_", 0) != 0 && name.rfind("art/preview_tile_", 0) != 0)
            continue;
        SCOPED_TRACE(name);
        const Picture p = picture(e.name);
        int32_t opaque = 0;
        for (const HImagePixel32& px : p.pixels) {
            ASSERT_TRUE(px.a == 0 || px.a == 255) << int32_t(px.a);
            opaque += px.a == 255 ? 1 : 0;
        }
        EXPECT_GT(opaque, int32_t(p.pixels.size()) / 4) << "hardly anything left to show";
    }
}

// The game writes the best times, the time just made and the name being typed
// in its font, whose one colour is a light yellow: the ground under every
// cell it can write must be dark.
TEST_F(ArchiveArtTest, TextTheGameWritesLandsOnDarkGround)
{
    struct Area {
        const char* picture;
        geo::Box cells;
    };
    std::vector<Area> areas;
    const int32_t cw = geo::kFontW;
    for (int32_t r = 0; r < 8; ++r) {
        const int32_t y = geo::bestTimesRowY(r);
        areas.push_back({"art/besttimes_qz.jpg", {geo::kBestTimesNameX, y, geo::kNameChars * cw, 12}});
        areas.push_back({"art/besttimes_qz.jpg", {geo::kBestTimesTilesRight - 3 * cw, y, 3 * cw, 12}});
        areas.push_back({"art/besttimes_qz.jpg", {geo::kBestTimesTimeRight - 5 * cw, y, 5 * cw, 12}});
        areas.push_back({"art/besttimes_qz.jpg", {geo::kBestTimesRealRight - 5 * cw, y, 5 * cw, 12}});
    }
    const geo::Point en = size("art/entername_qz.jpg");
    // The time, centred, up to "100:00"; the name, 12 characters and the caret.
    areas.push_back({"art/entername_qz.jpg", {en.x / 2 - 3 * cw, geo::kEnterNameScoreY, 6 * cw, 12}});
    areas.push_back({"art/entername_qz.jpg", {geo::kEnterNameField.x, geo::kEnterNameField.y, 13 * cw, 12}});

    const Picture font = picture("art/font.tga");
    int32_t ink = 0;
    for (const HImagePixel32& px : font.pixels) {
        if (px.a == 255)
            ink = luminance(px);
    }
    ASSERT_GT(ink, 150) << "the font is meant to be light";
    for (const Area& a : areas) {
        SCOPED_TRACE(std::string(a.picture) + " " + str(a.cells));
        const Picture p = picture(a.picture);
        ASSERT_TRUE(inside(a.cells, geo::Box{0, 0, p.w, p.h}));
        int32_t brightest = 0;
        for (int32_t y = a.cells.y; y < a.cells.bottom(); ++y) {
            for (int32_t x = a.cells.x; x < a.cells.right(); ++x)
                brightest = std::max(brightest, luminance(p.at(x, y)));
        }
        EXPECT_LE(brightest, 40);
        EXPECT_GE(ink - brightest, 120);
    }
}

// Every lit look differs from the normal one beside it, at the same size; and
// each choice of the start screen shows a picture of its own.
TEST_F(ArchiveArtTest, LitLooksAndChoicesAreDistinct)
{
    int32_t pairs = 0;
    for (const ManifestEntry& e : kManifest) {
        std::string normal = e.name;
        const size_t lit = normal.find("_lit");
        if (lit == std::string::npos)
            continue;
        normal.erase(lit, 4);
        const ManifestEntry* n = findManifestEntry(normal.c_str());
        if (n == nullptr)
            continue; // a button with a lit image only
        SCOPED_TRACE(e.name);
        EXPECT_EQ(n->width, e.width);
        EXPECT_EQ(n->height, e.height);
        EXPECT_NE(s_archive->bytes(e.name), s_archive->bytes(n->name));
        ++pairs;
    }
    EXPECT_EQ(pairs, 29);

    const char* const families[] = {"art/preview_layout_", "art/title_layout_", "art/preview_tile_",
                                    "art/preview_background_", "art/arena", "art/tileset_"};
    for (const char* family : families) {
        SCOPED_TRACE(family);
        std::set<std::string> seen;
        int32_t members = 0;
        for (const ManifestEntry& e : kManifest) {
            if (std::string(e.name).rfind(family, 0) != 0)
                continue;
            ++members;
            EXPECT_TRUE(seen.insert(s_archive->bytes(e.name)).second) << e.name << " repeats another choice";
        }
        EXPECT_GE(members, 9);
    }
}

} // namespace
