// The SDL display device: video mode, screen locking, presentation, the
// window / full-screen switch, and images turned into screen-format surfaces.
#include "engine/media/HSDL2DDisplayDevice.h"

#include "engine/core/HErrorManager.h"
#include "engine/media/HImage.h"

#include <SDL.h>

#include <cstring>
#include <new>

namespace {

SDL_Surface* sdlSetVideoMode(int width, int height, int bitsPerPixel, uint32_t flags)
{
    return SDL_SetVideoMode(width, height, bitsPerPixel, flags);
}

void sdlUpdateRects(SDL_Surface* screen, int count, SDL_Rect* rects)
{
    SDL_UpdateRects(screen, count, rects);
}

// One bit per set bit of the mask, after its trailing zeros.
int32_t channelWidth(uint32_t mask)
{
    if (mask == 0)
        return 0;
    while ((mask & 1u) == 0)
        mask >>= 1;
    int32_t bits = 0;
    for (; mask; mask >>= 1)
        bits += static_cast<int32_t>(mask & 1u);
    return bits;
}

// A colour channel of 0 to 1 as SDL wants it: times 255, truncated toward
// zero, low 8 bits. Values no integer can hold count as 0.
Uint8 colourByte(float channel)
{
    const double v = static_cast<double>(channel) * 255.0;
    if (!(v > -2147483648.0 && v < 2147483648.0))
        return 0;
    return static_cast<Uint8>(static_cast<int32_t>(v) & 0xFF);
}

// The configured screen format as the conversion packs it: channel widths
// and the bit position of each channel's lowest bit, red, green, blue.
struct Packer {
    int32_t bits[3];
    int32_t shift[3];

    Packer()
        : bits(), shift()
    {
        H2DDisplayDevice::sm_getPixelFormat(&bits[0], &bits[1], &bits[2], &shift[0], &shift[1], &shift[2]);
    }

    // Moves a value of `from` bits to `to` bits (dropping or adding low bits).
    static uint32_t rescale(uint32_t v, int32_t from, int32_t to)
    {
        return to >= from ? v << (to - from) : v >> (from - to);
    }

    // The 2 x 2 ordered dither of one 8-bit channel to its width: the value
    // with two extra bits, plus t, held below the channel's top, then the two
    // extra bits dropped.
    uint32_t dither(uint32_t c8, int channel, uint32_t t) const
    {
        const int32_t w = bits[channel];
        uint32_t v = rescale(c8, 8, w + 2) + t;
        const uint32_t top = (1u << (w + 2)) - 1;
        if (v > top)
            v = top;
        return v >> 2;
    }

    uint16_t pack(uint32_t r, uint32_t g, uint32_t b) const
    {
        return static_cast<uint16_t>((r << shift[0]) | (g << shift[1]) | (b << shift[2]));
    }

    // What SDL_MapRGB makes of an 8-bit colour on this format.
    uint16_t map(uint32_t r8, uint32_t g8, uint32_t b8) const
    {
        return pack(rescale(r8, 8, bits[0]), rescale(g8, 8, bits[1]), rescale(b8, 8, bits[2]));
    }
};

// Dither values for (x even, y even), (x odd, y even), (x even, y odd), (x odd, y odd).
constexpr uint32_t kDither[2][2] = {{0, 2}, {3, 1}};

// Each channel's dithered contribution to a screen pixel, for every 8-bit
// value at each place of the 2 x 2 dither: a pixel is the three entries
// or-ed together, exactly Packer::pack of the three dithered channels.
struct DitherTables {
    struct Row {
        uint16_t red[2][256]; // [x & 1][value]
        uint16_t green[2][256];
        uint16_t blue[2][256];
    };
    Row rows[2]; // [y & 1]
    // The pixel format the tables were made for.
    int32_t bits[3];
    int32_t shift[3];
    bool made;
};

// The tables of the screen's current pixel format, made again only when the
// format changed since the last call. Main thread only.
const DitherTables& ditherTables(const Packer& packer)
{
    static DitherTables tables = {};
    if (tables.made && std::memcmp(tables.bits, packer.bits, sizeof(tables.bits)) == 0 &&
        std::memcmp(tables.shift, packer.shift, sizeof(tables.shift)) == 0)
        return tables;
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 2; ++x) {
            const uint32_t t = kDither[y][x];
            for (uint32_t v = 0; v < 256; ++v) {
                tables.rows[y].red[x][v] = packer.pack(packer.dither(v, 0, t), 0, 0);
                tables.rows[y].green[x][v] = packer.pack(0, packer.dither(v, 1, t), 0);
                tables.rows[y].blue[x][v] = packer.pack(0, 0, packer.dither(v, 2, t));
            }
        }
    }
    std::memcpy(tables.bits, packer.bits, sizeof(tables.bits));
    std::memcpy(tables.shift, packer.shift, sizeof(tables.shift));
    tables.made = true;
    return tables;
}

} // namespace

