// The per-frame drawing paths of the 2D display device on a 640 x 480 memory
// screen: a masked tile copy, the plain-alpha fast path, the general
// nine-value blend, a full-screen copy, and a whole board frame.
#include "engine/media/H2DDisplayDevice.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

constexpr int32_t kScreenWidth = 640;
constexpr int32_t kScreenHeight = 480;

// A screen in memory; presenting costs nothing.
class MemoryDevice : public H2DDisplayDevice {
public:
    MemoryDevice() : H2DDisplayDevice(nullptr), m_pixels(static_cast<size_t>(kScreenWidth) * kScreenHeight, 0)
    {
        m_backBuffer.setSurface(reinterpret_cast<uint8_t*>(m_pixels.data()), kScreenWidth, kScreenHeight, 16,
                                kScreenWidth * 2);
        initScreen(kScreenWidth, kScreenHeight, "bench", false, false);
    }
    void shutdownScreen() override {}
    void clear(const HColor4f&) override {}
    H2DSurface* createSurfaceFromImage(const HImage*) override { return nullptr; }
    void showCursor(bool) override {}

protected:
    void m_putToScreen(const HScreenRect*, int32_t) override {}

private:
    std::vector<uint16_t> m_pixels;
};

// A surface with its own arrays; `mask(x, y)` gives each mask byte, or no
// mask at all when null.
class Surface {
public:
    Surface(int32_t width, int32_t height, uint8_t (*mask)(int32_t, int32_t, int32_t, int32_t))
        : m_pixels(static_cast<size_t>(width) * height), m_mask()
    {
        for (size_t i = 0; i < m_pixels.size(); ++i)
            m_pixels[i] = static_cast<uint16_t>(i * 2654435761u >> 12);
        m_surface.setSurface(reinterpret_cast<uint8_t*>(m_pixels.data()), width, height, 16, width * 2);
        if (mask) {
            m_mask.resize(static_cast<size_t>(width) * height);
            for (int32_t y = 0; y < height; ++y) {
                for (int32_t x = 0; x < width; ++x)
                    m_mask[static_cast<size_t>(y) * width + x] = mask(x, y, width, height);
            }
            m_surface.setAlphaMask(m_mask.data());
        }
    }
    const H2DMemorySurface* get() const { return &m_surface; }

private:
    std::vector<uint16_t> m_pixels;
    std::vector<uint8_t> m_mask;
    H2DMemorySurface m_surface;
};

// A tile: opaque body, transparent rounded corners, a soft one-pixel rim.
uint8_t tileMask(int32_t x, int32_t y, int32_t w, int32_t h)
{
    const int32_t dx = x < 3 ? 3 - x : x > w - 4 ? x - (w - 4) : 0;
    const int32_t dy = y < 3 ? 3 - y : y > h - 4 ? y - (h - 4) : 0;
    if (dx * dx + dy * dy > 9)
        return 0;
    if (x == 0 || y == 0 || x == w - 1 || y == h - 1)
        return 160;
    return 255;
}

// A shadow: alpha falling off away from the tile.
uint8_t topShadowMask(int32_t, int32_t y, int32_t, int32_t h)
{
    return static_cast<uint8_t>(40 + 150 * y / h);
}

uint8_t rightShadowMask(int32_t x, int32_t, int32_t w, int32_t)
{
    return static_cast<uint8_t>(190 - 150 * x / w);
}

const Surface& tile()
{
    static const Surface s(39, 55, tileMask);
    return s;
}

void configure565()
{
    H2DDisplayDevice::sm_configurePixelFormat(5, 6, 5, 11, 5, 0);
}

void BM_MaskedTileCopy(benchmark::State& state)
{
    configure565();
    MemoryDevice device;
    const HScreenRect dst(300, 200, 339, 255);
    const HScreenRect src(0, 0, 39, 55);
    for (auto _ : state) {
        device.clipAndBlitSurface(&dst, &src, tile().get());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 39 * 55);
}
BENCHMARK(BM_MaskedTileCopy);

