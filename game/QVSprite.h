// The game's sprite table: 118 slots, each loaded from one art file of the
// resource archive (a slot without a file is left empty or, for the current
// table top and tile set, filled when a board starts).
#pragma once

enum QVSprite_t : int {
    QVS_FONT = 0,                 // "art/font.tga", 16 columns of 8 x 12 glyphs
    QVS_PAUSE_SCREEN = 1,
    QVS_LEFT_PANEL = 2,
    QVS_START_SCREEN = 3,
    QVS_ARROW_LEFT = 4,
    QVS_ARROW_RIGHT = 5,
    QVS_ARROW_LEFT_LIT = 6,
    QVS_ARROW_RIGHT_LIT = 7,
    QVS_TABLE_TOP = 8,            // the chosen table top, loaded when a board starts
    QVS_SHADOW_TOP = 9,
    QVS_SHADOW_RIGHT = 10,
    QVS_NO_MATCH = 11,
    QVS_BOARD_COMPLETE = 12,
    QVS_GAME_OVER = 13,
    QVS_UNUSED_14 = 14,
    QVS_UNUSED_15 = 15,
    QVS_LAYOUT_PREVIEW = 16,      // 16 + layout (0-17)
    QVS_LAYOUT_TITLE = 34,        // 34 + layout
    QVS_TILE_SET_PREVIEW = 52,    // 52 + tile set (0-8)
    QVS_TABLE_TOP_PREVIEW = 61,   // 61 + table top (0-9)
    QVS_START_BUTTON = 71,
    QVS_START_BUTTON_LIT = 72,
    QVS_CONTINUE_LIT = 73,
    QVS_UNUSED_74 = 74,
    QVS_UNUSED_75 = 75,
    QVS_EXIT = 76,
    QVS_EXIT_LIT = 77,
    QVS_SHOW_MOVES = 78,
    QVS_SHOW_MOVES_LIT = 79,
    QVS_HINT = 80,
    QVS_HINT_LIT = 81,
    QVS_FIND_MATCH = 82,
    QVS_FIND_MATCH_LIT = 83,
    QVS_OPTIONS = 84,
    QVS_OPTIONS_LIT = 85,
    QVS_PAUSE = 86,
    QVS_PAUSE_LIT = 87,
    QVS_RESUME = 88,
    QVS_RESUME_LIT = 89,
    QVS_MORAVEL = 90,             // loaded, never drawn
    QVS_MORAVEL_LIT = 91,
    QVS_NEW_GAME = 92,
    QVS_NEW_GAME_LIT = 93,
    QVS_RULES = 94,
    QVS_RULES_LIT = 95,
    QVS_SHUFFLE = 96,
    QVS_SHUFFLE_LIT = 97,
    QVS_UNDO = 98,
    QVS_UNDO_LIT = 99,
    QVS_SCORE_LABEL = 100,
    QVS_TILES_LEFT_LABEL = 101,
    QVS_AVAILABLE_LABEL = 102,
    QVS_DIGIT_0 = 103,            // 103 + digit
    QVS_COLON = 113,
    QVS_COMMA = 114,
    QVS_OUTLINE_GREEN = 115,
    QVS_OUTLINE_RED = 116,
    QVS_TILE_SET = 117,           // the chosen tile set, loaded when a board starts
    QVS_COUNT = 118,
};