HSDL2DDisplayDevice::SetVideoModeFunction HSDL2DDisplayDevice::sm_pSetVideoMode = nullptr;
HSDL2DDisplayDevice::UpdateRectsFunction HSDL2DDisplayDevice::sm_pUpdateRects = nullptr;

// --- Factory -------------------------------------------------------------------

H2DDisplayDevice* H2DDisplayDevice::s_create2DDisplayDevice(int32_t width, int32_t height, const char* title,
                                                            bool fullscreen, bool flag, HCvarManager* cvarManager)
{
    HSDL2DDisplayDevice* device = new (std::nothrow) HSDL2DDisplayDevice(cvarManager);
    if (!device)
        return nullptr;
    if (!device->initScreen(width, height, title, fullscreen, flag)) {
        delete device;
        return nullptr;
    }
    return device;
}

// --- Life cycle ----------------------------------------------------------------

HSDL2DDisplayDevice::HSDL2DDisplayDevice(HCvarManager* cvarManager)
    : H2DDisplayDevice(cvarManager), m_pScreen(nullptr)
{
}

HSDL2DDisplayDevice::~HSDL2DDisplayDevice()
{
    if (m_pScreen)
        unlock();
    m_forgetScreen();
}

void HSDL2DDisplayDevice::s_setVideoModeFunction(SetVideoModeFunction function)
{
    sm_pSetVideoMode = function;
}

void HSDL2DDisplayDevice::s_setUpdateRectsFunction(UpdateRectsFunction function)
{
    sm_pUpdateRects = function;
}

void HSDL2DDisplayDevice::lock()
{
    if (!m_pScreen)
        return;
    if (SDL_MUSTLOCK(m_pScreen) && SDL_LockSurface(m_pScreen) != 0) {
        // No pixels to draw into until the next lock succeeds.
        m_backBuffer.setPixels(nullptr, 0);
        return;
    }
    m_backBuffer.setPixels(static_cast<uint8_t*>(m_pScreen->pixels), m_pScreen->pitch);
}

void HSDL2DDisplayDevice::unlock()
{
    if (m_pScreen && SDL_MUSTLOCK(m_pScreen))
        SDL_UnlockSurface(m_pScreen);
}

bool HSDL2DDisplayDevice::m_attachScreen(SDL_Surface* screen)
{
    // The back buffer walks the screen's rows as 16-bit pixels: any other
    // depth would put its writes past the rows' ends.
    if (!screen || !screen->format || screen->format->BytesPerPixel != 2 || screen->w <= 0 || screen->h <= 0) {
        m_forgetScreen();
        return false;
    }
    m_pScreen = screen;
    m_backBuffer.setSurface(nullptr, screen->w, screen->h, 16, 0);
    lock();
    return true;
}

void HSDL2DDisplayDevice::m_forgetScreen()
{
    m_pScreen = nullptr;
    m_backBuffer.setSurface(nullptr, 0, 0, 16, 0);
}

