// The best-times dialog: layout, the text of the shown layout, stepping
// through the layouts and clearing one.
#include "game/QVBestTimesDialog.h"

#include "engine/core/HUtil.h"
#include "game/Qinvar.h"
#include "game/ScreenGeometry.h"

#include <cstring>

namespace {

// Times from this many seconds on show as 99:59.
constexpr uint32_t kMaxShownSeconds = 5999;
// Bytes of one shown value ("99:59", a tile count, a name).
constexpr int kTextBytes = 64;

const HColor4f kTextColour{1.0f, 1.0f, 0.0f, 1.0f};

void formatTime(char* out, int size, uint32_t seconds)
{
    if (seconds > kMaxShownSeconds)
        seconds = kMaxShownSeconds;
    HUtil::s_sprintf(out, size, "%02u:%02u", seconds / 60, seconds % 60);
}

void setUpLine(MVDialogItemTextLine* line, H2DFont* font, int32_t x, int32_t y, TextJustification justification)
{
    line->setFont(font);
    line->setColor(kTextColour);
    line->setEditable(false);
    line->setTextJustification(justification);
    line->setDialogItemOrigin(HScreenPoint{x, y});
}

} // namespace

QVBestTimesDialog::QVBestTimesDialog() : QVDialog(), m_pGame(nullptr), m_iShownLayout(0), m_aTable() {}

QVBestTimesDialog::~QVBestTimesDialog() = default;

bool QVBestTimesDialog::initDialog(H2DDisplayDevice* display, HFileSystem* files,
                                   QVHighScore table[kLayouts][kPlaces], int32_t layout, Qinvar* game)
{
    m_pGame = game;
    m_iShownLayout = (layout >= 0 && layout < kLayouts) ? layout : 0;
    m_loadArt(&m_clearLitSprite, display, files, "art/besttimes_clear_lit_qz.tga");
    m_loadArt(&m_okLitSprite, display, files, "art/ok_lit_qz.tga");
    m_loadArt(&m_backgroundSprite, display, files, "art/besttimes_qz.jpg");
    setBackgroundSprite(&m_backgroundSprite);
    setDialogOrigin(HScreenPoint{geo::kBoardPicture.x, geo::kBoardPicture.y});

    // OK and Clear have no normal art: they show only while lit.
    s_setUpButton(&m_okButton, "Best Times OK Button", nullptr, &m_okLitSprite, geo::kBestTimesOk);

    s_setUpButton(&m_clearButton, "Best Times Clear Button", nullptr, &m_clearLitSprite, geo::kBestTimesClear);

    MVSprite* right = game ? game->getSprite(QVS_ARROW_RIGHT) : nullptr;
    MVSprite* rightLit = game ? game->getSprite(QVS_ARROW_RIGHT_LIT) : nullptr;
    MVSprite* left = game ? game->getSprite(QVS_ARROW_LEFT) : nullptr;
    MVSprite* leftLit = game ? game->getSprite(QVS_ARROW_LEFT_LIT) : nullptr;
    s_setUpButton(&m_nextButton, "Best Times Next Layout", right, rightLit, geo::kBestTimesNext);
    s_setUpButton(&m_previousButton, "Best Times Previous Layout", left, leftLit, geo::kBestTimesPrevious);

    // Every title has the first one's width.
    const HScreenRect background = MVDialogItem::s_spriteSizeRect(&m_backgroundSprite);
    const HScreenRect title =
        MVDialogItem::s_spriteSizeRect(game ? game->getSprite(QVS_LAYOUT_TITLE) : nullptr);
    m_titleButton.setDialogItemName("Best Times Layout Title");
    m_showTitle();
    m_titleButton.setDialogItemOrigin(HScreenPoint{(background.right - title.right) / 2, geo::kBestTimesTitleY});

    addDialogItem(&m_okButton);
    addDialogItem(&m_clearButton);
    addDialogItem(&m_nextButton);
    addDialogItem(&m_previousButton);
    addDialogItem(&m_titleButton);

    H2DFont* font = game ? game->getGameFont() : nullptr;
    for (int32_t place = 0; place < kPlaces; ++place) {
        const int32_t y = geo::bestTimesRowY(place);
        setUpLine(&m_aNameLines[place], font, geo::kBestTimesNameX, y, TJ_LEFT);
        setUpLine(&m_aGameTimeLines[place], font, geo::kBestTimesTimeRight, y, TJ_RIGHT);
        setUpLine(&m_aRealTimeLines[place], font, geo::kBestTimesRealRight, y, TJ_RIGHT);
        setUpLine(&m_aTilesLines[place], font, geo::kBestTimesTilesRight, y, TJ_RIGHT);
    }
    loadTextLines(table);
    for (int32_t place = 0; place < kPlaces; ++place) {
        addDialogItem(&m_aNameLines[place]);
        addDialogItem(&m_aGameTimeLines[place]);
        addDialogItem(&m_aRealTimeLines[place]);
        addDialogItem(&m_aTilesLines[place]);
    }
    return true;
}

