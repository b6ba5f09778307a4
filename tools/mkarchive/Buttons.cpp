// Every button of the game in its normal and lit look, the options dialog's
// toggles and slider knob, and the labels of the information strip.
//
// Buttons are drawn with blending, so their rounded edges keep soft alpha.
// Each button's size is its manifest entry's; the label is fitted into it.
// Buttons that have only a lit image (continue, and the best-times dialog's
// OK and Clear) get their normal look painted into the picture beneath them,
// by the same theme::paintButton.
#include "tools/mkarchive/Producers.h"
#include "tools/mkarchive/Theme.h"

#include <cmath>

namespace mkarchive {

using theme::Look;

namespace {

struct ButtonArt {
    const char* normal; // null for buttons with a lit image only
    const char* lit;
    const char* label;
};

// Labels are the game's own words for each action; penalties show on the
// buttons that cost time in the no-more-moves dialog, where the choice is made.
const ButtonArt kButtons[] = {
    {"art/icon_start_qz.tga", "art/icon_start_lit_qz.tga", "Start"},
    {nullptr, "art/icon_clicktocontinue_lit.tga", "Continue"},
    {"art/icon_exit_qz.tga", "art/icon_exit_lit_qz.tga", "Quit"},
    {"art/icon_showmoves_qz.tga", "art/icon_showmoves_lit_qz.tga", "Free tiles"},
    {"art/icon_hint_qz.tga", "art/icon_hint_lit_qz.tga", "Hint"},
    {"art/icon_findmatch_qz.tga", "art/icon_findmatch_lit_qz.tga", "Find match"},
    {"art/icon_options_qz.tga", "art/icon_options_lit_qz.tga", "Options"},
    {"art/icon_pause_qz.tga", "art/icon_pause_lit_qz.tga", "Pause"},
    {"art/icon_resume_qz.tga", "art/icon_resume_lit_qz.tga", "Resume"},
    {"art/icon_newgame_qz.tga", "art/icon_newgame_lit_qz.tga", "New game"},
    {"art/icon_rules_qz.tga", "art/icon_rules_lit_qz.tga", "Rules"},
    {"art/icon_shuffle_qz.tga", "art/icon_shuffle_lit_qz.tga", "Shuffle"},
    {"art/icon_undo_qz.tga", "art/icon_undo_lit_qz.tga", "Undo"},
    {"art/options_done_qz.tga", "art/options_done_lit_qz.tga", "Done"},
    {"art/options_besttimes_qz.tga", "art/options_besttimes_lit_qz.tga", "Best times"},
    {"art/options_visit_qz.tga", "art/options_visit_lit_qz.tga", "Visit Moravel"},
    {nullptr, "art/ok_lit_qz.tga", "OK"},
    {nullptr, "art/besttimes_clear_lit_qz.tga", "Clear"},
    {"art/entername_ok_qz.tga", "art/entername_ok_lit_qz.tga", "OK"},
    {"art/besttimes_areyousure_yes.tga", "art/besttimes_areyousure_yes_lit.tga", "Yes"},
    {"art/besttimes_areyousure_no.tga", "art/besttimes_areyousure_no_lit.tga", "No"},
    {"art/no_more_moves_shuffle.tga", "art/no_more_moves_shuffle_lit.tga", "Shuffle  +2:00"},
    {"art/no_more_moves_undo.tga", "art/no_more_moves_undo_lit.tga", "Undo  +1:00"},
    {"art/no_more_moves_endgame.tga", "art/no_more_moves_endgame_lit.tga", "End game"},
    {"art/rules_close_qz.tga", "art/rules_close_lit_qz.tga", "Close"},
};

bool addButton(AssetSet& set, const char* name, const char* label, Look look)
{
    const ManifestEntry* e = findManifestEntry(name);
    if (e == nullptr)
        return set.addImage(name, Image()); // reports the unknown name
    return set.addImage(name, theme::buttonImage(e->width, e->height, label, look));
}

// A switch: "on" is jade with the knob to the right, "off" is dark with the
// knob to the left; lit adds the buttons' glow.
Image toggle(int32_t w, int32_t h, bool on, Look look)
{
    Canvas canvas(w, h);
    cairo_t* cr = canvas.cr();
    const double m = 2.2;
    const double bw = w - 2 * m;
    const double bh = h - 2 * m;
    auto pill = [&]() { roundedRect(cr, m, m, bw, bh, bh / 2.0); };
    if (look == Look::Lit) {
        pill();
        setColour(cr, withAlpha(theme::kGoldLight, 0.5));
        cairo_set_line_width(cr, 3.2);
        cairo_stroke(cr);
    }
    pill();
    if (on)
        setLinear(cr, 0, m, rgb(0x4cc196), 0, h - m, rgb(0x1d6e52));
    else
        setLinear(cr, 0, m, rgb(0x0b1a20), 0, h - m, rgb(0x1b3139));
    cairo_fill(cr);
    pill();
    setColour(cr, look == Look::Lit ? rgb(0xfff3c8) : theme::kGold);
    cairo_set_line_width(cr, 1.4);
    cairo_stroke(cr);

    const double r = bh / 2.0 - 2.5;
    const double kx = on ? w - m - bh / 2.0 : m + bh / 2.0;
    const double ky = h / 2.0;
    cairo_new_sub_path(cr);
    cairo_arc(cr, kx, ky + 1.0, r, 0, 2 * M_PI);
    setColour(cr, Colour{0, 0, 0, 0.35});
    cairo_fill(cr);
    cairo_new_sub_path(cr);
    cairo_arc(cr, kx, ky, r, 0, 2 * M_PI);
    setLinear(cr, 0, ky - r, rgb(0xfffaf0), 0, ky + r, rgb(0xd9cdb0));
    cairo_fill(cr);

    const char* word = on ? "ON" : "OFF";
    const double tx = on ? m + (bw - bh) / 2.0 + 2.0 : w - m - (bw - bh) / 2.0 - 2.0;
    const Colour ink = on ? rgb(0xffffff) : theme::kCreamDim;
    theme::text(cr, Typeface::SansBold, 11.0, word, tx, std::floor(ky + 4.5), Align::Centre, ink);
    return canvas.toImage(AlphaMode::Keep);
}

// The slider knob: a gold grip, centred on the game's knob origin.
Image sliderTab(int32_t w, int32_t h)
{
    Canvas canvas(w, h);
    cairo_t* cr = canvas.cr();
    roundedRect(cr, 1.5, 2.5, w - 3.0, h - 3.0, 4.0);
    setColour(cr, Colour{0, 0, 0, 0.45});
    cairo_fill(cr);
    roundedRect(cr, 1.5, 1.0, w - 3.0, h - 3.0, 4.0);
    setLinear(cr, 0, 1, rgb(0xfff0bd), 0, h - 2, rgb(0xc98a26));
    cairo_fill_preserve(cr);
    setColour(cr, theme::kGoldDark);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    for (int32_t i = -1; i <= 1; ++i) {
        const double y = std::floor(h / 2.0) - 1.0 + 4.0 * i + 0.5;
        cairo_move_to(cr, 5, y);
        cairo_line_to(cr, w - 5, y);
    }
    setColour(cr, withAlpha(theme::kGoldDark, 0.8));
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    return canvas.toImage(AlphaMode::Keep);
}

// The information strip's labels sit straight on the table top, right-aligned
// next to their counters, in the counters' own colours and outline; their
// middles line up with the digits' (drawn 8 px lower, ink middle 8.5 px down).
Image stripLabel(int32_t w, int32_t h, const char* word)
{
    Canvas canvas(w, h);
    theme::outlinedText(canvas.cr(), Typeface::CondensedBold, 15.0, word, w - 6.0, 16.5, Align::Right);
    return canvas.toImage(AlphaMode::Keep);
}

// The maker's small mark: two overlapping tiles and the name. The game loads
// it but does not show it.
Image makerMark(int32_t w, int32_t h, Look look)
{
    Canvas canvas(w, h);
    cairo_t* cr = canvas.cr();
    theme::paintButton(cr, 0, 0, w, h, "", look);
    const Colour ink = look == Look::Lit ? rgb(0x2b1806) : theme::kCream;
    for (int32_t i = 0; i < 2; ++i) {
        roundedRect(cr, 8.5 + 4 * i, 10.5 - 2 * i, 8, 12, 2);
        setColour(cr, i == 0 ? withAlpha(ink, 0.5) : ink);
        cairo_fill(cr);
    }
    theme::text(cr, Typeface::CondensedBold, 10.0, "Moravel", 39, 20, Align::Centre, ink);
    return canvas.toImage(AlphaMode::Keep);
}

} // namespace

bool makeButtons(AssetSet& set)
{
    for (const ButtonArt& b : kButtons) {
        if (b.normal != nullptr && !addButton(set, b.normal, b.label, Look::Normal))
            return false;
        if (!addButton(set, b.lit, b.label, Look::Lit))
            return false;
    }
    const char* const arrows[4] = {"art/arrow_left_qz.tga", "art/arrow_right_qz.tga", "art/arrow_left_lit_qz.tga",
                                   "art/arrow_right_lit_qz.tga"};
    for (int32_t i = 0; i < 4; ++i) {
        if (!set.addImage(arrows[i], theme::arrowButtonImage(30, 30, i % 2 == 1, i < 2 ? Look::Normal : Look::Lit)))
            return false;
    }
    const char* const pages[4] = {"art/rules_prev_qz.tga", "art/rules_next_qz.tga", "art/rules_prev_lit_qz.tga",
                                  "art/rules_next_lit_qz.tga"};
    for (int32_t i = 0; i < 4; ++i) {
        if (!set.addImage(pages[i], theme::pageButtonImage(50, 30, i % 2 == 1, i < 2 ? Look::Normal : Look::Lit)))
            return false;
    }
    return set.addImage("art/options_on_qz.tga", toggle(60, 28, true, Look::Normal)) &&
           set.addImage("art/options_on_lit_qz.tga", toggle(60, 28, true, Look::Lit)) &&
           set.addImage("art/options_off_qz.tga", toggle(60, 28, false, Look::Normal)) &&
           set.addImage("art/options_off_lit_qz.tga", toggle(60, 28, false, Look::Lit)) &&
           set.addImage("art/options_slider_tab_qz.tga", sliderTab(16, 24)) &&
           set.addImage("art/icon_score_qz.tga", stripLabel(75, 30, "Time")) &&
           set.addImage("art/icon_available_qz.tga", stripLabel(110, 30, "Open pairs")) &&
           set.addImage("art/icon_tiles_left_qz.tga", stripLabel(110, 30, "Tiles left")) &&
           set.addImage("art/icon_moravel_qz.tga", makerMark(64, 32, Look::Normal)) &&
           set.addImage("art/icon_moravel_lit_qz.tga", makerMark(64, 32, Look::Lit));
}

} // namespace mkarchive