bool HSDL2DDisplayDevice::initScreen(int32_t width, int32_t height, const char* title, bool fullscreen,
                                     bool unused)
{
    // Video only: SDL's timer subsystem would start a thread that wakes
    // every millisecond for the life of the process. No parachute: a fatal
    // signal belongs to the engine's handler (stack dump, exit code signal +
    // 127), and SDL would take every signal still at its default.
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_NOPARACHUTE) != 0) {
        HErrorManager::s_alert("initScreen: SDL_Init() failed: %s", SDL_GetError());
        return false;
    }
    SDL_WM_SetCaption(title, title);

    const uint32_t flags = fullscreen ? (SDL_FULLSCREEN | SDL_HWPALETTE) : SDL_HWPALETTE;
    SetVideoModeFunction setVideoMode = sm_pSetVideoMode ? sm_pSetVideoMode : sdlSetVideoMode;
    SDL_Surface* screen = setVideoMode(width, height, 16, flags);
    if (!screen) {
        HErrorManager::s_alert("initScreen: SDL_SetVideoMode() failed: %s", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    if (!m_attachScreen(screen)) {
        HErrorManager::s_alert("initScreen: SDL_SetVideoMode() failed: %s", "the screen is not 16 bits per pixel");
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }

    SDL_EnableKeyRepeat(500, 30);
    SDL_EnableUNICODE(1);

    const SDL_PixelFormat* format = screen->format;
    const int32_t redBits = channelWidth(format->Rmask);
    const int32_t greenBits = channelWidth(format->Gmask);
    const int32_t blueBits = channelWidth(format->Bmask);
    HErrorManager::s_db_trace("...SDL screen format is RGB%d%d%d with shift %d,%d,%d\n", redBits, greenBits,
                              blueBits, format->Rshift, format->Gshift, format->Bshift);
    SDL_WarpMouse(static_cast<Uint16>(screen->w / 2), static_cast<Uint16>(screen->h / 2));
    sm_configurePixelFormat(redBits, greenBits, blueBits, format->Rshift, format->Gshift, format->Bshift);

    // The screen's own size: the back buffer covers exactly its memory.
    return H2DDisplayDevice::initScreen(screen->w, screen->h, title, fullscreen, unused);
}

void HSDL2DDisplayDevice::shutdownScreen()
{
    // SDL frees the screen surface when the video subsystem closes: nothing
    // may hold on to it past this point.
    unlock();
    m_forgetScreen();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

// --- Screen operations -----------------------------------------------------------

void HSDL2DDisplayDevice::clear(const HColor4f& colour)
{
    if (!m_pScreen)
        return;
    const Uint32 value =
        SDL_MapRGB(m_pScreen->format, colourByte(colour.r), colourByte(colour.g), colourByte(colour.b));
    unlock();
    SDL_FillRect(m_pScreen, nullptr, value);
    lock();
}

void HSDL2DDisplayDevice::m_putToScreen(const HScreenRect* rects, int32_t count)
{
    if (!m_pScreen || !rects || count <= 0)
        return;
    const HScreenRect screen(0, 0, m_pScreen->w, m_pScreen->h);
    HScreenRect clipped[kMaxUpdateRects];
    int32_t n = 0;
    for (int32_t i = 0; i < count; ++i) {
        HScreenRect r;
        if (!HScreenRect::s_intersectRects(rects[i], screen, &r, nullptr) || r.isEmpty())
            continue;
        if (n < kMaxUpdateRects) {
            clipped[n++] = r;
            continue;
        }
        // One update per frame: whatever does not fit widens the last entry,
        // so it still reaches the screen.
        HScreenRect& last = clipped[kMaxUpdateRects - 1];
        last = HScreenRect(r.left < last.left ? r.left : last.left, r.top < last.top ? r.top : last.top,
                           r.right > last.right ? r.right : last.right,
                           r.bottom > last.bottom ? r.bottom : last.bottom);
    }
    if (n == 0)
        return;

    // Clipped to the screen, every value fits SDL's 16-bit fields.
    SDL_Rect out[kMaxUpdateRects];
    for (int32_t i = 0; i < n; ++i) {
        out[i].x = static_cast<Sint16>(clipped[i].left);
        out[i].y = static_cast<Sint16>(clipped[i].top);
        out[i].w = static_cast<Uint16>(clipped[i].right - clipped[i].left);
        out[i].h = static_cast<Uint16>(clipped[i].bottom - clipped[i].top);
    }
    UpdateRectsFunction updateRects = sm_pUpdateRects ? sm_pUpdateRects : sdlUpdateRects;
    unlock();
    updateRects(m_pScreen, n, out);
    lock();
}

void HSDL2DDisplayDevice::showCursor(bool show)
{
    SDL_ShowCursor(show ? 1 : 0);
}

bool HSDL2DDisplayDevice::toggleFullscreen()
{
    if (!m_pScreen)
        return false;
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    if (!info || !info->wm_available)
        return true;

    int mouseX = 0;
    int mouseY = 0;
    SDL_GetMouseState(&mouseX, &mouseY);

    const uint32_t flags = (m_pScreen->flags & SDL_FULLSCREEN) ? SDL_HWPALETTE : (SDL_FULLSCREEN | SDL_HWPALETTE);
    const int width = m_pScreen->w;
    const int height = m_pScreen->h;
    SetVideoModeFunction setVideoMode = sm_pSetVideoMode ? sm_pSetVideoMode : sdlSetVideoMode;
    unlock();
    SDL_Surface* screen = setVideoMode(width, height, 16, flags);
    // A failed switch has already freed the old screen.
    if (!screen || !m_attachScreen(screen)) {
        HErrorManager::s_db_alert("HSDL2DDisplayDevice::toggleFullscreen: SDL_SetVideoMode() failed: %s",
                                  screen ? "the screen is not 16 bits per pixel" : SDL_GetError());
        m_forgetScreen();
        return false;
    }

    SDL_WarpMouse(static_cast<Uint16>(mouseX), static_cast<Uint16>(mouseY));
    // The input device turns this into a paint event: everything is redrawn.
    SDL_Event expose;
    std::memset(&expose, 0, sizeof(expose));
    expose.type = SDL_VIDEOEXPOSE;
    SDL_PushEvent(&expose);
    return true;
}

// --- Images ------------------------------------------------------------------------

H2DSurface* HSDL2DDisplayDevice::createSurfaceFromImage(const HImage* image)
{
    if (!image) {
        HErrorManager::s_db_alert("HSDL2DDisplayDevice::createSurfaceFromImage: null image");
        return nullptr;
    }
    const int32_t width = image->getWidth() > 0 ? image->getWidth() : 0;
    const int32_t height = image->getHeight() > 0 ? image->getHeight() : 0;
    const size_t pixelCount = static_cast<size_t>(width) * static_cast<size_t>(height);
    const int32_t stride = width * 2;

    H2DMemorySurface* surface = new (std::nothrow) H2DMemorySurface(nullptr, width, height, 16, stride);
    if (!surface)
        return nullptr;
    if (pixelCount == 0)
        return surface;
    // Not cleared here: every path below writes every pixel and every mask
    // byte it keeps.
    uint8_t* pixels = new (std::nothrow) uint8_t[pixelCount * 2];
    uint8_t* mask = new (std::nothrow) uint8_t[pixelCount];
    if (!pixels || !mask) {
        HErrorManager::s_db_alert("HSDL2DDisplayDevice::createSurfaceFromImage: out of memory for %dx%d", width,
                                  height);
        delete[] pixels;
        delete[] mask;
        delete surface;
        return nullptr;
    }
    surface->setPixels(pixels, stride);
    bool masked = false;

    const Packer packer;
    const uint16_t key = packer.map(255, 0, 255);
    uint16_t* out = reinterpret_cast<uint16_t*>(pixels);
    const HImage::Format format = image->getFormat();
    // The accessors trust their caller: read only an image whose bytes are there.
    const bool readable = image->getData() && image->getBytesPerPixel() > 0 &&
                          image->getDataSize() >= pixelCount * static_cast<size_t>(image->getBytesPerPixel());

    if (readable && format == HImage::FORMAT_32BIT) {
        // Every sprite of the start-up passes here: the dithered channels
        // come from tables, and the rows are walked in place (blue, green,
        // red, alpha per pixel, rows one after another).
        const DitherTables& tables = ditherTables(packer);
        const uint8_t* in = image->getData();
        for (int32_t y = 0; y < height; ++y) {
            const DitherTables::Row& row = tables.rows[y & 1];
            for (int32_t x = 0; x < width; ++x, in += 4, ++out, ++mask) {
                const uint8_t b = in[0];
                const uint8_t g = in[1];
                const uint8_t r = in[2];
                const uint8_t a = in[3];
                const int column = x & 1;
                *out = static_cast<uint16_t>(row.red[column][r] | row.green[column][g] | row.blue[column][b]);
                // The colour key is transparent whatever its alpha.
                const bool keyed = r == 255 && g == 0 && b == 255;
                *mask = keyed ? 0 : a;
                masked = masked || keyed || a != 255;
            }
        }
        out -= pixelCount;
        mask -= pixelCount;
    } else if (readable && format == HImage::FORMAT_16BIT) {
        std::memset(mask, 255, pixelCount);
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                const uint32_t v = image->getPixel16(x, y);
                const size_t i = static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
                const uint16_t pixel = packer.pack(Packer::rescale((v >> 1) & 31, 5, packer.bits[0]),
                                                   Packer::rescale((v >> 6) & 31, 5, packer.bits[1]),
                                                   Packer::rescale((v >> 11) & 31, 5, packer.bits[2]));
                out[i] = pixel;
                if (pixel == key) {
                    mask[i] = 0;
                    masked = true;
                }
            }
        }
    } else {
        // Any other image stays black and opaque.
        std::memset(pixels, 0, pixelCount * 2);
    }

    if (masked)
        surface->setAlphaMask(mask);
    else
        delete[] mask;
    return surface;
}
