// Assembles the game's screens and dialogs from the archive's entries.
//
// JPEG entries are decoded from their encoded bytes, so the previews show
// what the game gets. Copies follow the game: a picture with any transparent
// pixel is copied through a mask of its fully opaque pixels, buttons, labels,
// digits and text are alpha-blended, dialog backgrounds copied whole. What
// each screen shows follows the game's states: which buttons are active,
// that the counters are left out under dialogs and while paused.
#include "tools/mkarchive/Composites.h"

#include "game/ScreenGeometry.h"
#include "tools/mkarchive/BoardPicture.h"
#include "tools/mkarchive/Canvas.h"
#include "tools/mkarchive/Layouts.h"
#include "ui/MVDialogLayout.h"

#include <cstdio>
#include <cstring>
#include <map>

namespace mkarchive {

namespace {

using geo::Point;

Point pointOf(MVDialogLayout::Place p)
{
    return Point{p.x, p.y};
}

// The pictures the game would load, by name, decoded once.
class Pictures {
public:
    explicit Pictures(const AssetSet& set) : m_set(set), m_cache(), m_bMissing(false) {}

    const Image& get(const char* name)
    {
        auto it = m_cache.find(name);
        if (it != m_cache.end())
            return it->second;
        const AssetSet::Entry* e = m_set.find(name);
        Image img;
        if (e == nullptr) {
            std::fprintf(stderr, "mkarchive: the previews need '%s', which was not made\n", name);
            m_bMissing = true;
        } else if (e->manifest->format == AssetFormat::Jpeg) {
            img = decodeJpeg(e->bytes);
        } else {
            img = e->image;
        }
        return m_cache.emplace(name, img).first->second;
    }

    bool missing() const { return m_bMissing; }

private:
    const AssetSet& m_set;
    std::map<std::string, Image> m_cache;
    bool m_bMissing;
};

// One screen being assembled.
class Screen {
public:
    explicit Screen(Pictures& pictures) : m_pictures(pictures), m_image(geo::kScreenW, geo::kScreenH)
    {
        for (int32_t y = 0; y < m_image.height(); ++y) {
            for (int32_t x = 0; x < m_image.width(); ++x)
                m_image.set(x, y, Rgba{0, 0, 0, 255});
        }
    }

    const Image& picture(const char* name) { return m_pictures.get(name); }

    int32_t width(const char* name) { return picture(name).width(); }
    int32_t height(const char* name) { return picture(name).height(); }

    // A plain copy: every pixel, or with a mask only the fully opaque ones.
    void copy(const Image& img, int32_t x, int32_t y)
    {
        for (int32_t j = 0; j < img.height(); ++j) {
            for (int32_t i = 0; i < img.width(); ++i) {
                const Rgba p = img.at(i, j);
                if (p.a == 255 && !(p.r == 255 && p.g == 0 && p.b == 255) && inside(x + i, y + j))
                    m_image.set(x + i, y + j, p);
            }
        }
    }
    void copy(const char* name, Point at) { copy(picture(name), at.x, at.y); }

    void blend(const Image& img, int32_t x, int32_t y, int32_t rows = -1)
    {
        const int32_t h = rows < 0 ? img.height() : std::min(rows, img.height());
        for (int32_t j = 0; j < h; ++j) {
            for (int32_t i = 0; i < img.width(); ++i) {
                if (!inside(x + i, y + j))
                    continue;
                const Rgba s = img.at(i, j);
                const Rgba d = m_image.at(x + i, y + j);
                const uint32_t a = s.a;
                auto m = [a](uint8_t sc, uint8_t dc) { return uint8_t((sc * a + dc * (255 - a) + 127) / 255); };
                m_image.set(x + i, y + j, Rgba{m(s.r, d.r), m(s.g, d.g), m(s.b, d.b), 255});
            }
        }
    }
    void blend(const char* name, Point at) { blend(picture(name), at.x, at.y); }

