// FreeType faces opened by path and wrapped as cairo font faces.
#include "tools/mkarchive/FontLibrary.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <cstdlib>

namespace mkarchive {

namespace {

const char* const kFontPaths[int(Typeface::Count)] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf",
    "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
};

FT_Library s_library = nullptr;
FT_Face s_faces[int(Typeface::Count)] = {};
cairo_font_face_t* s_cairoFaces[int(Typeface::Count)] = {};
cairo_font_face_t* s_hintedFaces[int(Typeface::Count)] = {};
cairo_font_options_t* s_options = nullptr;
cairo_font_options_t* s_hintedOptions = nullptr;
const cairo_user_data_key_t s_faceKey = {};

// Cairo may keep a font face after we let it go; the FreeType face goes with
// it, whenever that happens.
void s_doneFace(void* face)
{
    FT_Done_Face(static_cast<FT_Face>(face));
}

} // namespace

void FontLibrary::s_open()
{
    if (s_library != nullptr)
        return;
    if (FT_Init_FreeType(&s_library) != 0) {
        std::fprintf(stderr, "mkarchive: FreeType does not start\n");
        std::exit(1);
    }
    for (int i = 0; i < int(Typeface::Count); ++i) {
        if (FT_New_Face(s_library, kFontPaths[i], 0, &s_faces[i]) != 0) {
            std::fprintf(stderr, "mkarchive: cannot open font '%s' (run scripts/setup)\n", kFontPaths[i]);
            std::exit(1);
        }
        s_cairoFaces[i] = cairo_ft_font_face_create_for_ft_face(s_faces[i], FT_LOAD_NO_HINTING);
        cairo_font_face_set_user_data(s_cairoFaces[i], &s_faceKey, s_faces[i], s_doneFace);
        // Cairo keeps one set of glyphs per FreeType face, so the hinted
        // variant gets a FreeType face of its own.
        FT_Face hinted = nullptr;
        if (FT_New_Face(s_library, kFontPaths[i], 0, &hinted) != 0) {
            std::fprintf(stderr, "mkarchive: cannot open font '%s'\n", kFontPaths[i]);
            std::exit(1);
        }
        s_hintedFaces[i] = cairo_ft_font_face_create_for_ft_face(hinted, FT_LOAD_TARGET_MONO);
        cairo_font_face_set_user_data(s_hintedFaces[i], &s_faceKey, hinted, s_doneFace);
    }
    s_options = cairo_font_options_create();
    cairo_font_options_set_antialias(s_options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(s_options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(s_options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_subpixel_order(s_options, CAIRO_SUBPIXEL_ORDER_DEFAULT);
    s_hintedOptions = cairo_font_options_copy(s_options);
    cairo_font_options_set_hint_style(s_hintedOptions, CAIRO_HINT_STYLE_FULL);
    cairo_font_options_set_hint_metrics(s_hintedOptions, CAIRO_HINT_METRICS_ON);
}

void FontLibrary::s_close()
{
    if (s_library == nullptr)
        return;
    cairo_font_options_destroy(s_options);
    s_options = nullptr;
    cairo_font_options_destroy(s_hintedOptions);
    s_hintedOptions = nullptr;
    for (int i = 0; i < int(Typeface::Count); ++i) {
        cairo_font_face_destroy(s_hintedFaces[i]);
        s_hintedFaces[i] = nullptr;
    }
    for (int i = 0; i < int(Typeface::Count); ++i) {
        cairo_font_face_destroy(s_cairoFaces[i]);
        s_cairoFaces[i] = nullptr;
    }
    // Drops cairo's caches of scaled fonts, which hold the faces alive; the
    // last reference going also closes the FreeType face (s_doneFace).
    cairo_debug_reset_static_data();
    for (int i = 0; i < int(Typeface::Count); ++i)
        s_faces[i] = nullptr;
    FT_Done_FreeType(s_library);
    s_library = nullptr;
}

void FontLibrary::s_selectHinted(cairo_t* cr, Typeface face, double size)
{
    cairo_set_font_face(cr, s_hintedFaces[int(face)]);
    cairo_set_font_size(cr, size);
    cairo_set_font_options(cr, s_hintedOptions);
}

void FontLibrary::s_select(cairo_t* cr, Typeface face, double size)
{
    cairo_set_font_face(cr, s_cairoFaces[int(face)]);
    cairo_set_font_size(cr, size);
    cairo_set_font_options(cr, s_options);
}

} // namespace mkarchive
