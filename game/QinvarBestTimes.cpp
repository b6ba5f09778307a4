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

// The names of a table that the registry does not fill, by place.
const char* const kDefaultNames[Qinvar::kHighScorePlaces] = {"Vot",   "Ressa", "Ondi", "Brum",
                                                             "Tamsi", "Kelp",  "Pell", "Snorkel"};

// Key names are written into this many bytes, and read into this many.
constexpr int kWriteKeyBytes = 256;
constexpr int kReadKeyBytes = 1024;
// The name entry's buffer.
constexpr int kEnteredNameBytes = 256;

// One u32 value (machine order) of exactly 4 bytes; anything else is not
// one of ours.
bool readU32(HSystemRegistry* registry, const char* key, uint32_t* out)
{
    uint8_t bytes[4];
    if (!Qinvar::s_readFourBytes(registry, key, bytes))
        return false;
    std::memcpy(out, bytes, sizeof(bytes));
    return true;
}

// The registry for the best times, for `use`; when it does not open, the
// player is told what `failed` and null comes back.
HSystemRegistry* openOrWarn(Qinvar* game, const char* failed,
                            HSystemRegistry::Use use = HSystemRegistry::USE_CHANGE)
{
    HSystemRegistry* registry = game->m_openRegistry(use);
    if (!registry)
        HErrorManager::s_messageBox(49, "Warning", "Qinvar MahJong %s.  Please contact %s", failed,
                                    Qinvar::s_kpSupportAddress);
    return registry;
}

// Whether `e` beats the entry: fewer tiles left, then a smaller game time,
// then a smaller real time, all as signed 32-bit values. An equal result
// does not beat it: the older entry keeps its place.
bool beats(const QVHighScore& e, const QVHighScore& entry)
{
    const int32_t tiles = static_cast<int32_t>(e.remainingTiles);
    const int32_t entryTiles = static_cast<int32_t>(entry.remainingTiles);
    if (tiles != entryTiles)
        return tiles < entryTiles;
    const int32_t gameTime = static_cast<int32_t>(e.gameTime);
    const int32_t entryGame = static_cast<int32_t>(entry.gameTime);
    if (gameTime != entryGame)
        return gameTime < entryGame;
    return static_cast<int32_t>(e.realTime) < static_cast<int32_t>(entry.realTime);
}

// The first place of the table that `e` beats; kHighScorePlaces for none.
int32_t placeFor(const QVHighScore& e, const QVHighScore (&table)[Qinvar::kHighScorePlaces])
{
    int32_t place = 0;
    while (place < Qinvar::kHighScorePlaces && !beats(e, table[place]))
        ++place;
    return place;
}

// An entry with the default values and `name`; the field's unused bytes are
// zero, since all 32 are stored.
QVHighScore defaultEntry(const char* name)
{
    QVHighScore entry{};
    entry.tag = QVHighScore::kTag;
    HUtil::s_strcpy(entry.name, name, sizeof(entry.name));
    entry.gameTime = 5999;
    entry.realTime = 5999;
    entry.remainingTiles = 144;
    return entry;
}

// Whether `e` is no one's result: "nobody" of a cleared place, or the name
// and times a place of a new table starts with.
bool isPlaceholder(const QVHighScore& e)
{
    const QVHighScore nobody = defaultEntry("nobody");
    if (std::memcmp(&e, &nobody, sizeof(e)) == 0)
        return true;
    for (const char* name : kDefaultNames) {
        const QVHighScore placeholder = defaultEntry(name);
        if (std::memcmp(&e, &placeholder, sizeof(e)) == 0)
            return true;
    }
    return false;
}

