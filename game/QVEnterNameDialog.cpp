// The name entry: layout and its one closing button.
#include "game/QVEnterNameDialog.h"

#include "engine/core/HPlatform.h"
#include "engine/core/HUtil.h"
#include "game/QVGameStats.h"
#include "game/ScreenGeometry.h"

namespace {

// The login name is asked into a buffer of this size.
constexpr int kLoginNameBytes = 25;
static_assert(kLoginNameBytes > geo::kNameChars, "a whole name fits the login name's buffer");

const HColor4f kNameColour{1.0f, 1.0f, 0.0f, 1.0f};
const HColor4f kScoreColour{0.0f, 0.7f, 0.0f, 1.0f};

} // namespace

QVEnterNameDialog::QVEnterNameDialog() : QVDialog() {}

QVEnterNameDialog::~QVEnterNameDialog() = default;

bool QVEnterNameDialog::initDialog(H2DDisplayDevice* display, HFileSystem* files, const QVGameStats& stats,
                                   H2DFont* font, const char* lastName)
{
    m_loadArt(&m_backgroundSprite, display, files, "art/entername_qz.jpg");
    m_loadArt(&m_okSprite, display, files, "art/entername_ok_qz.tga");
    m_loadArt(&m_okLitSprite, display, files, "art/entername_ok_lit_qz.tga");

    const HScreenRect size = m_placeBackground(&m_backgroundSprite, geo::enterNameAt);
    const int32_t width = size.right;
    const int32_t height = size.bottom;

    const HScreenRect button = MVDialogItem::s_spriteSizeRect(&m_okSprite);
    const geo::Point okAt = geo::enterNameOkAt(width, height, button.right, button.bottom);
    s_setUpButton(&m_okButton, "Enter Name OK Button", &m_okSprite, &m_okLitSprite, okAt);

    char offered[kLoginNameBytes] = "";
    s_offeredName(lastName, offered, sizeof(offered));

    m_editLine.setDialogItemName("Enter Name Edit Line");
    m_editLine.setFont(font);
    m_editLine.setTextLineSize(geo::kNameChars);
    m_editLine.setEditable(true);
    m_editLine.setColor(kNameColour);
    const geo::Box field = geo::kEnterNameField;
    m_editLine.setDialogItemOrigin(HScreenPoint{field.x, field.y});
    // A rectangle of its own: a click there gives the line the focus, and
    // typing redraws only the line.
    m_editLine.m_dialogItemRect = HScreenRect(field.x, field.y, field.right(), field.bottom());
    m_editLine.setText(offered);

    char score[kScoreLength + 1];
    const int32_t seconds = stats.gameSeconds > 0 ? stats.gameSeconds : 0;
    HUtil::s_sprintf(score, sizeof(score), "%02d:%02d", seconds / 60, seconds % 60);
    m_scoreLine.setDialogItemName("Score");
    m_scoreLine.setFont(font);
    m_scoreLine.setTextLineSize(kScoreLength);
    m_scoreLine.setEditable(false);
    m_scoreLine.setColor(kScoreColour);
    m_scoreLine.setTextJustification(TJ_CENTER);
    m_scoreLine.setDialogItemOrigin(HScreenPoint{width / 2, geo::kEnterNameScoreY});
    m_scoreLine.setText(score);

    // The button is the default item (Enter), the edit line holds the focus.
    addDialogItem(&m_okButton);
    addDialogItem(&m_scoreLine);
    addDialogItem(&m_editLine);
    return true;
}

void QVEnterNameDialog::s_offeredName(const char* lastName, char* out, int32_t size)
{
    if (!out || size <= 0)
        return;
    // The last one entered, else the login name. Either may come from
    // outside the game (the registry, the password database): only
    // printable characters are offered, as many as a player may type.
    char offered[kLoginNameBytes] = "";
    if (lastName && lastName[0])
        HUtil::s_strcpy(offered, lastName, sizeof(offered));
    else if (!HPlatform::s_getUserName(offered, sizeof(offered)))
        offered[0] = '\0';
    QVNameTextLine::s_keepPrintable(offered);
    offered[geo::kNameChars] = '\0';
    HUtil::s_strcpy(out, offered, size);
}

bool QVEnterNameDialog::handleItemClick(MVDialogItem* item)
{
    if (item != &m_okButton)
        return false;
    m_playGuiClick();
    return true;
}
