// The game in the test's process, driven by a script of event batches.
#include "tests/support/QinvarSession.h"

#include "tests/support/ImageFixtures.h"
#include "tests/support/TestPaths.h"

#include <SDL.h>

QinvarSession::QinvarSession(uint64_t startMs, std::function<Qinvar*()> make)
    : m_home(), m_homeVariable("HOME", m_home.path().c_str()), m_game(), m_script(), m_bStarted(false),
      m_bShutDown(false)
{
    m_script.install(startMs);
    m_script.setKeepQuitting(true);
    m_game.reset(make ? make() : new Qinvar());
}

QinvarSession::~QinvarSession()
{
    shutdown();
    m_game.reset();
}

std::string QinvarSession::registryPath() const
{
    return gameRegistryPath(m_home.path());
}

bool QinvarSession::start(const std::string& commandLine)
{
    // The program's resource directory: beside the test program's bin/.
    const std::string resourceDir = buildResourceDir();
    const std::string tokens = "+set c_soundDriver null +set mv_spriteCursor 0 " + commandLine;
    m_game->getCvarManager()->initCvarManager();
    m_bStarted = true;
    if (!m_game->m_initPuzzleGame(tokens.c_str(), resourceDir.c_str())) {
        shutdown();
        return false;
    }
    m_game->getEventManager()->registerEventSource(&m_script);
    return true;
}

void QinvarSession::run()
{
    m_game->m_runGame();
    shutdown();
}

void QinvarSession::shutdown()
{
    if (!m_bStarted || m_bShutDown)
        return;
    m_bShutDown = true;
    m_game->getEventManager()->unregisterEventSource(&m_script);
    m_game->m_shutdownPuzzleGame();
    m_game->m_quitPuzzleGame();
}

void QinvarSession::rgbAt(int32_t x, int32_t y, uint8_t* r, uint8_t* g, uint8_t* b) const
{
    *r = *g = *b = 0;
    SDL_Surface* screen = SDL_GetVideoSurface();
    if (!screen || x < 0 || y < 0 || x >= screen->w || y >= screen->h || screen->format->BytesPerPixel != 2)
        return;
    if (SDL_MUSTLOCK(screen) && SDL_LockSurface(screen) != 0)
        return;
    const uint8_t* row = static_cast<const uint8_t*>(screen->pixels) + static_cast<size_t>(y) * screen->pitch;
    const uint16_t pixel = reinterpret_cast<const uint16_t*>(row)[x];
    SDL_GetRGB(pixel, screen->format, r, g, b);
    if (SDL_MUSTLOCK(screen))
        SDL_UnlockSurface(screen);
}

uint32_t QinvarSession::rgbAt(int32_t x, int32_t y) const
{
    uint8_t r, g, b;
    rgbAt(x, y, &r, &g, &b);
    return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | b;
}

bool QinvarSession::savePng(const std::string& path) const
{
    SDL_Surface* screen = SDL_GetVideoSurface();
    if (!screen)
        return false;
    return ImageFixtures::writeRgbPng(path, screen->w, screen->h,
                                      [this](int32_t x, int32_t y) { return rgbAt(x, y); });
}