void BM_PlainAlphaBlend(benchmark::State& state)
{
    configure565();
    MemoryDevice device;
    const HScreenRect dst(300, 200, 339, 255);
    const HScreenRect src(0, 0, 39, 55);
    for (auto _ : state) {
        device.clipAndBlendSurface(&dst, &src, tile().get(), BAS_SRC_ALPHA, BPS_ONE, CO_PRODUCT, 255,
                                   BAS_INV_SRC_ALPHA, BPS_ONE, CO_PRODUCT, 255, BO_ADD);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 39 * 55);
}
BENCHMARK(BM_PlainAlphaBlend);

// Faded alpha at half strength: every visible pixel takes the full arithmetic.
void BM_GeneralBlend(benchmark::State& state)
{
    configure565();
    MemoryDevice device;
    const HScreenRect dst(300, 200, 339, 255);
    const HScreenRect src(0, 0, 39, 55);
    for (auto _ : state) {
        device.clipAndBlendSurface(&dst, &src, tile().get(), BAS_SRC_ALPHA, BPS_CONST0, CO_PRODUCT, 128,
                                   BAS_SRC_ALPHA, BPS_CONST0, CO_INV_PRODUCT, 255, BO_ADD);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 39 * 55);
}
BENCHMARK(BM_GeneralBlend);

void BM_FullScreenCopy(benchmark::State& state)
{
    configure565();
    MemoryDevice device;
    static const Surface screen(kScreenWidth, kScreenHeight, nullptr);
    const HScreenRect dst(0, 0, kScreenWidth, kScreenHeight);
    for (auto _ : state) {
        device.clipAndBlitSurface(&dst, &dst, screen.get());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kScreenWidth * kScreenHeight);
}
BENCHMARK(BM_FullScreenCopy);

// One frame of a full board: the 520 x 480 table top, then 144 tiles in
// three layers (masked copies), each with a top and a right shadow strip
// (faded-alpha blends), then the present.
void BM_FullBoardFrame(benchmark::State& state)
{
    configure565();
    MemoryDevice device;
    static const Surface background(520, 480, nullptr);
    static const Surface topShadow(33, 5, topShadowMask);
    static const Surface rightShadow(5, 52, rightShadowMask);

    std::vector<HScreenPoint> tiles;
    const struct {
        int32_t columns, rows, x, y;
    } layers[] = {{12, 8, 150, 30}, {6, 6, 251, 128}, {4, 3, 312, 197}};
    for (int32_t z = 0; z < 3; ++z) {
        const auto& layer = layers[z];
        for (int32_t r = 0; r < layer.rows; ++r) {
            for (int32_t c = 0; c < layer.columns; ++c)
                tiles.push_back(HScreenPoint{layer.x + c * 34 - z * 4, layer.y + r * 50 - z * 4});
        }
    }

    const HScreenRect tableDst(120, 0, 640, 480);
    const HScreenRect tableSrc(0, 0, 520, 480);
    const HScreenRect tileSrc(0, 0, 39, 55);
    const HScreenRect topSrc(0, 0, 33, 5);
    const HScreenRect rightSrc(0, 0, 5, 52);
    for (auto _ : state) {
        device.clipAndBlitSurface(&tableDst, &tableSrc, background.get());
        for (const HScreenPoint& p : tiles) {
            const HScreenRect dst(p.x, p.y, p.x + 39, p.y + 55);
            device.clipAndBlitSurface(&dst, &tileSrc, tile().get());
            const HScreenRect top(p.x + 2, p.y - 5, p.x + 35, p.y);
            device.clipAndBlendSurface(&top, &topSrc, topShadow.get(), BAS_SRC_ALPHA, BPS_CONST0, CO_PRODUCT, 255,
                                       BAS_SRC_ALPHA, BPS_CONST0, CO_INV_PRODUCT, 255, BO_ADD);
            const HScreenRect right(p.x + 39, p.y - 4, p.x + 44, p.y + 48);
            device.clipAndBlendSurface(&right, &rightSrc, rightShadow.get(), BAS_SRC_ALPHA, BPS_CONST0, CO_PRODUCT,
                                       255, BAS_SRC_ALPHA, BPS_CONST0, CO_INV_PRODUCT, 255, BO_ADD);
        }
        device.updateScreen();
        benchmark::ClobberMemory();
    }
    state.counters["tiles"] = static_cast<double>(tiles.size());
}
BENCHMARK(BM_FullBoardFrame)->Unit(benchmark::kMicrosecond);

} // namespace
