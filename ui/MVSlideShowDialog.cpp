// The slide show: layout, paging, and the quit request kept for afterwards.
#include "ui/MVSlideShowDialog.h"

#include "engine/core/HEventManager.h"
#include "engine/media/H2DDisplayDevice.h"
#include "ui/MVDialogLayout.h"

#include <new>

namespace {

// Loads the art when it is named; the sprite to give a button (null when
// nothing loaded, so the button takes its size from the others).
const MVSprite* loadArt(MVSprite* sprite, H2DDisplayDevice* device, HFileSystem* files, const char* name)
{
    if (!name || !device)
        return nullptr;
    sprite->loadSprite(device, files, name);
    return sprite->isSpriteValid() ? sprite : nullptr;
}

void unloadArt(MVSprite* sprite)
{
    if (sprite->isSpriteValid())
        sprite->unloadSprite();
}

} // namespace

MVSlideShowDialog::MVSlideShowDialog()
    : m_pSlides(nullptr), m_iSlideCount(0), m_iCurrentSlide(0), m_bQuitPending(false)
{
}

MVSlideShowDialog::~MVSlideShowDialog()
{
    delete[] m_pSlides;
}

intptr_t MVSlideShowDialog::doModal(HPuzzleGame* game, H2DDisplayDevice* device, HEventManager* events,
                                    int32_t timeoutMs, void* userData)
{
    m_bQuitPending = false;
    const intptr_t result = MVDialog::doModal(game, device, events, timeoutMs, userData);
    if (m_bQuitPending && events)
        events->appendEvent(HEvent::s_make(ET_QUIT));
    m_bQuitPending = false;
    return result;
}

bool MVSlideShowDialog::m_handleEvent(const HEvent& e)
{
    if (e.type == ET_QUIT) {
        m_bQuitPending = true;
        return true;
    }
    return MVDialog::m_handleEvent(e);
}

int MVSlideShowDialog::initDialog(int32_t x, int32_t y, H2DDisplayDevice* device, HFileSystem* files,
                                  const char* done, const char* doneLit, const char* next, const char* nextLit,
                                  const char* previous, const char* previousLit, const char** slides,
                                  int32_t count)
{
    if (!slides || count < 1)
        return 0;
    delete[] m_pSlides;
    m_pSlides = new (std::nothrow) MVSprite[count];
    if (!m_pSlides) {
        m_iSlideCount = 0;
        return 0;
    }
    m_iSlideCount = count;
    m_iCurrentSlide = 0;
    for (int32_t i = 0; i < count; ++i)
        loadArt(&m_pSlides[i], device, files, slides[i]);

    setDialogOrigin(HScreenPoint{x, y});
    setBackgroundSprite(&m_pSlides[0]);
    const HScreenRect slideSize = MVDialogItem::s_spriteSizeRect(&m_pSlides[0]);
    const int32_t width = slideSize.right;
    const int32_t height = slideSize.bottom;

    const MVSprite* doneArt = loadArt(&m_doneSprite, device, files, done);
    const MVSprite* doneLitArt = loadArt(&m_doneLitSprite, device, files, doneLit);
    const MVSprite* nextArt = loadArt(&m_nextSprite, device, files, next);
    const MVSprite* nextLitArt = loadArt(&m_nextLitSprite, device, files, nextLit);
    const MVSprite* previousArt = loadArt(&m_previousSprite, device, files, previous);
    const MVSprite* previousLitArt = loadArt(&m_previousLitSprite, device, files, previousLit);

    const HScreenRect doneSize = MVDialogItem::s_spriteSizeRect(&m_doneSprite);
    const HScreenRect nextSize = MVDialogItem::s_spriteSizeRect(&m_nextSprite);
    const HScreenRect previousSize = MVDialogItem::s_spriteSizeRect(&m_previousSprite);

    const MVDialogLayout::Place doneAt = MVDialogLayout::slideDoneAt(width, height, doneSize.bottom);
    const MVDialogLayout::Place previousAt = MVDialogLayout::slidePreviousAt(width, height, previousSize.bottom);
    const MVDialogLayout::Place nextAt =
        MVDialogLayout::slideNextAt(width, height, previousSize.right, nextSize.bottom);
    m_doneButton.setButtonSprites(doneArt, doneLitArt, nullptr);
    m_doneButton.setDialogItemOrigin(HScreenPoint{doneAt.x, doneAt.y});
    m_previousButton.setButtonSprites(previousArt, previousLitArt, nullptr);
    m_previousButton.setDialogItemOrigin(HScreenPoint{previousAt.x, previousAt.y});
    m_nextButton.setButtonSprites(nextArt, nextLitArt, nullptr);
    m_nextButton.setDialogItemOrigin(HScreenPoint{nextAt.x, nextAt.y});

    // Disabled buttons have no disabled sprite, so they are not drawn.
    m_previousButton.setEnabled(false);
    m_nextButton.setEnabled(count > 1);

    addDialogItem(&m_doneButton);
    addDialogItem(&m_previousButton);
    addDialogItem(&m_nextButton);
    return 1;
}

bool MVSlideShowDialog::handleItemClick(MVDialogItem* item)
{
    if (item == &m_doneButton)
        return true;
    if (m_iSlideCount < 1)
        return false;
    if (item == &m_nextButton)
        ++m_iCurrentSlide;
    else if (item == &m_previousButton)
        --m_iCurrentSlide;
    if (m_iCurrentSlide < 0)
        m_iCurrentSlide = 0;
    if (m_iCurrentSlide > m_iSlideCount - 1)
        m_iCurrentSlide = m_iSlideCount - 1;
    m_nextButton.setEnabled(m_iCurrentSlide < m_iSlideCount - 1);
    m_previousButton.setEnabled(m_iCurrentSlide > 0);

    // Slides may differ in size: the old area is redrawn too, so nothing of
    // a larger slide stays behind.
    invalidateArea(m_dialogRect);
    setBackgroundSprite(&m_pSlides[m_iCurrentSlide]);
    invalidateArea(m_dialogRect);
    return false;
}

void MVSlideShowDialog::unloadDialogSprites()
{
    for (int32_t i = 0; i < m_iSlideCount; ++i)
        unloadArt(&m_pSlides[i]);
    delete[] m_pSlides;
    m_pSlides = nullptr;
    m_iSlideCount = 0;
    m_iCurrentSlide = 0;
    // The background was one of the slides.
    m_pBackgroundSprite = nullptr;
    unloadArt(&m_doneSprite);
    unloadArt(&m_doneLitSprite);
    unloadArt(&m_nextSprite);
    unloadArt(&m_nextLitSprite);
    unloadArt(&m_previousSprite);
    unloadArt(&m_previousLitSprite);
}
