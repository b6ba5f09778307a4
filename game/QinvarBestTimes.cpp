// Best times: the 8 best results of each of the 18 layouts, persisted in the
// per-user registry, the ranking of a finished game, the name entry and the
// best-times dialog.
#include "game/Qinvar.h"

#include "engine/core/HErrorManager.h"
#include "engine/core/HPlatform.h"
#include "engine/core/HSystemRegistry.h"
#include "engine/core/HUtil.h"
#include "game/QVBestTimesDialog.h"
#include "game/QVEnterNameDialog.h"

#include <cstring>

namespace {

const char* const kCompany = "Moravel";
const char* const kProduct = "Qinvar";
const char* const kSupportAddress = "support@moravel.example.org";

// The names of a table that the registry does not fill, by place.
const char* const kDefaultNames[Qinvar::kHighScorePlaces] = {"Vot",   "Ressa", "Ondi", "Brum",
                                                             "Tamsi", "Kelp",  "Pell", "Snorkel"};

// Key names are written into this many bytes, and read into this many.
constexpr int kWriteKeyBytes = 256;
constexpr int kReadKeyBytes = 1024;
// The name entry's buffer.
constexpr int kEnteredNameBytes = 256;

// Stored times are seconds of a clock that shows at most 99:59 but runs on;
// a value that reads as a negative 32-bit number could only come from a
// damaged or hand-edited registry, and would rank above every real game.
constexpr uint32_t kMaxStoredSeconds = 0x7FFFFFFFu;

// One u32 value of exactly 4 bytes; anything else is not one of ours.
bool readU32(HSystemRegistry* registry, const char* key, uint32_t* out)
{
    uint8_t buffer[5] = {};
    int copied = 0;
    if (!registry->getBinaryValue(key, buffer, sizeof(buffer), &copied) || copied != 4)
        return false;
    std::memcpy(out, buffer, 4);
    return true;
}

// Whether the game beats the entry: fewer tiles left, then a smaller game
// time, then a smaller real time, all as signed 32-bit values. An equal
// result does not beat it: the older entry keeps its place.
bool beats(int32_t tiles, int32_t gameTime, int32_t realTime, const QVHighScore& entry)
{
    const int32_t entryTiles = static_cast<int32_t>(entry.remainingTiles);
    const int32_t entryGame = static_cast<int32_t>(entry.gameTime);
    const int32_t entryReal = static_cast<int32_t>(entry.realTime);
    if (tiles != entryTiles)
        return tiles < entryTiles;
    if (gameTime != entryGame)
        return gameTime < entryGame;
    return realTime < entryReal;
}

} // namespace

void Qinvar::m_clearHighScores(int32_t layout)
{
    if (layout < 0 || layout >= kLayoutCount)
        return;
    for (QVHighScore& entry : m_aHighScores[layout]) {
        // The whole name field is stored, so its unused bytes are zero.
        entry = QVHighScore{};
        entry.tag = QVHighScore::kTag;
        HUtil::s_strcpy(entry.name, "nobody", sizeof(entry.name));
        entry.gameTime = 5999;
        entry.realTime = 5999;
        entry.remainingTiles = 144;
    }
}

void Qinvar::m_loadHighScores(bool useDefaults)
{
    for (int32_t layout = 0; layout < kLayoutCount; ++layout)
        m_clearHighScores(layout);

    HSystemRegistry* registry = HSystemRegistry::s_getSystemRegistry();
    if (!registry || !registry->openRegistry(&m_cvarManager, kCompany, kProduct)) {
        HErrorManager::s_messageBox(49, "Warning", "Qinvar MahJong could not load high scores.  Please contact %s",
                                    kSupportAddress);
        return;
    }
    for (int32_t layout = 0; layout < kLayoutCount; ++layout) {
        for (int32_t place = 0; place < kHighScorePlaces; ++place) {
            QVHighScore entry = m_aHighScores[layout][place]; // the default entry
            char key[kReadKeyBytes];
            HUtil::s_sprintf(key, sizeof(key), "HSn:%dx%d", layout, place);
            // A stored name shorter than the field must not end in the
            // default name's letters.
            std::memset(entry.name, 0, sizeof(entry.name));
            int copied = 0;
            bool ok = !useDefaults && registry->getBinaryValue(key, entry.name, sizeof(entry.name), &copied);
            // Terminated within the field, whatever the registry held.
            entry.name[sizeof(entry.name) - 1] = '\0';
            if (ok) {
                HUtil::s_sprintf(key, sizeof(key), "HSv:%dx%d", layout, place);
                ok = readU32(registry, key, &entry.tag);
                HUtil::s_sprintf(key, sizeof(key), "HSgt:%dx%d", layout, place);
                ok = readU32(registry, key, &entry.gameTime) && ok;
                HUtil::s_sprintf(key, sizeof(key), "HSrt:%dx%d", layout, place);
                ok = readU32(registry, key, &entry.realTime) && ok;
                HUtil::s_sprintf(key, sizeof(key), "HStl:%dx%d", layout, place);
                ok = readU32(registry, key, &entry.remainingTiles) && ok;
                ok = ok && entry.tag == QVHighScore::kTag && entry.gameTime <= kMaxStoredSeconds &&
                     entry.realTime <= kMaxStoredSeconds &&
                     entry.remainingTiles <= static_cast<uint32_t>(QVBoard::kTileCount);
            }
            if (ok) {
                m_aHighScores[layout][place] = entry;
            } else {
                // The default entry under the place's default name; the
                // field's unused bytes stay zero.
                std::memset(m_aHighScores[layout][place].name, 0, sizeof(m_aHighScores[layout][place].name));
                HUtil::s_strcpy(m_aHighScores[layout][place].name, kDefaultNames[place],
                                sizeof(m_aHighScores[layout][place].name));
            }
        }
    }
    registry->closeRegistry();
}

