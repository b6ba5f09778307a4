// Where a player clicks on the game's screen: the buttons of the game screen
// and the items of its dialogs, as screen rectangles worked out from the
// game's own places (game/ScreenGeometry.h, ui/MVDialogLayout.h) and the
// sizes of their pictures in the archive's manifest. The tests click the
// middles of these, and check the game's placement of its buttons and
// dialog items against them: the place the game and its art share, at the
// size of the art the archive holds.
#pragma once

#include "engine/core/HScreenPoint.h"
#include "engine/core/HScreenRect.h"
#include "game/ScreenGeometry.h"
#include "tools/mkarchive/Manifest.h"
#include "ui/MVDialogLayout.h"

#include <cstdint>

namespace screen {

inline int32_t widthOf(const char* art)
{
    const mkarchive::ManifestEntry* e = mkarchive::findManifestEntry(art);
    return e ? static_cast<int32_t>(e->width) : 0;
}

inline int32_t heightOf(const char* art)
{
    const mkarchive::ManifestEntry* e = mkarchive::findManifestEntry(art);
    return e ? static_cast<int32_t>(e->height) : 0;
}

// A picture of the art's size placed with its top-left corner at (x, y).
inline HScreenRect placed(int32_t x, int32_t y, const char* art)
{
    return HScreenRect(x, y, x + widthOf(art), y + heightOf(art));
}

inline HScreenRect placed(geo::Point at, const char* art)
{
    return placed(at.x, at.y, art);
}

// A dialog item at `at` of a dialog whose top-left corner is `origin`.
inline HScreenRect placedIn(geo::Point origin, geo::Point at, const char* art)
{
    return placed(origin.x + at.x, origin.y + at.y, art);
}

inline HScreenRect placedIn(geo::Point origin, MVDialogLayout::Place at, const char* art)
{
    return placed(origin.x + at.x, origin.y + at.y, art);
}

// An item of a dialog that lies over the board's picture (the options, the
// best times, the rules).
inline HScreenRect onBoardPicture(geo::Point at, const char* art)
{
    return placedIn(geo::kBoardPicture, at, art);
}

inline HScreenRect onBoardPicture(MVDialogLayout::Place at, const char* art)
{
    return placedIn(geo::kBoardPicture, at, art);
}

inline HScreenRect rectOf(const geo::Box& b)
{
    return HScreenRect(b.x, b.y, b.right(), b.bottom());
}

inline HScreenPoint middle(const HScreenRect& r)
{
    return HScreenPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// --- The game screen -------------------------------------------------------

// The buttons, each sized by its lit picture.
inline HScreenRect startButton()
{
    return placed(geo::kStartButton, "art/icon_start_lit_qz.tga");
}
inline HScreenRect continueButton()
{
    return placed(geo::kContinueButton, "art/icon_clicktocontinue_lit.tga");
}
inline HScreenRect exitButton()
{
    return placed(geo::kExitButton, "art/icon_exit_lit_qz.tga");
}
inline HScreenRect newGameButton()
{
    return placed(geo::kNewGameButton, "art/icon_newgame_lit_qz.tga");
}
inline HScreenRect optionsButton()
{
    return placed(geo::kOptionsButton, "art/icon_options_lit_qz.tga");
}
inline HScreenRect hintButton()
{
    return placed(geo::kHintButton, "art/icon_hint_lit_qz.tga");
}
inline HScreenRect pauseButton()
{
    return placed(geo::kPauseButton, "art/icon_pause_lit_qz.tga");
}
inline HScreenRect rulesButton()
{
    return placed(geo::kRulesButton, "art/icon_rules_lit_qz.tga");
}
inline HScreenRect showMovesButton()
{
    return placed(geo::kShowMovesButton, "art/icon_showmoves_lit_qz.tga");
}
// The panel's shuffle and undo (the no-more-moves dialog has its own, below).
inline HScreenRect shufflePanelButton()
{
    return placed(geo::kShuffleButton, "art/icon_shuffle_lit_qz.tga");
}
inline HScreenRect undoPanelButton()
{
    return placed(geo::kUndoButton, "art/icon_undo_lit_qz.tga");
}
// The arrows of the start screen's pickers (geo::kArrows): table top, tile
// set and layout, each the previous one then the next one.
enum PickerArrow { kTableTopDown, kTableTopUp, kTileSetDown, kTileSetUp, kLayoutDown, kLayoutUp };
inline HScreenRect pickerArrow(PickerArrow a)
{
    return placed(geo::kArrows[a], a % 2 == 0 ? "art/arrow_left_lit_qz.tga" : "art/arrow_right_lit_qz.tga");
}

// Where the information strip's count of tiles left is drawn.
inline HScreenRect tilesLeftCounter()
{
    return rectOf(geo::kTilesLeftArea);
}

// The board area, right of the left panel; a click there resumes a paused
// game.
inline HScreenRect boardArea()
{
    return rectOf(geo::kBoardArea);
}

// --- Dialogs ------------------------------------------------------------------

// The yes or no button of a confirmation whose background is `background`,
// at `origin`: the framework's message box puts them on one row.
inline HScreenRect twoButtonRow(geo::Point origin, const char* background, bool yes)
{
    const char* yesArt = "art/besttimes_areyousure_yes.tga";
    const char* noArt = "art/besttimes_areyousure_no.tga";
    const int32_t w = widthOf(background);
    const int32_t h = heightOf(background);
    if (yes)
        return placedIn(origin, MVDialogLayout::messageOkAt(w, h, widthOf(yesArt), heightOf(yesArt), true), yesArt);
    return placedIn(origin, MVDialogLayout::messageCancelAt(w, h, widthOf(noArt), heightOf(yesArt)), noArt);
}

// The quit / new-game confirmation: the framework's message box.
inline HScreenRect leaveConfirmation()
{
    const char* bg = "art/restart_areyousure.jpg";
    return placed(geo::leaveConfirmAt(widthOf(bg), heightOf(bg)), bg);
}
inline HScreenRect confirmationButton(bool yes)
{
    const HScreenRect d = leaveConfirmation();
    return twoButtonRow(geo::Point{d.left, d.top}, "art/restart_areyousure.jpg", yes);
}

// Clearing a layout's best times: the game's own confirmation.
inline HScreenRect clearConfirmation()
{
    const char* bg = "art/besttimes_areyousure.jpg";
    return placed(geo::clearConfirmAt(widthOf(bg), heightOf(bg)), bg);
}
inline HScreenRect clearConfirmationButton(bool yes)
{
    const HScreenRect d = clearConfirmation();
    return twoButtonRow(geo::Point{d.left, d.top}, "art/besttimes_areyousure.jpg", yes);
}

// The no-more-moves dialog and its three buttons.
inline HScreenRect noMoreMovesDialog()
{
    const char* bg = "art/no_more_moves.jpg";
    return placed(geo::noMoreMovesAt(widthOf(bg), heightOf(bg)), bg);
}
inline HScreenRect noMoreMovesButton(geo::Point (*at)(int32_t w, int32_t bw), const char* art)
{
    const HScreenRect d = noMoreMovesDialog();
    return placedIn(geo::Point{d.left, d.top}, at(d.width(), widthOf(art)), art);
}
inline HScreenRect shuffleButton()
{
    return noMoreMovesButton(geo::noMoreMovesShuffleAt, "art/no_more_moves_shuffle.tga");
}
inline HScreenRect undoButton()
{
    return noMoreMovesButton(geo::noMoreMovesUndoAt, "art/no_more_moves_undo.tga");
}
inline HScreenRect endGameButton()
{
    return noMoreMovesButton(geo::noMoreMovesEndAt, "art/no_more_moves_endgame.tga");
}

// The name entry's OK button.
inline HScreenRect nameEntryOkButton()
{
    const char* bg = "art/entername_qz.jpg";
    const char* button = "art/entername_ok_qz.tga";
    const int32_t w = widthOf(bg);
    const int32_t h = heightOf(bg);
    return placedIn(geo::enterNameAt(w, h), geo::enterNameOkAt(w, h, widthOf(button), heightOf(button)), button);
}

// The best-times dialog: OK and Clear show only while lit; the arrows and
// the layout's title.
inline HScreenRect bestTimesOkButton()
{
    return onBoardPicture(geo::kBestTimesOk, "art/ok_lit_qz.tga");
}
inline HScreenRect bestTimesClearButton()
{
    return onBoardPicture(geo::kBestTimesClear, "art/besttimes_clear_lit_qz.tga");
}
inline HScreenRect bestTimesNextButton()
{
    return onBoardPicture(geo::kBestTimesNext, "art/arrow_right_qz.tga");
}
inline HScreenRect bestTimesPreviousButton()
{
    return onBoardPicture(geo::kBestTimesPrevious, "art/arrow_left_qz.tga");
}
inline HScreenRect bestTimesTitle()
{
    const char* title = "art/title_layout_1.tga";
    const int32_t x = (widthOf("art/besttimes_qz.jpg") - widthOf(title)) / 2;
    return onBoardPicture(geo::Point{x, geo::kBestTimesTitleY}, title);
}

// The options dialog.
inline HScreenRect optionsOkButton()
{
    return onBoardPicture(geo::kOptionsDone, "art/options_done_qz.tga");
}
inline HScreenRect optionsBestTimesButton()
{
    return onBoardPicture(geo::kOptionsBestTimes, "art/options_besttimes_qz.tga");
}
inline HScreenRect optionsVisitButton()
{
    return onBoardPicture(geo::kOptionsVisit, "art/options_visit_qz.tga");
}
inline HScreenRect fullscreenButton()
{
    return onBoardPicture(geo::kFullscreenToggle, "art/options_on_qz.tga");
}
inline HScreenRect autoHintButton()
{
    return onBoardPicture(geo::kAutoHintToggle, "art/options_on_qz.tga");
}
// The sliders' tracks on screen; the knob's middle sits at the value's
// place along a track.
constexpr int32_t kSliderTrackX = geo::kBoardPicture.x + geo::kSoundSlider.x;
constexpr int32_t kSliderTrackLength = geo::kSliderLength;
constexpr int32_t kSoundSliderY = geo::kBoardPicture.y + geo::kSoundSlider.y;
constexpr int32_t kMusicSliderY = geo::kBoardPicture.y + geo::kMusicSlider.y;
static_assert(geo::kSoundSlider.x == geo::kMusicSlider.x, "the two tracks start at one x");
inline int32_t sliderX(float value)
{
    return kSliderTrackX + static_cast<int32_t>(value * static_cast<float>(kSliderTrackLength));
}
// The value a drag to x leaves on a slider, as the slider computes it.
inline float sliderValueAt(int32_t x)
{
    double v = static_cast<double>(x - kSliderTrackX) / kSliderTrackLength;
    v = v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
    return static_cast<float>(v);
}
// The knob of the slider whose track runs along y, at value.
inline HScreenRect sliderKnob(int32_t y, float value)
{
    const char* knob = "art/options_slider_tab_qz.tga";
    return placed(sliderX(value) - widthOf(knob) / 2, y - heightOf(knob) / 2, knob);
}

// The rules' slide show: done, and next on the first slide.
inline HScreenRect rulesDoneButton()
{
    const char* slide = "art/rules_0_qz.jpg";
    const char* done = "art/rules_close_qz.tga";
    return onBoardPicture(MVDialogLayout::slideDoneAt(widthOf(slide), heightOf(slide), heightOf(done)),
                    done);
}
inline HScreenRect rulesNextButton()
{
    const char* slide = "art/rules_0_qz.jpg";
    const char* previous = "art/rules_prev_qz.tga";
    const char* next = "art/rules_next_qz.tga";
    return placedIn(geo::kBoardPicture,
                    MVDialogLayout::slideNextAt(widthOf(slide), heightOf(slide), widthOf(previous), heightOf(next)),
                    next);
}

} // namespace screen
