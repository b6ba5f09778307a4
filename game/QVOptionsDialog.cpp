// The options dialog: layout, the switches and the closing buttons.
#include "game/QVOptionsDialog.h"

#include "game/QVOptions.h"
#include "game/Qinvar.h"
#include "game/ScreenGeometry.h"

namespace {

// A volume slider: horizontal, the track's length, the knob, the value it
// starts at, and the record it writes.
template <class Slider>
void setUpSlider(Slider* slider, const char* name, QVOptions* options, float value, MVSprite* knob, geo::Point at)
{
    slider->setDialogItemName(name);
    slider->setOptions(options);
    slider->setSliderParameters(MVDialogItemSlider::SO_HORIZONTAL, geo::kSliderLength);
    slider->setSliderSprite(knob);
    slider->setSliderValue(value);
    slider->setDialogItemOrigin(HScreenPoint{at.x, at.y});
}

} // namespace

QVOptionsDialog::QVOptionsDialog() : QVDialog(), m_pOptions(nullptr) {}

QVOptionsDialog::~QVOptionsDialog() = default;

void QVOptionsDialog::m_showSwitch(MVDialogItemButton* button, int32_t value)
{
    if (value != 0)
        button->setButtonSprites(&m_onSprite, &m_onLitSprite, nullptr);
    else
        button->setButtonSprites(&m_offSprite, &m_offLitSprite, nullptr);
}

bool QVOptionsDialog::initDialog(H2DDisplayDevice* display, HFileSystem* files, QVOptions* options)
{
    m_pOptions = options;
    m_loadArt(&m_backgroundSprite, display, files, "art/options_qz.jpg");
    m_loadArt(&m_okSprite, display, files, "art/options_done_qz.tga");
    m_loadArt(&m_okLitSprite, display, files, "art/options_done_lit_qz.tga");
    m_loadArt(&m_bestTimesSprite, display, files, "art/options_besttimes_qz.tga");
    m_loadArt(&m_bestTimesLitSprite, display, files, "art/options_besttimes_lit_qz.tga");
    m_loadArt(&m_visitSprite, display, files, "art/options_visit_qz.tga");
    m_loadArt(&m_visitLitSprite, display, files, "art/options_visit_lit_qz.tga");
    m_loadArt(&m_knobSprite, display, files, "art/options_slider_tab_qz.tga");
    m_loadArt(&m_onSprite, display, files, "art/options_on_qz.tga");
    m_loadArt(&m_onLitSprite, display, files, "art/options_on_lit_qz.tga");
    m_loadArt(&m_offSprite, display, files, "art/options_off_qz.tga");
    m_loadArt(&m_offLitSprite, display, files, "art/options_off_lit_qz.tga");

    setBackgroundSprite(&m_backgroundSprite);
    setDialogOrigin(HScreenPoint{geo::kBoardPicture.x, geo::kBoardPicture.y});

    s_setUpButton(&m_okButton, "Ok Button", &m_okSprite, &m_okLitSprite, geo::kOptionsDone);
    s_setUpButton(&m_bestTimesButton, "Best Times", &m_bestTimesSprite, &m_bestTimesLitSprite, geo::kOptionsBestTimes);
    s_setUpButton(&m_visitPartnerButton, "Visit Partner", &m_visitSprite, &m_visitLitSprite, geo::kOptionsVisit);

    setUpSlider(&m_soundSlider, "Sound Slider", options, options ? options->soundVolume : 0.0f, &m_knobSprite,
                geo::kSoundSlider);
    setUpSlider(&m_musicSlider, "Music Slider", options, options ? options->musicVolume : 0.0f, &m_knobSprite,
                geo::kMusicSlider);

    m_fullscreenButton.setDialogItemName("Fullscreen Button");
    m_showSwitch(&m_fullscreenButton, options ? options->fullscreen : 0);
    m_fullscreenButton.setDialogItemOrigin(HScreenPoint{geo::kFullscreenToggle.x, geo::kFullscreenToggle.y});

    m_autoHintButton.setDialogItemName("autoHints Button");
    m_showSwitch(&m_autoHintButton, options ? options->autoHint : 0);
    m_autoHintButton.setDialogItemOrigin(HScreenPoint{geo::kAutoHintToggle.x, geo::kAutoHintToggle.y});

    // "Best Times" becomes the default item (Enter), "Ok Button" holds the
    // focus.
    addDialogItem(&m_bestTimesButton);
    addDialogItem(&m_soundSlider);
    addDialogItem(&m_musicSlider);
    addDialogItem(&m_fullscreenButton);
    addDialogItem(&m_visitPartnerButton);
    addDialogItem(&m_autoHintButton);
    addDialogItem(&m_okButton);
    return true;
}

bool QVOptionsDialog::m_handleEvent(const HEvent& e)
{
    if (e.type == ET_TOGGLE_FULLSCREEN) {
        handleItemClick(&m_fullscreenButton);
        return true;
    }
    return QVDialog::m_handleEvent(e);
}

bool QVOptionsDialog::handleItemClick(MVDialogItem* item)
{
    // Only the game runs this dialog.
    Qinvar* game = static_cast<Qinvar*>(getPuzzleGame());

    if (item == &m_okButton) {
        m_playGuiClick();
        return true;
    }
    if (item == &m_visitPartnerButton)
        return true;
    if (item == &m_bestTimesButton) {
        if (game && m_pOptions)
            game->doBestTimesDialog(m_pOptions->layout);
        // A quit request in the best-times dialog closes this one as well.
        return game && game->getState() == GS_QUITTING;
    }
    if (!m_pOptions)
        return false;
    if (item == &m_fullscreenButton) {
        // Only the record changes here; the switch waits for the dialog to
        // close.
        m_pOptions->setFullscreen(m_pOptions->fullscreen != 0 ? 0 : 1);
        m_showSwitch(&m_fullscreenButton, m_pOptions->fullscreen);
        return false;
    }
    if (item == &m_autoHintButton) {
        m_pOptions->setAutoHint(m_pOptions->autoHint != 0 ? 0 : 1);
        if (game)
            game->m_restartAutoHintTimer();
        m_showSwitch(&m_autoHintButton, m_pOptions->autoHint);
        return false;
    }
    return false;
}
