// The framework's share of the game's start-up, the part between exec and
// the start screen that grows with the archive: the archive read whole into
// memory, the devices set up (SDL's dummy video, the silent sound device),
// and every sprite the game loads at start-up decoded once behind the
// loading screen, then everything released again.
#include "framework/HPuzzleGame.h"
#include "game/ScreenGeometry.h"
#include "tools/mkarchive/Manifest.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

class BenchGame : public HPuzzleGame {
public:
    float getMusicVolume() const override { return 0.5f; }
    float getSoundVolume() const override { return 0.5f; }
    const char* getGameName() const override { return "Startup Bench"; }
    bool m_handleEvent(const HEvent& event) override { return event.type == ET_QUIT; }
    void m_drawPuzzleBoard(const HScreenRect&, bool) override {}
};

bool startsWith(const char* s, const char* prefix)
{
    return std::strncmp(s, prefix, std::strlen(prefix)) == 0;
}

// The start-up art: every image but the loading screen's own and the tile
// sets and table tops, which the game loads later, one of each.
std::vector<const char*> startupArt()
{
    std::vector<const char*> names;
    for (const mkarchive::ManifestEntry& e : mkarchive::kManifest) {
        if (e.format != mkarchive::AssetFormat::Tga && e.format != mkarchive::AssetFormat::Jpeg)
            continue;
        if (startsWith(e.name, "art/loading") || startsWith(e.name, "art/progress") ||
            startsWith(e.name, "art/tileset_") || startsWith(e.name, "art/arena"))
            continue;
        names.push_back(e.name);
    }
    return names;
}

void BM_StartUpAssets(benchmark::State& state)
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    // The archive lies where the game finds it: beside the program's folder.
    char exe[4096] = {};
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof(exe) - 1);
    std::string dir = n > 0 ? std::string(exe, static_cast<size_t>(n)) : std::string();
    dir = dir.substr(0, dir.find_last_of('/'));
    const std::string archive = dir.substr(0, dir.find_last_of('/')) + "/Resources/qinvar.mvz";
    const std::vector<const char*> names = startupArt();
    const char* sounds[] = {"sound/qv_guiclick.wav", "sound/qv_click.wav", "sound/qv_unclick.wav",
                            "sound/qv_match.ogg",    "sound/qv_blocked.ogg", "sound/qv_youwin.ogg",
                            "sound/qv_hint.ogg",     nullptr};

    for (auto _ : state) {
        BenchGame game;
        game.getCvarManager()->initCvarManager();
        game.m_initCvars();
        game.getCvarManager()->setVariableString("c_soundDriver", "null");
        std::vector<MVSprite> sprites(names.size());
        std::vector<MVSpriteInfo> table;
        for (size_t i = 0; i < names.size(); ++i)
            table.push_back(MVSpriteInfo{&sprites[i], names[i]});

        bool ok = game.m_createReadFileSystem(archive.c_str(), true) &&
                  game.m_initSubsystems("bench", false, false, true, geo::kScreenW, geo::kScreenH, 2, 16, 22050) &&
                  game.m_loadAssets(table.data(), static_cast<int>(table.size()), "music/theme_qz.ogg", 0, sounds,
                                    "art/loading_qz.jpg", nullptr, "art/loading_partner_qz.jpg",
                                    "art/progress_qz.tga", geo::kProgressBar.x, geo::kProgressBar.y, 1.0f, nullptr,
                                    nullptr);
        if (!ok) {
            state.SkipWithError("start-up failed (is the archive built?)");
            break;
        }
        state.PauseTiming();
        for (MVSprite& s : sprites)
            s.unloadSprite();
        game.m_shutdownPuzzleGame();
        game.m_quitPuzzleGame();
        state.ResumeTiming();
    }
    state.counters["sprites"] = static_cast<double>(names.size());
}
BENCHMARK(BM_StartUpAssets)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace
