// The game played on a virtual X server through XTEST.
#include "tests/support/LiveGame.h"

#include "engine/core/HKeyCodes.h"
#include "tests/support/DemoWriter.h"
#include "tests/support/TestPaths.h"

LiveGame::LiveGame(XvfbServer* server)
    : m_suppressions(), m_ownServer(), m_pServer(server ? server : &m_ownServer), m_pointer(), m_sandbox(),
      m_program(), m_window(0), m_mappedAt(0), m_error(), m_bUnavailable(false)
{
}

bool LiveGame::start(const std::string& program, const std::vector<std::string>& args, double timeoutSeconds)
{
    if (!XvfbServer::s_isInstalled()) {
        m_bUnavailable = true;
        m_error = "Xvfb is not installed";
        return false;
    }
    if (m_pServer->display().empty() && !m_pServer->start("640x480x24", static_cast<int>(timeoutSeconds))) {
        m_error = "Xvfb did not start";
        return false;
    }
    if (!m_pointer.open(m_pServer->display())) {
        m_bUnavailable = true;
        m_error = "the X server has no XTEST extension";
        return false;
    }
    std::vector<std::string> all = {"-journal"};
    all.insert(all.end(), args.begin(), args.end());
    // Xlib's input-method code keeps a few bytes to the end of the process
    // that the leak checker of a sanitizer build would report as the game's.
    const std::string suppressions = m_suppressions.write("lsan.supp", std::string("leak:libX11.so\n"));
    if (!m_sandbox.start(&m_program, buildProgram(program), all,
                         {{"SDL_VIDEODRIVER", "x11"},
                          {"DISPLAY", m_pServer->display()},
                          {"LSAN_OPTIONS", "suppressions=" + suppressions}})) {
        m_error = "the program did not start";
        return false;
    }
    waitFor(timeoutSeconds, [this] {
        m_window = XvfbServer::s_findWindow(m_pServer->display(), "Qinvar", kWidth, kHeight);
        return m_window != 0 || !m_program.running();
    });
    m_mappedAt = monotonicSeconds();
    if (m_window == 0) {
        const ChildResult r = m_program.wait(1);
        m_error = "no game window; output: " + r.out + r.err;
        return false;
    }
    if (!waitFor(timeoutSeconds, [this] { return !journal().empty(); })) {
        m_error = "the game journaled nothing";
        return false;
    }
    return true;
}

uint64_t LiveGame::firstEventTime() const
{
    const std::vector<HEvent> records = journal();
    return records.empty() ? 0 : records[0].time.getTime64();
}

std::vector<HEvent> LiveGame::journal() const
{
    return DemoWriter::s_decode(m_sandbox.workFile("journal.bin"));
}

bool LiveGame::pressed(HScreenPoint p) const
{
    for (const HEvent& e : journal()) {
        if (e.type == ET_KEYDOWN && e.keyCode == KC_LBUTTON && e.point.x == p.x && e.point.y == p.y)
            return true;
    }
    return false;
}

bool LiveGame::click(HScreenPoint p, double timeoutSeconds)
{
    return m_pointer.click(m_window, p.x, p.y) && waitFor(timeoutSeconds, [&] { return pressed(p); });
}

bool LiveGame::moveTo(HScreenPoint p)
{
    return m_pointer.moveTo(m_window, p.x, p.y);
}

LiveGame::Pixels LiveGame::picture() const
{
    return XvfbServer::s_readWindow(m_pServer->display(), m_window, kWidth, kHeight);
}

LiveGame::Pixels LiveGame::settled(double timeoutSeconds) const
{
    Pixels now = picture();
    waitFor(timeoutSeconds, [&] {
        sleepMilliseconds(100);
        Pixels next = picture();
        const bool same = next == now;
        now = next;
        return same;
    });
    return now;
}