void Qinvar::m_storeHighScores()
{
    HSystemRegistry* registry = HSystemRegistry::s_getSystemRegistry();
    if (!registry || !registry->openRegistry(&m_cvarManager, kCompany, kProduct)) {
        HErrorManager::s_messageBox(49, "Warning", "Qinvar MahJong could not open registry.  Please contact %s",
                                    kSupportAddress);
        return;
    }
    for (int32_t layout = 0; layout < kLayoutCount; ++layout) {
        for (int32_t place = 0; place < kHighScorePlaces; ++place) {
            const QVHighScore& entry = m_aHighScores[layout][place];
            char key[kWriteKeyBytes];
            HUtil::s_sprintf(key, sizeof(key), "HSn:%dx%d", layout, place);
            registry->setBinaryValue(key, entry.name, sizeof(entry.name));
            HUtil::s_sprintf(key, sizeof(key), "HSv:%dx%d", layout, place);
            registry->setU32Value(key, entry.tag);
            HUtil::s_sprintf(key, sizeof(key), "HSgt:%dx%d", layout, place);
            registry->setU32Value(key, entry.gameTime);
            HUtil::s_sprintf(key, sizeof(key), "HSrt:%dx%d", layout, place);
            registry->setU32Value(key, entry.realTime);
            HUtil::s_sprintf(key, sizeof(key), "HStl:%dx%d", layout, place);
            registry->setU32Value(key, entry.remainingTiles);
        }
    }
    registry->closeRegistry();
}

void Qinvar::checkForHighScore()
{
    m_iLastHighScorePlace = -1;
    m_iLastHighScoreLayout = -1;
    const int32_t layout = m_options.layout;
    if (layout < 0 || layout >= kLayoutCount)
        return;
    const int32_t tiles = m_board.tilesLeft;
    const int32_t gameTime = m_gameStats.gameSeconds;
    const int32_t realTime = m_gameStats.realSeconds;

    QVHighScore* table = m_aHighScores[layout];
    int32_t place = 0;
    while (place < kHighScorePlaces && !beats(tiles, gameTime, realTime, table[place]))
        ++place;
    if (place == kHighScorePlaces)
        return;

    m_iLastHighScorePlace = place;
    m_iLastHighScoreLayout = layout;
    std::memmove(&table[place + 1], &table[place], sizeof(QVHighScore) * (kHighScorePlaces - 1 - place));

    // A quit request during the name entry still keeps the entry, under the
    // name typed so far.
    char name[kEnteredNameBytes];
    m_doEnterNameDialog(name, sizeof(name));

    QVHighScore& entry = table[place];
    std::memset(&entry, 0, sizeof(entry));
    entry.tag = QVHighScore::kTag;
    HUtil::s_strcpy(entry.name, name, sizeof(entry.name));
    entry.gameTime = static_cast<uint32_t>(gameTime);
    entry.realTime = static_cast<uint32_t>(realTime);
    entry.remainingTiles = static_cast<uint32_t>(tiles);
    HUtil::s_strcpy(m_options.lastHighScoreName, name, sizeof(m_options.lastHighScoreName));
    m_storeHighScores();
    // The name is offered again at the next entry, also after a restart.
    m_saveOptions();

    if (m_iGameState == GS_QUITTING)
        return;
    doBestTimesDialog(layout);
}

void Qinvar::m_doEnterNameDialog(char* name, int32_t size)
{
    QVEnterNameDialog dialog;
    dialog.initDialog(m_pDisplayDevice, m_pReadFileSystem, m_gameStats, m_pGameFont, m_options.lastHighScoreName);
    const intptr_t closedBy = dialog.doModal(this, m_pDisplayDevice, &m_eventManager, 0, this);
    if (name && size > 0)
        HUtil::s_strcpy(name, dialog.getEditLine()->getText(), size);
    dialog.unloadDialogSprites();
    dialog.removeAllItems();
    if (closedBy == MVDialog::kQuit)
        m_requestQuit();
}

void Qinvar::doBestTimesDialog(int32_t layout)
{
    QVBestTimesDialog dialog;
    m_beginPause();
    dialog.initDialog(m_pDisplayDevice, m_pReadFileSystem, m_aHighScores, layout, this);
    const intptr_t closedBy = dialog.doModal(this, m_pDisplayDevice, &m_eventManager, 0, this);
    dialog.unloadDialogSprites();
    dialog.removeAllItems();
    m_endPause();
    // Every change the dialog made (Clear) is stored already.
    if (closedBy == MVDialog::kQuit)
        m_requestQuit();
}