// One stored entry, read whole: false when a value is missing, not 4 bytes,
// or not one a game can have (the caller then takes the place's default).
bool readEntry(HSystemRegistry* registry, int32_t layout, int32_t place, QVHighScore* out)
{
    QVHighScore entry = defaultEntry("");
    char key[kReadKeyBytes];
    HUtil::s_sprintf(key, sizeof(key), "HSn:%dx%d", layout, place);
    // A stored name shorter than the field leaves zeros after it.
    std::memset(entry.name, 0, sizeof(entry.name));
    int copied = 0;
    if (!registry->getBinaryValue(key, entry.name, sizeof(entry.name), &copied))
        return false;
    // Terminated within the field, whatever the registry held.
    entry.name[sizeof(entry.name) - 1] = '\0';
    HUtil::s_sprintf(key, sizeof(key), "HSv:%dx%d", layout, place);
    bool ok = readU32(registry, key, &entry.tag);
    HUtil::s_sprintf(key, sizeof(key), "HSgt:%dx%d", layout, place);
    ok = readU32(registry, key, &entry.gameTime) && ok;
    HUtil::s_sprintf(key, sizeof(key), "HSrt:%dx%d", layout, place);
    ok = readU32(registry, key, &entry.realTime) && ok;
    HUtil::s_sprintf(key, sizeof(key), "HStl:%dx%d", layout, place);
    ok = readU32(registry, key, &entry.remainingTiles) && ok;
    ok = ok && entry.tag == QVHighScore::kTag && entry.gameTime <= QVHighScore::kMaxSeconds &&
         entry.realTime <= QVHighScore::kMaxSeconds && entry.remainingTiles <= static_cast<uint32_t>(QVBoard::kTileCount);
    if (ok)
        *out = entry;
    return ok;
}

// The eight entries of a layout as the registry holds them.
void readLayout(HSystemRegistry* registry, int32_t layout, QVHighScore (&table)[Qinvar::kHighScorePlaces])
{
    for (int32_t place = 0; place < Qinvar::kHighScorePlaces; ++place) {
        if (!readEntry(registry, layout, place, &table[place]))
            table[place] = defaultEntry(kDefaultNames[place]);
    }
}

