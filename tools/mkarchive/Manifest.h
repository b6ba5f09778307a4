// Every entry of the resource archive "qinvar.mvz": name, format and the size
// that the game's drawing positions assume. The generator refuses to write an
// archive that disagrees with this table, and the archive tests read it to
// check the archive they open. Header-only so that both can include it.
#pragma once


#include <cstdint>

namespace mkarchive {

enum class AssetFormat : uint8_t {
    Tga,    // type 2, 32-bit BGRA (24-bit for opaque art), bottom-up rows
    Jpeg,   // baseline, three components
    Wav,    // canonical 44-byte header, PCM, 22050 Hz
    Ogg,    // Ogg Vorbis, 22050 Hz
    Layout, // 144 "x,y,z\n" lines, at most 8192 bytes
    Text,   // plain text (config.txt)
};

enum ManifestFlags : uint32_t {
    kAlpha = 1u << 0,      // drawn with blending: must hold some alpha below 255
    kOpaque = 1u << 1,     // copied plainly: every pixel opaque, no colour key
    kStereo = 1u << 2,     // sound must have two channels
};

struct ManifestEntry {
    const char* name;
    AssetFormat format;
    uint32_t flags;
    int32_t width;  // images: exact pixels; sounds: shortest length in ms
    int32_t height; // images: exact pixels; sounds: longest length in ms
};

constexpr ManifestEntry tga(const char* n, int32_t w, int32_t h, uint32_t f) { return {n, AssetFormat::Tga, f, w, h}; }
constexpr ManifestEntry jpg(const char* n, int32_t w, int32_t h, uint32_t f) { return {n, AssetFormat::Jpeg, f | kOpaque, w, h}; }
constexpr ManifestEntry wav(const char* n, int32_t minMs, int32_t maxMs) { return {n, AssetFormat::Wav, 0, minMs, maxMs}; }
constexpr ManifestEntry ogg(const char* n, int32_t minMs, int32_t maxMs, uint32_t f = 0) { return {n, AssetFormat::Ogg, f, minMs, maxMs}; }
constexpr ManifestEntry layout(const char* n) { return {n, AssetFormat::Layout, 0, 0, 0}; }
constexpr ManifestEntry text(const char* n) { return {n, AssetFormat::Text, 0, 0, 0}; }

// Shorthand for the table below.
constexpr uint32_t A = kAlpha;

// Fixed facts of the archive that the table's sizes follow from.
constexpr int32_t kSampleRate = 22050;
constexpr int32_t kLayoutTiles = 144;
constexpr int32_t kLayoutMaxBytes = 8192;

inline constexpr ManifestEntry kManifest[] = {
    // --- The font, digits and board overlays.
    tga("art/font.tga", 128, 84, A), // 16 columns of 8 x 12, characters 16-127
    tga("art/font_number_0.tga", 12, 20, A),
    tga("art/font_number_1.tga", 12, 20, A),
    tga("art/font_number_2.tga", 12, 20, A),
    tga("art/font_number_3.tga", 12, 20, A),
    tga("art/font_number_4.tga", 12, 20, A),
    tga("art/font_number_5.tga", 12, 20, A),
    tga("art/font_number_6.tga", 12, 20, A),
    tga("art/font_number_7.tga", 12, 20, A),
    tga("art/font_number_8.tga", 12, 20, A),
    tga("art/font_number_9.tga", 12, 20, A),
    tga("art/font_colon.tga", 12, 20, A),
    tga("art/font_comma.tga", 12, 20, A),
    tga("art/shadow_top.tga", 33, 6, A),
    tga("art/shadow_right.tga", 6, 53, A), // 48 + shadow_top's height - 1
    tga("art/outline_green.tga", 33, 48, A),
    tga("art/outline_red.tga", 33, 48, A),

    // --- Tile sets, in the order of the tile-set option (0-8).
    tga("art/tileset_1.tga", 507, 220, A),
    tga("art/tileset_2.tga", 507, 220, A),
    tga("art/tileset_tovani.tga", 507, 220, A),
    tga("art/tileset_3.tga", 507, 220, A),
    tga("art/tileset_4.tga", 507, 220, A),
    tga("art/tileset_5.tga", 507, 220, A),
    tga("art/tileset_6.tga", 507, 220, A),
    tga("art/tileset_7.tga", 507, 220, A),
    tga("art/tileset_8.tga", 507, 220, A),

    // --- Layouts, in the order of the layout option (0-17).
    layout("layouts/classic.qvl"),
    layout("layouts/coliseum.qvl"),
    layout("layouts/pyramid.qvl"),
    layout("layouts/quin.qvl"),
    layout("layouts/temple.qvl"),
    layout("layouts/hurricane.qvl"),
    layout("layouts/mora.qvl"),
    layout("layouts/moravel0.qvl"),
    layout("layouts/moravel1.qvl"),
    layout("layouts/moravel2.qvl"),
    layout("layouts/moravel3.qvl"),
    layout("layouts/moravel4.qvl"),
    layout("layouts/moravel5.qvl"),
    layout("layouts/moravel6.qvl"),
    layout("layouts/moravel7.qvl"),
    layout("layouts/moravel8.qvl"),
    layout("layouts/moravel9.qvl"),
    layout("layouts/moravel10.qvl"),

    // --- Sounds and music (lengths in milliseconds: shortest, longest).
    wav("sound/qv_guiclick.wav", 30, 120),
    wav("sound/qv_click.wav", 30, 120),
    wav("sound/qv_unclick.wav", 30, 120),
    ogg("sound/qv_match.ogg", 200, 450),
    ogg("sound/qv_blocked.ogg", 120, 300),
    ogg("sound/qv_youwin.ogg", 1500, 2600),
    ogg("sound/qv_hint.ogg", 200, 450),
    ogg("sound/qv_splash.ogg", 1000, 2000),
    ogg("sound/qv_gameover.ogg", 1500, 2600),
    ogg("music/theme_qz.ogg", 40000, 90000, kStereo),

    text("config.txt"),

    // --- Screens, panels and previews of the sprite table.
    jpg("art/pause_qz.jpg", 515, 480, 0),
    jpg("art/left_qz.jpg", 125, 480, 0),
    jpg("art/start_qz.jpg", 520, 480, 0),
    tga("art/arrow_left_qz.tga", 30, 30, A),
    tga("art/arrow_right_qz.tga", 30, 30, A),
    tga("art/arrow_left_lit_qz.tga", 30, 30, A),
    tga("art/arrow_right_lit_qz.tga", 30, 30, A),
    tga("art/nomatch_alpha_qz.tga", 300, 60, A),
    jpg("art/board_complete_qz.jpg", 515, 480, 0),
    jpg("art/gameover_qz.jpg", 515, 480, 0),
    jpg("art/preview_layout_1.jpg", 300, 210, 0),
    jpg("art/preview_layout_2.jpg", 300, 210, 0),
    jpg("art/preview_layout_3.jpg", 300, 210, 0),
    jpg("art/preview_layout_4.jpg", 300, 210, 0),
    jpg("art/preview_layout_5.jpg", 300, 210, 0),
    jpg("art/preview_layout_6.jpg", 300, 210, 0),
    jpg("art/preview_layout_7.jpg", 300, 210, 0),
    jpg("art/preview_layout_8.jpg", 300, 210, 0),
    jpg("art/preview_layout_9.jpg", 300, 210, 0),
    jpg("art/preview_layout_10.jpg", 300, 210, 0),
    jpg("art/preview_layout_11.jpg", 300, 210, 0),
    jpg("art/preview_layout_12.jpg", 300, 210, 0),
    jpg("art/preview_layout_13.jpg", 300, 210, 0),
    jpg("art/preview_layout_14.jpg", 300, 210, 0),
    jpg("art/preview_layout_15.jpg", 300, 210, 0),
    jpg("art/preview_layout_16.jpg", 300, 210, 0),
    jpg("art/preview_layout_17.jpg", 300, 210, 0),
    jpg("art/preview_layout_18.jpg", 300, 210, 0),
    tga("art/title_layout_1.tga", 160, 20, 0),
    tga("art/title_layout_2.tga", 160, 20, 0),
    tga("art/title_layout_3.tga", 160, 20, 0),
    tga("art/title_layout_4.tga", 160, 20, 0),
    tga("art/title_layout_5.tga", 160, 20, 0),
    tga("art/title_layout_6.tga", 160, 20, 0),
    tga("art/title_layout_7.tga", 160, 20, 0),
    tga("art/title_layout_8.tga", 160, 20, 0),
    tga("art/title_layout_9.tga", 160, 20, 0),
    tga("art/title_layout_10.tga", 160, 20, 0),
    tga("art/title_layout_11.tga", 160, 20, 0),
    tga("art/title_layout_12.tga", 160, 20, 0),
    tga("art/title_layout_13.tga", 160, 20, 0),
    tga("art/title_layout_14.tga", 160, 20, 0),
    tga("art/title_layout_15.tga", 160, 20, 0),
    tga("art/title_layout_16.tga", 160, 20, 0),
    tga("art/title_layout_17.tga", 160, 20, 0),
    tga("art/title_layout_18.tga", 160, 20, 0),
    tga("art/preview_tile_1.tga", 200, 80, A),
    tga("art/preview_tile_2.tga", 200, 80, A),
    tga("art/preview_tile_tovani.tga", 200, 80, A),
    tga("art/preview_tile_3.tga", 200, 80, A),
    tga("art/preview_tile_4.tga", 200, 80, A),
    tga("art/preview_tile_5.tga", 200, 80, A),
    tga("art/preview_tile_6.tga", 200, 80, A),
    tga("art/preview_tile_7.tga", 200, 80, A),
    tga("art/preview_tile_8.tga", 200, 80, A),
    jpg("art/preview_background_10.jpg", 228, 110, 0),
    jpg("art/preview_background_1.jpg", 228, 110, 0),
    jpg("art/preview_background_2.jpg", 228, 110, 0),
    jpg("art/preview_background_3.jpg", 228, 110, 0),
    jpg("art/preview_background_4.jpg", 228, 110, 0),
    jpg("art/preview_background_5.jpg", 228, 110, 0),
    jpg("art/preview_background_6.jpg", 228, 110, 0),
    jpg("art/preview_background_7.jpg", 228, 110, 0),
    jpg("art/preview_background_8.jpg", 228, 110, 0),
    jpg("art/preview_background_9.jpg", 228, 110, 0),

    // --- Buttons and labels of the sprite table.
    tga("art/icon_start_qz.tga", 120, 40, 0),
    tga("art/icon_start_lit_qz.tga", 120, 40, 0),
    tga("art/icon_clicktocontinue_lit.tga", 144, 40, 0),
    tga("art/icon_exit_qz.tga", 55, 30, 0),
    tga("art/icon_exit_lit_qz.tga", 55, 30, 0),
    tga("art/icon_showmoves_qz.tga", 125, 30, 0),
    tga("art/icon_showmoves_lit_qz.tga", 125, 30, 0),
    tga("art/icon_hint_qz.tga", 113, 30, 0),
    tga("art/icon_hint_lit_qz.tga", 113, 30, 0),
    tga("art/icon_findmatch_qz.tga", 113, 30, 0),
    tga("art/icon_findmatch_lit_qz.tga", 113, 30, 0),
    tga("art/icon_options_qz.tga", 91, 30, 0),
    tga("art/icon_options_lit_qz.tga", 91, 30, 0),
    tga("art/icon_pause_qz.tga", 93, 30, 0),
    tga("art/icon_pause_lit_qz.tga", 93, 30, 0),
    tga("art/icon_resume_qz.tga", 93, 30, 0),
    tga("art/icon_resume_lit_qz.tga", 93, 30, 0),
    tga("art/icon_moravel_qz.tga", 64, 32, 0),
    tga("art/icon_moravel_lit_qz.tga", 64, 32, 0),
    tga("art/icon_newgame_qz.tga", 123, 30, 0),
    tga("art/icon_newgame_lit_qz.tga", 123, 30, 0),
    tga("art/icon_rules_qz.tga", 71, 30, 0),
    tga("art/icon_rules_lit_qz.tga", 71, 30, 0),
    tga("art/icon_shuffle_qz.tga", 101, 30, 0),
    tga("art/icon_shuffle_lit_qz.tga", 101, 30, 0),
    tga("art/icon_undo_qz.tga", 55, 30, 0),
    tga("art/icon_undo_lit_qz.tga", 55, 30, 0),
    tga("art/icon_score_qz.tga", 75, 30, 0),
    tga("art/icon_tiles_left_qz.tga", 110, 30, 0),
    tga("art/icon_available_qz.tga", 110, 30, 0),

    // --- Table tops, in the order of the table-top option (0-9).
    jpg("art/arena10_qz.jpg", 520, 480, 0),
    jpg("art/arena1_qz.jpg", 520, 480, 0),
    jpg("art/arena2_qz.jpg", 520, 480, 0),
    jpg("art/arena3_qz.jpg", 520, 480, 0),
    jpg("art/arena4_qz.jpg", 520, 480, 0),
    jpg("art/arena5_qz.jpg", 520, 480, 0),
    jpg("art/arena6_qz.jpg", 520, 480, 0),
    jpg("art/arena7_qz.jpg", 520, 480, 0),
    jpg("art/arena8_qz.jpg", 520, 480, 0),
    jpg("art/arena9_qz.jpg", 520, 480, 0),

    // --- Loading screen.
    jpg("art/loading_qz.jpg", 640, 480, 0),
    jpg("art/loading_partner_qz.jpg", 160, 80, 0),
    tga("art/progress_qz.tga", 400, 24, 0),

    // --- Options dialog.
    jpg("art/options_qz.jpg", 515, 480, 0),
    tga("art/options_done_qz.tga", 150, 40, 0),
    tga("art/options_done_lit_qz.tga", 150, 40, 0),
    tga("art/options_besttimes_qz.tga", 150, 40, 0),
    tga("art/options_besttimes_lit_qz.tga", 150, 40, 0),
    tga("art/options_visit_qz.tga", 150, 40, 0),
    tga("art/options_visit_lit_qz.tga", 150, 40, 0),
    tga("art/options_slider_tab_qz.tga", 16, 24, 0),
    tga("art/options_on_qz.tga", 60, 28, 0),
    tga("art/options_on_lit_qz.tga", 60, 28, 0),
    tga("art/options_off_qz.tga", 60, 28, 0),
    tga("art/options_off_lit_qz.tga", 60, 28, 0),

    // --- Best times and name entry.
    jpg("art/besttimes_qz.jpg", 515, 480, 0),
    tga("art/ok_lit_qz.tga", 80, 36, 0),
    tga("art/besttimes_clear_lit_qz.tga", 100, 40, 0),
    jpg("art/entername_qz.jpg", 300, 240, 0),
    tga("art/entername_ok_qz.tga", 80, 30, 0),
    tga("art/entername_ok_lit_qz.tga", 80, 30, 0),

    // --- Confirmations, no more moves, rules.
    jpg("art/besttimes_areyousure.jpg", 300, 160, 0),
    tga("art/besttimes_areyousure_yes.tga", 80, 30, 0),
    tga("art/besttimes_areyousure_yes_lit.tga", 80, 30, 0),
    tga("art/besttimes_areyousure_no.tga", 80, 30, 0),
    tga("art/besttimes_areyousure_no_lit.tga", 80, 30, 0),
    jpg("art/restart_areyousure.jpg", 300, 160, 0),
    jpg("art/no_more_moves.jpg", 300, 250, 0),
    tga("art/no_more_moves_shuffle.tga", 140, 30, 0),
    tga("art/no_more_moves_shuffle_lit.tga", 140, 30, 0),
    tga("art/no_more_moves_undo.tga", 140, 30, 0),
    tga("art/no_more_moves_undo_lit.tga", 140, 30, 0),
    tga("art/no_more_moves_endgame.tga", 140, 30, 0),
    tga("art/no_more_moves_endgame_lit.tga", 140, 30, 0),
    jpg("art/rules_0_qz.jpg", 515, 480, 0),
    jpg("art/rules_1_qz.jpg", 515, 480, 0),
    tga("art/rules_close_qz.tga", 80, 30, 0),
    tga("art/rules_close_lit_qz.tga", 80, 30, 0),
    tga("art/rules_prev_qz.tga", 50, 30, 0),
    tga("art/rules_prev_lit_qz.tga", 50, 30, 0),
    tga("art/rules_next_qz.tga", 50, 30, 0),
    tga("art/rules_next_lit_qz.tga", 50, 30, 0),
};

constexpr int32_t kManifestSize = int32_t(sizeof(kManifest) / sizeof(kManifest[0]));
static_assert(kManifestSize == 202, "173 images, 9 sounds, 1 music track, 18 layouts and config.txt");

// The manifest entry of `name` (exact, case-sensitive), or null.
inline const ManifestEntry* findManifestEntry(const char* name)
{
    for (const ManifestEntry& e : kManifest) {
        const char* a = e.name;
        const char* b = name;
        while (*a != '\0' && *a == *b) {
            ++a;
            ++b;
        }
        if (*a == '\0' && *b == '\0')
            return &e;
    }
    return nullptr;
}

} // namespace mkarchive
