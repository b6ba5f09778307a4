// Where everything sits on the game's 640 x 480 screen: the board area and
// the left panel, the information strip, the buttons, the tiles, and the
// places and formulas the game's dialogs are laid out by. The game lays its
// screen out from these; the archive generator draws the art to fit them
// (frames around previews, the painted normal look of buttons that have only
// a lit image, dark ground under text the game writes) and assembles its
// composite previews of every screen and dialog from them; the tests click
// by them. Only constants and plain structs, no engine types, so that all
// three include it. Sizes of pictures are the art's own (the archive's
// manifest); the formulas take them. All divisions truncate, as the game's
// do. The framework's own dialogs (the message box, the slide show) and its
// loading screen place their buttons by the rules of ui/MVDialogLayout.h.
#pragma once

#include <cstdint>

namespace geo {

struct Point {
    int32_t x;
    int32_t y;
};

struct Box {
    int32_t x;
    int32_t y;
    int32_t w;
    int32_t h;
    constexpr int32_t right() const { return x + w; }
    constexpr int32_t bottom() const { return y + h; }
};

constexpr int32_t kScreenW = 640;
constexpr int32_t kScreenH = 480;
constexpr int32_t kPanelW = 125;                  // the left panel; the board area is the rest
constexpr int32_t kBoardW = kScreenW - kPanelW;   // 515
constexpr Box kBoardArea{kPanelW, 0, kBoardW, kScreenH};
constexpr Point kTableTop{120, 0};                // table tops and the start screen (520 wide)
constexpr Point kBoardPicture{kPanelW, 0};        // pause, end screens, options, best times, the rules' slides

// --- Tiles: a tile at (x, y, z) of a layout, in half tiles, covers one cell
// of the tile-set sheet, its face inset by the side edge on the left and the
// bottom edge below; each layer steps right and up by the same edges. Half a
// tile across is 16.5 pixels (rounded toward zero), half a tile down 24; the
// tile at (0, 0, 0) has its top-left corner at (131, 30).
constexpr int32_t kTileW = 39;
constexpr int32_t kTileH = 55;
constexpr int32_t kTileSideEdge = 6;
constexpr int32_t kTileBottomEdge = 7;
constexpr int32_t kTileSheetColumns = 13;
constexpr int32_t kTileSheetRows = 4;
constexpr Point tileAt(int32_t x, int32_t y, int32_t z)
{
    return {(33 * x) / 2 + 131 + kTileSideEdge * z, 24 * y + 30 - kTileBottomEdge * z};
}

// --- The game's font: art/font.tga holds its characters in cells of this size.
constexpr int32_t kFontW = 8;
constexpr int32_t kFontH = 12;

// --- Start screen: previews centred in the board area, each with its own offset.
constexpr Point tablePreviewAt(int32_t w) { return {(kBoardW - w) / 2 + 126, 39}; }
constexpr Point tileSetPreviewAt(int32_t w) { return {(kBoardW - w) / 2 + 125, 53}; }
constexpr Point layoutPreviewAt(int32_t w) { return {(kBoardW - w) / 2 + 126, 203}; }
constexpr Point layoutTitleAt(int32_t w) { return {(kBoardW - w) / 2 + 126, 160}; }

// The six arrow buttons of the start screen: table top, tile set, layout
// (each previous, next).
constexpr Point kArrows[6] = {{202, 87}, {238, 87}, {498, 86}, {533, 86}, {260, 151}, {474, 151}};
constexpr Point kStartButton{324, 429};
constexpr Point kContinueButton{248, 334}; // on the end screens; lit image only

// --- Left panel buttons (screen = panel coordinates).
constexpr Point kNewGameButton{1, 105};
constexpr Point kOptionsButton{17, 175};
constexpr Point kRulesButton{27, 210};
constexpr Point kHintButton{6, 257};
constexpr Point kShowMovesButton{0, 292}; // never shown: the panel stays plain there
constexpr Point kPauseButton{16, 327};
constexpr Point kUndoButton{35, 362};     // never shown: the panel stays plain there
constexpr Point kShuffleButton{12, 397};
constexpr Point kExitButton{35, 447};

// --- Information strip: labels, and the counters in digit images drawn right
// to left; x is the left edge of the last character. Each counter is redrawn
// within its area.
constexpr Point kClockLabel{134, 444};
constexpr Point kPairsLabel{303, 444};
constexpr Point kTilesLabel{460, 444};
constexpr Point kTilesLeftNumber{610, 452};
constexpr Point kPairsNumber{440, 452};
constexpr Point kClockNumber{270, 452};
constexpr Box kTilesLeftArea{574, 450, kScreenW - 574, kScreenH - 450};
constexpr Box kPairsArea{417, 450, 53, kScreenH - 450};
constexpr Box kClockArea{211, 450, 103, kScreenH - 450};

// The no-match message: centred on the board area, 50 above its middle.
constexpr Point noMatchAt(int32_t w, int32_t h) { return {(kBoardW - w) / 2 + kPanelW, (kScreenH - h) / 2 - 50}; }

// --- Loading screen.
constexpr Point kProgressBar{120, 336};

// --- Options dialog, at kBoardPicture; positions relative to it.
constexpr Point kOptionsDone{63, 396};
constexpr Point kOptionsBestTimes{63, 269};
constexpr Point kOptionsVisit{63, 334};
constexpr Point kSoundSlider{250, 119}; // knob centre at value 0
constexpr Point kMusicSlider{250, 166};
constexpr int32_t kSliderLength = 160;
constexpr Point kFullscreenToggle{175, 218};
constexpr Point kAutoHintToggle{434, 218};

// --- Best-times dialog, at kBoardPicture; relative positions.
constexpr Point kBestTimesOk{329, 421};    // normal look painted into the background
constexpr Point kBestTimesClear{109, 417}; // likewise
constexpr Point kBestTimesNext{338, 60};
constexpr Point kBestTimesPrevious{145, 60};
constexpr int32_t kBestTimesTitleY = 68; // x centres the layout title
constexpr int32_t bestTimesRowY(int32_t place) { return 148 + 35 * place; }
// Text the game writes in its font on each row: the name from x 60
// (left-justified), the other three right-justified on these edges.
constexpr int32_t kBestTimesNameX = 60;
constexpr int32_t kBestTimesTilesRight = 260;
constexpr int32_t kBestTimesTimeRight = 345;
constexpr int32_t kBestTimesRealRight = 440;
constexpr int32_t kNameChars = 12; // what the name entry lets a player type

// --- Name entry: centred over the board area; relative positions.
constexpr Point enterNameAt(int32_t w, int32_t h)
{
    return {(kScreenW - w - kPanelW) / 2 + kPanelW, (kScreenH - h) / 2};
}
constexpr Point enterNameOkAt(int32_t w, int32_t h, int32_t bw, int32_t bh) { return {(w - bw) / 2, h - (3 * bh) / 2}; }
constexpr Box kEnterNameField{30, 164, 100, kFontH}; // edit line, 12 characters and the caret
constexpr int32_t kEnterNameScoreY = 85;          // score, centred on the dialog's middle

// --- Confirmations. Clearing best times: centred, then moved right and down;
// quitting or a new game: the framework's message box at x 220, centred
// vertically. Both put their two buttons on one row (MVDialogLayout).
constexpr Point clearConfirmAt(int32_t w, int32_t h) { return {(kScreenW - w) / 2 + 62, (kScreenH - h) / 2 + 30}; }
constexpr int32_t kLeaveConfirmX = 220;
constexpr Point leaveConfirmAt(int32_t /*w*/, int32_t h) { return {kLeaveConfirmX, (kScreenH - h) / 2}; }

// --- No more moves.
constexpr Point noMoreMovesAt(int32_t w, int32_t h) { return {(kScreenW - w) / 2 + 63, (kScreenH - h) / 2 + 45}; }
constexpr Point noMoreMovesShuffleAt(int32_t w, int32_t bw) { return {(w - bw) / 2, 125}; }
constexpr Point noMoreMovesUndoAt(int32_t w, int32_t bw) { return {(w - bw) / 2 - 2, 160}; }
constexpr Point noMoreMovesEndAt(int32_t w, int32_t bw) { return {(w - bw) / 2, 195}; }

} // namespace geo