void writeLayout(HSystemRegistry* registry, int32_t layout, const QVHighScore (&table)[Qinvar::kHighScorePlaces])
{
    for (int32_t place = 0; place < Qinvar::kHighScorePlaces; ++place) {
        const QVHighScore& entry = table[place];
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

} // namespace

void Qinvar::m_clearHighScores(int32_t layout)
{
    if (layout < 0 || layout >= kLayoutCount)
        return;
    for (int32_t place = 0; place < kHighScorePlaces; ++place) {
        m_aHighScores[layout][place] = defaultEntry("nobody");
        m_abUnsavedHighScores[layout][place] = false;
    }
    // The newest entry was one of them: no row of this layout is it now.
    if (m_iLastHighScoreLayout == layout) {
        m_iLastHighScoreLayout = -1;
        m_iLastHighScorePlace = -1;
    }
}

void Qinvar::m_loadHighScores(bool useDefaults)
{
    for (int32_t layout = 0; layout < kLayoutCount; ++layout)
        m_clearHighScores(layout);

    // The table in memory is then not what the registry holds; it is never
    // written back as such: each store re-reads its layout first. Only read,
    // without a lock: nothing of this run is there to save yet.
    HSystemRegistry* registry = openOrWarn(this, "could not load high scores", HSystemRegistry::USE_READ);
    if (!registry)
        return;
    for (int32_t layout = 0; layout < kLayoutCount; ++layout) {
        if (useDefaults) {
            for (int32_t place = 0; place < kHighScorePlaces; ++place)
                m_aHighScores[layout][place] = defaultEntry(kDefaultNames[place]);
        } else {
            readLayout(registry, layout, m_aHighScores[layout]);
        }
    }
    registry->closeRegistry();
}

void Qinvar::m_mergeHighScores(HSystemRegistry* registry, int32_t layout)
{
    QVHighScore merged[kHighScorePlaces];
    bool unsaved[kHighScorePlaces] = {};
    readLayout(registry, layout, merged);
    // A clear not saved yet stands, for what the player cleared: the
    // entries the table showed then go, each once, and so does every
    // placeholder; entries that other windows stored since stay, moved up,
    // and "nobody" fills the places left.
    if (m_abClearsPending[layout]) {
        bool taken[kClearedEntries] = {};
        int32_t kept = 0;
        for (const QVHighScore& entry : merged) {
            bool cleared = isPlaceholder(entry);
            for (int32_t i = 0; i < m_aiClearedCount[layout] && !cleared; ++i) {
                cleared = !taken[i] && std::memcmp(&entry, &m_aClearedHighScores[layout][i], sizeof(entry)) == 0;
                taken[i] = taken[i] || cleared;
            }
            if (!cleared)
                merged[kept++] = entry;
        }
        while (kept < kHighScorePlaces)
            merged[kept++] = defaultEntry("nobody");
    }

    // The run's unsaved entries, best first, each ranked into what the
    // registry holds; the latest entry's place is followed for its marker.
    const bool marked = layout == m_iLastHighScoreLayout;
    int32_t marker = -1;
    for (int32_t from = 0; from < kHighScorePlaces; ++from) {
        if (!m_abUnsavedHighScores[layout][from])
            continue;
        const QVHighScore& entry = m_aHighScores[layout][from];
        const int32_t place = placeFor(entry, merged);
        if (place == kHighScorePlaces)
            continue;
        const int32_t moved = kHighScorePlaces - 1 - place;
        std::memmove(&merged[place + 1], &merged[place], sizeof(QVHighScore) * moved);
        std::memmove(&unsaved[place + 1], &unsaved[place], sizeof(bool) * moved);
        merged[place] = entry;
        unsaved[place] = true;
        if (marker >= place)
            marker = marker + 1 < kHighScorePlaces ? marker + 1 : -1;
        if (marked && from == m_iLastHighScorePlace)
            marker = place;
    }
    std::memcpy(m_aHighScores[layout], merged, sizeof(merged));
    std::memcpy(m_abUnsavedHighScores[layout], unsaved, sizeof(unsaved));
    if (marked) {
        m_iLastHighScorePlace = marker;
        m_iLastHighScoreLayout = marker < 0 ? -1 : layout;
    }
}

void Qinvar::m_writePendingHighScores(HSystemRegistry* registry, bool (&written)[kLayoutCount])
{
    for (int32_t layout = 0; layout < kLayoutCount; ++layout) {
        if (!m_hasUnsavedHighScores(layout))
            continue;
        m_mergeHighScores(registry, layout);
        writeLayout(registry, layout, m_aHighScores[layout]);
        written[layout] = true;
    }
}

bool Qinvar::m_hasUnsavedHighScores(int32_t layout) const
{
    if (m_abClearsPending[layout])
        return true;
    for (bool unsaved : m_abUnsavedHighScores[layout]) {
        if (unsaved)
            return true;
    }
    return false;
}

bool Qinvar::m_storeHighScores(int32_t layout)
{
    if (layout < 0 || layout >= kLayoutCount)
        return false;
    HSystemRegistry* registry = openOrWarn(this, "could not open registry");
    if (!registry)
        return false;
    // The layout's unsaved entries go with every other pending one; a failed
    // save has told the player, and they all stay pending.
    return m_closeRegistry(registry);
}

void Qinvar::m_clearStoredHighScores(int32_t layout)
{
    if (layout < 0 || layout >= kLayoutCount)
        return;
    // What the player clears is what the table shows as stored (the
    // layout's unsaved entries are cleared with it, never stored): those
    // entries are kept until the clear is saved, with those of an earlier
    // clear not saved yet, so that the save removes exactly them. The
    // clear waits to be saved as an entry does: this use of the registry
    // writes it with everything else pending, or the next use that
    // succeeds.
    if (!m_abClearsPending[layout])
        m_aiClearedCount[layout] = 0;
    for (int32_t place = 0; place < kHighScorePlaces; ++place) {
        const QVHighScore& entry = m_aHighScores[layout][place];
        if (m_abUnsavedHighScores[layout][place] || isPlaceholder(entry) ||
            m_aiClearedCount[layout] == kClearedEntries)
            continue;
        m_aClearedHighScores[layout][m_aiClearedCount[layout]++] = entry;
    }
    m_clearHighScores(layout);
    m_abClearsPending[layout] = true;
    if (HSystemRegistry* registry = openOrWarn(this, "could not open registry"))
        m_closeRegistry(registry);
}

void Qinvar::checkForHighScore(HighScoreEntry how)
{
    m_iLastHighScorePlace = -1;
    m_iLastHighScoreLayout = -1;
    const int32_t layout = m_options.layout;
    if (layout < 0 || layout >= kLayoutCount)
        return;
    // A time the registry could not take back (a clock that jumped) ranks
    // nowhere: it would push out a real entry and never load again.
    if (m_gameStats.timeOutOfRange || m_gameStats.gameSeconds < 0 || m_gameStats.realSeconds < 0 ||
        m_board.tilesLeft < 0 || m_board.tilesLeft > QVBoard::kTileCount)
        return;
    QVHighScore entry = defaultEntry("");
    entry.gameTime = static_cast<uint32_t>(m_gameStats.gameSeconds);
    entry.realTime = static_cast<uint32_t>(m_gameStats.realSeconds);
    entry.remainingTiles = static_cast<uint32_t>(m_board.tilesLeft);

    // The table as the registry holds it now: another window may have
    // stored entries since the start. Reading writes nothing but what is
    // still pending.
    if (HSystemRegistry* registry = m_openRegistry()) {
        m_mergeHighScores(registry, layout);
        m_closeRegistry(registry);
    }

    const int32_t place = placeFor(entry, m_aHighScores[layout]);
    if (place == kHighScorePlaces)
        return;

    m_iLastHighScorePlace = place;
    m_iLastHighScoreLayout = layout;
    // A quit request during the name entry still keeps the entry, under the
    // name typed so far; so does the display going away meanwhile
    // (m_endByLostDisplay). Without the entry, the name it would have
    // offered.
    char name[kEnteredNameBytes];
    if (how == HE_LAST_NAME) {
        QVEnterNameDialog::s_offeredName(m_options.lastHighScoreName, name, sizeof(name));
    } else {
        m_nameEntry.entry = entry;
        m_nameEntry.layout = layout;
        m_nameEntry.place = place;
        m_doEnterNameDialog(name, sizeof(name));
        m_nameEntry.layout = -1;
    }
    // Without a name entered the options stay as they are.
    m_enterHighScore(entry, layout, place, name, how != HE_LAST_NAME);
    // One save takes the entry and the options with it.
    m_storeHighScores(layout);

    if (how != HE_ASK_AND_SHOW || m_iGameState == GS_QUITTING)
        return;
    doBestTimesDialog(layout);
}

void Qinvar::m_enterHighScore(QVHighScore entry, int32_t layout, int32_t place, const char* name, bool entered)
{
    if (layout < 0 || layout >= kLayoutCount || place < 0 || place >= kHighScorePlaces)
        return;
    HUtil::s_strcpy(entry.name, name, sizeof(entry.name));
    QVHighScore* table = m_aHighScores[layout];
    const int32_t moved = kHighScorePlaces - 1 - place;
    std::memmove(&table[place + 1], &table[place], sizeof(QVHighScore) * moved);
    std::memmove(&m_abUnsavedHighScores[layout][place + 1], &m_abUnsavedHighScores[layout][place],
                 sizeof(bool) * moved);
    table[place] = entry;
    m_abUnsavedHighScores[layout][place] = true;
    if (entered) {
        // The name is offered again at the next entry, also after a restart.
        m_options.setLastHighScoreName(name);
        m_bOptionsPending = true;
    }
}

void Qinvar::m_doEnterNameDialog(char* name, int32_t size)
{
    QVEnterNameDialog dialog;
    // The game has ended: its clock no longer runs. A quit request keeps the
    // name typed so far (the edit line keeps its text when the dialog lets
    // go of its items).
    m_runDialog(dialog, DC_RUNNING, this, [&] {
        dialog.initDialog(m_pDisplayDevice, m_pReadFileSystem, m_gameStats, m_pGameFont,
                          m_options.lastHighScoreName);
        m_nameEntry.dialog = &dialog;
    });
    m_nameEntry.dialog = nullptr;
    if (name && size > 0)
        HUtil::s_strcpy(name, dialog.getEditLine()->getText(), size);
}

void Qinvar::doBestTimesDialog(int32_t layout)
{
    QVBestTimesDialog dialog;
    // Every change the dialog made (Clear) is stored already, also when a
    // quit request closed it.
    m_runDialog(dialog, DC_PAUSED, this,
                [&] { dialog.initDialog(m_pDisplayDevice, m_pReadFileSystem, m_aHighScores, layout, this); });
}