void QVBestTimesDialog::loadTextLines(QVHighScore table[kLayouts][kPlaces])
{
    if (table)
        std::memcpy(m_aTable, table, sizeof(m_aTable));
    const bool markedLayout = m_pGame && m_pGame->getLastHighScoreLayout() == m_iShownLayout;
    for (int32_t place = 0; place < kPlaces; ++place) {
        const QVHighScore& entry = m_aTable[m_iShownLayout][place];
        char text[kTextBytes];

        // The stored name is terminated within its field, whatever the
        // registry held.
        char name[QVHighScore::kNameBytes];
        std::memcpy(name, entry.name, sizeof(name));
        name[sizeof(name) - 1] = '\0';
        m_aNameLines[place].setText(name);
        formatTime(text, sizeof(text), entry.gameTime);
        m_aGameTimeLines[place].setText(text);
        formatTime(text, sizeof(text), entry.realTime);
        m_aRealTimeLines[place].setText(text);
        HUtil::s_sprintf(text, sizeof(text), "%u", entry.remainingTiles);
        m_aTilesLines[place].setText(text);

        const uint32_t effects =
            (markedLayout && m_pGame->getLastHighScorePlace() == place) ? MVDialogItemTextLine::kEffectBlink : 0;
        m_aNameLines[place].setTextLineEffects(effects);
        m_aGameTimeLines[place].setTextLineEffects(effects);
        m_aRealTimeLines[place].setTextLineEffects(effects);
        m_aTilesLines[place].setTextLineEffects(effects);
    }
}

void QVBestTimesDialog::m_showTitle()
{
    MVSprite* title =
        m_pGame ? m_pGame->getSprite(static_cast<QVSprite_t>(QVS_LAYOUT_TITLE + m_iShownLayout)) : nullptr;
    m_titleButton.setButtonSprites(title, title, nullptr);
}

void QVBestTimesDialog::m_stepLayout(int32_t delta)
{
    m_iShownLayout += delta;
    if (m_iShownLayout < 0)
        m_iShownLayout = kLayouts - 1;
    else if (m_iShownLayout >= kLayouts)
        m_iShownLayout = 0;
    loadTextLines(m_pGame ? m_pGame->getHighScores() : nullptr);
    m_showTitle();
    invalidateArea(getDialogRect());
}

bool QVBestTimesDialog::handleItemClick(MVDialogItem* item)
{
    if (item == &m_titleButton)
        return true;
    if (item != &m_okButton && item != &m_clearButton && item != &m_nextButton && item != &m_previousButton)
        return false;
    m_playGuiClick();
    if (item == &m_okButton)
        return true;
    if (item == &m_nextButton) {
        m_stepLayout(1);
        return false;
    }
    if (item == &m_previousButton) {
        m_stepLayout(-1);
        return false;
    }
    if (!m_pGame)
        return false;
    if (m_pGame->m_doAreYouSureDialog("art/besttimes_areyousure.jpg", "art/besttimes_areyousure_yes.tga",
                                      "art/besttimes_areyousure_yes_lit.tga", "art/besttimes_areyousure_no.tga",
                                      "art/besttimes_areyousure_no_lit.tga")) {
        m_pGame->m_clearStoredHighScores(m_iShownLayout);
        loadTextLines(m_pGame->getHighScores());
    }
    // A quit request in the confirmation ends this dialog as well.
    return m_pGame->getState() == GS_QUITTING;
}