    // The game's text: 8 x 12 cells of "art/font.tga", character c at column
    // c mod 16, row c / 16 - 1; justification 0 left, 1 right, 2 centred.
    void text(const char* s, int32_t x, int32_t y, int32_t justification)
    {
        const Image& font = picture("art/font.tga");
        const int32_t n = int32_t(std::strlen(s));
        int32_t start = x;
        if (justification == 1)
            start = x - n * 8;
        else if (justification == 2)
            start = x - (n * 8) / 2;
        for (int32_t k = 0; k < n; ++k) {
            const int32_t c = int32_t(static_cast<signed char>(s[k]));
            const int32_t row = c / 16;
            const int32_t col = c - 16 * row;
            if (row < 1 || row > 7 || col < 0)
                continue;
            Image glyph(8, 12);
            for (int32_t j = 0; j < 12; ++j) {
                for (int32_t i = 0; i < 8; ++i)
                    glyph.set(i, j, font.at(col * 8 + i, (row - 1) * 12 + j));
            }
            blend(glyph, start + k * 8, y);
        }
    }

    // A counter in digit images, right to left from x; every third character
    // from the right is followed by a comma when asked, 3 px lower, and by a
    // tighter step either way.
    void number(const char* s, int32_t x, int32_t y, bool commas)
    {
        const int32_t n = int32_t(std::strlen(s));
        if (n == 0)
            return;
        int32_t cursor = x;
        int32_t w = width("art/font_number_0.tga");
        const int32_t h = height("art/font_number_0.tga");
        int32_t count = 0;
        bool pending = false;
        int32_t i = n - 1;
        while (i >= 0) {
            const Image* glyph = nullptr;
            int32_t top = y;
            int32_t step = 0;
            if (pending && commas) {
                glyph = &picture("art/font_comma.tga");
                pending = false;
                w = glyph->width();
                step = (3 * w) / 4;
                top = y + 3;
            } else {
                const char c = s[i--];
                ++count;
                char name[40] = "";
                if (c >= '0' && c <= '9')
                    std::snprintf(name, sizeof(name), "art/font_number_%c.tga", c);
                else if (c == ':')
                    std::snprintf(name, sizeof(name), "art/font_colon.tga");
                if (name[0] != '\0') {
                    glyph = &picture(name);
                    w = glyph->width();
                }
                if (count % 3 != 0) {
                    step = w;
                } else {
                    pending = true;
                    step = (3 * w) / 4 + 1;
                }
            }
            if (glyph != nullptr)
                blend(*glyph, cursor, top, h);
            cursor -= step;
        }
    }

    bool write(const std::string& folder, const char* file)
    {
        if (m_pictures.missing())
            return false;
        const std::string path = folder + "/" + file;
        Canvas canvas(m_image.width(), m_image.height());
        canvas.drawImage(m_image, 0, 0);
        if (!makeParentFolders(path) || cairo_surface_write_to_png(canvas.surface(), path.c_str()) != CAIRO_STATUS_SUCCESS) {
            std::fprintf(stderr, "mkarchive: cannot write the preview '%s'\n", path.c_str());
            return false;
        }
        return true;
    }

private:
    bool inside(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < m_image.width() && y < m_image.height(); }

    Pictures& m_pictures;
    Image m_image;
};

const char* const kTableTops[10] = {"art/arena10_qz.jpg", "art/arena1_qz.jpg", "art/arena2_qz.jpg", "art/arena3_qz.jpg",
                                    "art/arena4_qz.jpg",  "art/arena5_qz.jpg", "art/arena6_qz.jpg", "art/arena7_qz.jpg",
                                    "art/arena8_qz.jpg",  "art/arena9_qz.jpg"};
const char* const kTablePreviews[10] = {
    "art/preview_background_10.jpg", "art/preview_background_1.jpg", "art/preview_background_2.jpg",
    "art/preview_background_3.jpg",  "art/preview_background_4.jpg", "art/preview_background_5.jpg",
    "art/preview_background_6.jpg",  "art/preview_background_7.jpg", "art/preview_background_8.jpg",
    "art/preview_background_9.jpg"};
const char* const kTileSetPreviews[9] = {"art/preview_tile_1.tga", "art/preview_tile_2.tga", "art/preview_tile_tovani.tga",
                                         "art/preview_tile_3.tga", "art/preview_tile_4.tga", "art/preview_tile_5.tga",
                                         "art/preview_tile_6.tga", "art/preview_tile_7.tga", "art/preview_tile_8.tga"};

// The left panel with the buttons of a state.
enum class PanelState { Start, Playing, Paused, Ended };

void panel(Screen& s, PanelState state, const char* litButton)
{
    s.copy("art/left_qz.jpg", Point{0, 0});
    struct Button {
        const char* normal;
        const char* lit;
        Point at;
        bool shown;
    };
    const bool playing = state == PanelState::Playing;
    const Button buttons[] = {
        {"art/icon_exit_qz.tga", "art/icon_exit_lit_qz.tga", geo::kExitButton, true},
        {"art/icon_options_qz.tga", "art/icon_options_lit_qz.tga", geo::kOptionsButton, true},
        {"art/icon_hint_qz.tga", "art/icon_hint_lit_qz.tga", geo::kHintButton, playing},
        {state == PanelState::Paused ? "art/icon_resume_qz.tga" : "art/icon_pause_qz.tga",
         state == PanelState::Paused ? "art/icon_resume_lit_qz.tga" : "art/icon_pause_lit_qz.tga", geo::kPauseButton,
         playing || state == PanelState::Paused},
        {"art/icon_newgame_qz.tga", "art/icon_newgame_lit_qz.tga", geo::kNewGameButton, playing},
        {"art/icon_rules_qz.tga", "art/icon_rules_lit_qz.tga", geo::kRulesButton, true},
        {"art/icon_shuffle_qz.tga", "art/icon_shuffle_lit_qz.tga", geo::kShuffleButton,
         playing || state == PanelState::Paused},
    };
    for (const Button& b : buttons) {
        if (!b.shown)
            continue;
        const bool lit = litButton != nullptr && std::strcmp(litButton, b.normal) == 0;
        s.blend(lit ? b.lit : b.normal, b.at);
    }
}

void stripLabels(Screen& s)
{
    s.blend("art/icon_score_qz.tga", geo::kClockLabel);
    s.blend("art/icon_available_qz.tga", geo::kPairsLabel);
    s.blend("art/icon_tiles_left_qz.tga", geo::kTilesLabel);
}

void counters(Screen& s, const char* tiles, const char* pairs, const char* clock)
{
    s.number(tiles, geo::kTilesLeftNumber.x, geo::kTilesLeftNumber.y, true);
    s.number(pairs, geo::kPairsNumber.x, geo::kPairsNumber.y, true);
    s.number(clock, geo::kClockNumber.x, geo::kClockNumber.y, false);
}

void startScreen(Screen& s, int32_t table, int32_t tileSet, int32_t layout, int32_t litArrow)
{
    s.copy("art/start_qz.jpg", geo::kTableTop);
    const char* tablePreview = kTablePreviews[table];
    const char* tilePreview = kTileSetPreviews[tileSet];
    char layoutPreview[48];
    char layoutTitle[48];
    std::snprintf(layoutPreview, sizeof(layoutPreview), "art/preview_layout_%d.jpg", layout + 1);
    std::snprintf(layoutTitle, sizeof(layoutTitle), "art/title_layout_%d.tga", layout + 1);
    s.copy(tablePreview, geo::tablePreviewAt(s.width(tablePreview)));
    s.copy(tilePreview, geo::tileSetPreviewAt(s.width(tilePreview)));
    s.copy(layoutPreview, geo::layoutPreviewAt(s.width(layoutPreview)));
    s.copy(layoutTitle, geo::layoutTitleAt(s.width(layoutTitle)));
    panel(s, PanelState::Start, nullptr);
    for (int32_t i = 0; i < 6; ++i) {
        const bool right = i % 2 == 1;
        const bool lit = i == litArrow;
        s.blend(right ? (lit ? "art/arrow_right_lit_qz.tga" : "art/arrow_right_qz.tga")
                      : (lit ? "art/arrow_left_lit_qz.tga" : "art/arrow_left_qz.tga"),
                geo::kArrows[i]);
    }
    s.blend("art/icon_start_qz.tga", geo::kStartButton);
}

// Free by the board's rule, ignoring faces: nothing on top, and a side open.
bool isFree(const std::vector<TilePos>& tiles, const TilePos& t)
{
    bool left = false, right = false;
    for (const TilePos& u : tiles) {
        if (u.z == t.z + 1 && std::abs(u.x - t.x) < 2 && std::abs(u.y - t.y) < 2)
            return false;
        if (u.z == t.z && std::abs(u.y - t.y) < 2) {
            left = left || u.x == t.x - 2;
            right = right || u.x == t.x + 2;
        }
    }
    return !left || !right;
}

// A board in play: the layout dealt on a table, the hover outline on its
// highest free tile.
void playing(Screen& s, int32_t table, int32_t tileSet, int32_t layout)
{
    const std::vector<TilePos> tiles = layoutPositions(layout);
    const Image board = drawLayoutPicture(tiles, tileSet, &s.picture(kTableTops[table]));
    s.copy(board, geo::kBoardPicture.x, geo::kBoardPicture.y);
    const TilePos* hover = nullptr;
    for (const TilePos& t : tiles) {
        if (isFree(tiles, t) && (hover == nullptr || t.z > hover->z))
            hover = &t;
    }
    if (hover != nullptr) {
        // Over the tile's face.
        const Point at = geo::tileAt(hover->x, hover->y, hover->z);
        s.blend("art/outline_green.tga", Point{at.x + geo::kTileSideEdge, at.y});
    }
}

void playingScreen(Screen& s, int32_t table, int32_t tileSet, int32_t layout, const char* lit, bool selected)
{
    playing(s, table, tileSet, layout);
    panel(s, PanelState::Playing, lit);
    if (selected)
        s.blend("art/icon_findmatch_qz.tga", geo::kHintButton);
    stripLabels(s);
}

// The buttons of a message box or confirmation: yes at a quarter of the free
// width, no at three quarters.
void confirmation(Screen& s, const char* background, Point at, bool yesLit)
{
    s.copy(background, at);
    const int32_t w = s.width(background);
    const int32_t h = s.height(background);
    const int32_t yw = s.width("art/besttimes_areyousure_yes.tga");
    const int32_t yh = s.height("art/besttimes_areyousure_yes.tga");
    const int32_t nw = s.width("art/besttimes_areyousure_no.tga");
    const Point yes = pointOf(MVDialogLayout::messageOkAt(w, h, yw, yh, true));
    const Point no = pointOf(MVDialogLayout::messageCancelAt(w, h, nw, yh));
    s.blend(yesLit ? "art/besttimes_areyousure_yes_lit.tga" : "art/besttimes_areyousure_yes.tga",
            Point{at.x + yes.x, at.y + yes.y});
    s.blend("art/besttimes_areyousure_no.tga", Point{at.x + no.x, at.y + no.y});
}

void bestTimes(Screen& s, int32_t layout, bool clearLit, int32_t newPlace)
{
    const Point o = geo::kBoardPicture;
    s.copy("art/besttimes_qz.jpg", o);
    if (clearLit)
        s.blend("art/besttimes_clear_lit_qz.tga", Point{o.x + geo::kBestTimesClear.x, o.y + geo::kBestTimesClear.y});
    s.blend("art/arrow_right_qz.tga", Point{o.x + geo::kBestTimesNext.x, o.y + geo::kBestTimesNext.y});
    s.blend("art/arrow_left_qz.tga", Point{o.x + geo::kBestTimesPrevious.x, o.y + geo::kBestTimesPrevious.y});
    char title[48];
    std::snprintf(title, sizeof(title), "art/title_layout_%d.tga", layout + 1);
    const int32_t bw = s.width("art/besttimes_qz.jpg");
    s.blend(title, Point{o.x + (bw - s.width(title)) / 2, o.y + geo::kBestTimesTitleY});
    const char* const names[8] = {"Vot", "Ressa", "Ondi", "Brum", "Tamsi", "Kelp", "Pell", "Snorkel"};
    for (int32_t r = 0; r < 8; ++r) {
        const int32_t y = o.y + geo::bestTimesRowY(r);
        const bool fresh = r == newPlace;
        // The longest name a player can type, where a new entry goes.
        s.text(fresh ? "Wilhelmina K" : names[r], o.x + geo::kBestTimesNameX, y, 0);
        s.text(fresh ? "0" : "144", o.x + geo::kBestTimesTilesRight, y, 1);
        s.text(fresh ? "12:34" : "99:59", o.x + geo::kBestTimesTimeRight, y, 1);
        s.text(fresh ? "11:04" : "99:59", o.x + geo::kBestTimesRealRight, y, 1);
    }
}

void noMoreMoves(Screen& s, bool shuffle, const char* lit)
{
    const char* bg = "art/no_more_moves.jpg";
    const int32_t w = s.width(bg);
    const Point at = geo::noMoreMovesAt(w, s.height(bg));
    s.copy(bg, at);
    const int32_t bw = s.width("art/no_more_moves_undo.tga");
    struct B {
        const char* normal;
        const char* lit;
        Point rel;
    };
    const B buttons[3] = {
        {"art/no_more_moves_shuffle.tga", "art/no_more_moves_shuffle_lit.tga", geo::noMoreMovesShuffleAt(w, bw)},
        {"art/no_more_moves_undo.tga", "art/no_more_moves_undo_lit.tga", geo::noMoreMovesUndoAt(w, bw)},
        {"art/no_more_moves_endgame.tga", "art/no_more_moves_endgame_lit.tga", geo::noMoreMovesEndAt(w, bw)},
    };
    for (int32_t i = shuffle ? 0 : 1; i < 3; ++i) {
        const bool isLit = lit != nullptr && std::strcmp(lit, buttons[i].normal) == 0;
        s.blend(isLit ? buttons[i].lit : buttons[i].normal, Point{at.x + buttons[i].rel.x, at.y + buttons[i].rel.y});
    }
}

void rules(Screen& s, int32_t slide, const char* lit)
{
    const char* bg = slide == 0 ? "art/rules_0_qz.jpg" : "art/rules_1_qz.jpg";
    const Point o = geo::kBoardPicture;
    s.copy(bg, o);
    const int32_t w = s.width("art/rules_0_qz.jpg");
    const int32_t h = s.height("art/rules_0_qz.jpg");
    const int32_t ch = s.height("art/rules_close_qz.tga");
    const int32_t ph = s.height("art/rules_prev_qz.tga");
    const int32_t pw = s.width("art/rules_prev_qz.tga");
    auto place = [&](const char* normal, const char* litName, Point rel) {
        const bool isLit = lit != nullptr && std::strcmp(lit, normal) == 0;
        s.blend(isLit ? litName : normal, Point{o.x + rel.x, o.y + rel.y});
    };
    place("art/rules_close_qz.tga", "art/rules_close_lit_qz.tga", pointOf(MVDialogLayout::slideDoneAt(w, h, ch)));
    // Previous shows from the second slide on, next until the last.
    if (slide > 0)
        place("art/rules_prev_qz.tga", "art/rules_prev_lit_qz.tga", pointOf(MVDialogLayout::slidePreviousAt(w, h, ph)));
    if (slide < 1)
        place("art/rules_next_qz.tga", "art/rules_next_lit_qz.tga",
              pointOf(MVDialogLayout::slideNextAt(w, h, pw, s.height("art/rules_next_qz.tga"))));
}

} // namespace

bool writeScreenPreviews(const AssetSet& set, const std::string& folder)
{
    bool ok = true;
    Pictures pictures(set);

    {
        Screen s(pictures);
        s.copy("art/loading_qz.jpg", Point{0, 0});
        const char* logo = "art/loading_partner_qz.jpg";
        s.copy(logo, pointOf(MVDialogLayout::loadingRightLogoAt(geo::kScreenW, geo::kScreenH, s.width(logo),
                                                                s.height(logo))));
        // The bar two thirds revealed.
        const Image& bar = s.picture("art/progress_qz.tga");
        Image part(bar.width() * 2 / 3, bar.height());
        for (int32_t y = 0; y < part.height(); ++y) {
            for (int32_t x = 0; x < part.width(); ++x)
                part.set(x, y, bar.at(x, y));
        }
        s.blend(part, geo::kProgressBar.x, geo::kProgressBar.y);
        ok = s.write(folder, "loading.png") && ok;
    }
    {
        Screen s(pictures);
        startScreen(s, 0, 0, 0, 3);
        ok = s.write(folder, "start.png") && ok;
    }
    {
        Screen s(pictures);
        startScreen(s, 2, 4, 5, -1);
        ok = s.write(folder, "start_walnut.png") && ok;
    }
    {
        Screen s(pictures);
        startScreen(s, 8, 3, 17, 4);
        ok = s.write(folder, "start_night.png") && ok;
    }
    {
        Screen s(pictures);
        playingScreen(s, 0, 0, 0, "art/icon_hint_qz.tga", false);
        counters(s, "144", "12", "03:27");
        ok = s.write(folder, "playing.png") && ok;
    }
    {
        Screen s(pictures);
        playingScreen(s, 2, 4, 4, nullptr, true);
        counters(s, "98", "7", "100:05");
        s.blend("art/nomatch_alpha_qz.tga", geo::noMatchAt(300, 60));
        ok = s.write(folder, "playing_nomatch.png") && ok;
    }
    // Every table top under a board, in every tile set in turn.
    for (int32_t t = 0; t < 10; ++t) {
        Screen s(pictures);
        playingScreen(s, t, t % 9, (t * 5 + 1) % kLayoutCount, nullptr, false);
        counters(s, "144", "9", "00:00");
        char file[32];
        std::snprintf(file, sizeof(file), "table_%d.png", t);
        ok = s.write(folder, file) && ok;
    }
    {
        Screen s(pictures);
        s.copy("art/pause_qz.jpg", geo::kBoardPicture);
        panel(s, PanelState::Paused, nullptr);
        ok = s.write(folder, "paused.png") && ok;
    }
    {
        Screen s(pictures);
        s.copy(kTableTops[0], geo::kTableTop);
        s.copy("art/board_complete_qz.jpg", geo::kBoardPicture);
        panel(s, PanelState::Ended, nullptr);
        stripLabels(s);
        counters(s, "0", "0", "12:34");
        ok = s.write(folder, "won.png") && ok;
    }
    {
        Screen s(pictures);
        s.copy(kTableTops[0], geo::kTableTop);
        s.copy("art/gameover_qz.jpg", geo::kBoardPicture);
        panel(s, PanelState::Ended, "art/icon_exit_qz.tga");
        stripLabels(s);
        s.blend("art/icon_clicktocontinue_lit.tga", geo::kContinueButton);
        counters(s, "20", "0", "23:45");
        ok = s.write(folder, "gameover_continue_lit.png") && ok;
    }
    {
        Screen s(pictures);
        playingScreen(s, 0, 0, 0, "art/icon_options_qz.tga", false);
        const Point o = geo::kBoardPicture;
        s.copy("art/options_qz.jpg", o);
        auto rel = [o](Point p) { return Point{o.x + p.x, o.y + p.y}; };
        s.blend("art/options_done_qz.tga", rel(geo::kOptionsDone));
        s.blend("art/options_besttimes_lit_qz.tga", rel(geo::kOptionsBestTimes));
        s.blend("art/options_visit_qz.tga", rel(geo::kOptionsVisit));
        const int32_t kw = s.width("art/options_slider_tab_qz.tga");
        const int32_t kh = s.height("art/options_slider_tab_qz.tga");
        // Knobs at the first start's volumes: sound 1, music 0.25.
        s.blend("art/options_slider_tab_qz.tga",
                rel(Point{geo::kSoundSlider.x - kw / 2 + geo::kSliderLength, geo::kSoundSlider.y - kh / 2}));
        s.blend("art/options_slider_tab_qz.tga",
                rel(Point{geo::kMusicSlider.x - kw / 2 + geo::kSliderLength / 4, geo::kMusicSlider.y - kh / 2}));
        s.blend("art/options_off_qz.tga", rel(geo::kFullscreenToggle));
        s.blend("art/options_on_lit_qz.tga", rel(geo::kAutoHintToggle));
        ok = s.write(folder, "options.png") && ok;
    }
    {
        Screen s(pictures);
        playingScreen(s, 0, 0, 0, nullptr, false);
        bestTimes(s, 0, false, -1);
        ok = s.write(folder, "besttimes.png") && ok;
    }
    {
        Screen s(pictures);
        playingScreen(s, 0, 0, 0, nullptr, false);
        bestTimes(s, 10, true, 2);
        ok = s.write(folder, "besttimes_new_entry_clear_lit.png") && ok;
    }
    {
        Screen s(pictures);
        playingScreen(s, 0, 0, 0, nullptr, false);
        bestTimes(s, 0, false, -1);
        const char* bg = "art/besttimes_areyousure.jpg";
        confirmation(s, bg, geo::clearConfirmAt(s.width(bg), s.height(bg)), true);
        ok = s.write(folder, "besttimes_clear_confirm.png") && ok;
    }
    {
        Screen s(pictures);
        s.copy(kTableTops[0], geo::kTableTop);
        s.copy("art/board_complete_qz.jpg", geo::kBoardPicture);
        panel(s, PanelState::Ended, nullptr);
        stripLabels(s);
        const char* bg = "art/entername_qz.jpg";
        const int32_t w = s.width(bg);
        const int32_t h = s.height(bg);
        const Point at = geo::enterNameAt(w, h);
        s.copy(bg, at);
        const Point okAt = geo::enterNameOkAt(w, h, s.width("art/entername_ok_qz.tga"), s.height("art/entername_ok_qz.tga"));
        s.blend("art/entername_ok_lit_qz.tga", Point{at.x + okAt.x, at.y + okAt.y});
        s.text("100:05", at.x + w / 2, at.y + geo::kEnterNameScoreY, 2);
        s.text("Wilhelmina K|", at.x + geo::kEnterNameField.x, at.y + geo::kEnterNameField.y, 0);
        ok = s.write(folder, "entername.png") && ok;
    }
    {
        Screen s(pictures);
        playingScreen(s, 0, 0, 0, nullptr, false);
        const char* bg = "art/restart_areyousure.jpg";
        confirmation(s, bg, geo::leaveConfirmAt(s.width(bg), s.height(bg)), false);
        ok = s.write(folder, "leave_confirm.png") && ok;
    }
    {
        Screen s(pictures);
        playingScreen(s, 0, 0, 0, nullptr, false);
        noMoreMoves(s, true, "art/no_more_moves_undo.tga");
        ok = s.write(folder, "nomoremoves.png") && ok;
    }
    {
        Screen s(pictures);
        playingScreen(s, 0, 0, 0, nullptr, false);
        noMoreMoves(s, false, nullptr);
        ok = s.write(folder, "nomoremoves_no_shuffle.png") && ok;
    }
    {
        Screen s(pictures);
        playingScreen(s, 0, 0, 0, "art/icon_rules_qz.tga", false);
        rules(s, 0, "art/rules_next_qz.tga");
        ok = s.write(folder, "rules_1.png") && ok;
    }
    {
        Screen s(pictures);
        playingScreen(s, 0, 0, 0, "art/icon_rules_qz.tga", false);
        rules(s, 1, "art/rules_close_qz.tga");
        ok = s.write(folder, "rules_2.png") && ok;
    }
    return ok;
}

} // namespace mkarchive
