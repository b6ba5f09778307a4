// Demo files for tests, written field by field in little-endian order.
#include "tests/support/DemoWriter.h"

#include "engine/core/POSH.h"
#include "tests/support/InputEvents.h"

#include <cstdio>

DemoWriter::DemoWriter() : m_events() {}

DemoWriter& DemoWriter::event(const HEvent& e)
{
    m_events.push_back(e);
    return *this;
}

DemoWriter& DemoWriter::press(uint64_t time, int32_t x, int32_t y, bool right)
{
    return event(InputEvents::s_buttonDown(time, HScreenPoint{x, y}, right ? KC_RBUTTON : KC_LBUTTON));
}

DemoWriter& DemoWriter::release(uint64_t time, int32_t x, int32_t y, bool right)
{
    return event(InputEvents::s_buttonUp(time, HScreenPoint{x, y}, right ? KC_RBUTTON : KC_LBUTTON));
}

DemoWriter& DemoWriter::click(uint64_t time, int32_t x, int32_t y, bool right, uint64_t holdMs)
{
    press(time, x, y, right);
    return release(time + holdMs, x, y, right);
}

DemoWriter& DemoWriter::keyDown(uint64_t time, uint32_t keyCode, char character, uint32_t modifiers)
{
    return event(InputEvents::s_keyDown(time, keyCode, character, modifiers));
}

DemoWriter& DemoWriter::keyUp(uint64_t time, uint32_t keyCode, uint32_t modifiers)
{
    return event(InputEvents::s_keyUp(time, keyCode, modifiers));
}

DemoWriter& DemoWriter::key(uint64_t time, uint32_t keyCode, char character, uint64_t holdMs)
{
    keyDown(time, keyCode, character);
    return keyUp(time + holdMs, keyCode);
}

DemoWriter& DemoWriter::typed(uint64_t time, char character)
{
    return event(InputEvents::s_typed(time, character));
}

DemoWriter& DemoWriter::mouseMove(uint64_t time, int32_t x, int32_t y)
{
    return event(InputEvents::s_mouseMove(time, HScreenPoint{x, y}));
}

DemoWriter& DemoWriter::activate(uint64_t time, bool gained)
{
    return event(InputEvents::s_activate(time, gained));
}

DemoWriter& DemoWriter::paint(uint64_t time)
{
    return event(InputEvents::s_paint(time));
}

DemoWriter& DemoWriter::minimize(uint64_t time, bool minimized)
{
    HEvent e = InputEvents::s_unmade(ET_WINDOW_MINIMIZED, time);
    e.state = minimized ? 1u : 0u;
    return event(e);
}

DemoWriter& DemoWriter::timestamp(uint64_t time)
{
    return event(InputEvents::s_timestamp(time));
}

DemoWriter& DemoWriter::quit(uint64_t time)
{
    return event(InputEvents::s_quit(time));
}

DemoWriter& DemoWriter::toggleFullscreen(uint64_t time)
{
    return event(InputEvents::s_toggleFullscreen(time));
}

std::string DemoWriter::s_encode(const HEvent& e)
{
    unsigned char record[kRecordBytes] = {};
    POSH_WriteU32ToLittle(record + 0, e.type);
    POSH_WriteU32ToLittle(record + 4, e.time.low);
    POSH_WriteU32ToLittle(record + 8, e.time.high);
    POSH_WriteU32ToLittle(record + 12, e.state);
    POSH_WriteU32ToLittle(record + 16, e.modifiers);
    POSH_WriteU32ToLittle(record + 20, e.reserved[0]);
    POSH_WriteU32ToLittle(record + 24, e.reserved[1]);
    POSH_WriteU32ToLittle(record + 28, e.keyCode);
    record[32] = static_cast<unsigned char>(e.character);
    POSH_WriteS32ToLittle(record + 36, e.point.x);
    POSH_WriteS32ToLittle(record + 40, e.point.y);
    return std::string(reinterpret_cast<const char*>(record), kRecordBytes);
}

std::vector<HEvent> DemoWriter::s_decode(const std::string& bytes)
{
    std::vector<HEvent> out;
    for (size_t at = 0; at + kRecordBytes <= bytes.size(); at += kRecordBytes) {
        const unsigned char* r = reinterpret_cast<const unsigned char*>(bytes.data() + at);
        HEvent e = HEvent::s_make(ET_NONE);
        e.type = POSH_ReadU32FromLittle(r + 0);
        e.time = MvTime{POSH_ReadU32FromLittle(r + 4), POSH_ReadU32FromLittle(r + 8)};
        e.state = POSH_ReadU32FromLittle(r + 12);
        e.modifiers = POSH_ReadU32FromLittle(r + 16);
        e.reserved[0] = POSH_ReadU32FromLittle(r + 20);
        e.reserved[1] = POSH_ReadU32FromLittle(r + 24);
        e.keyCode = POSH_ReadU32FromLittle(r + 28);
        e.character = static_cast<char>(r[32]);
        e.point = HScreenPoint{POSH_ReadS32FromLittle(r + 36), POSH_ReadS32FromLittle(r + 40)};
        out.push_back(e);
    }
    return out;
}

std::string DemoWriter::bytes() const
{
    std::string out;
    for (const HEvent& e : m_events)
        out += s_encode(e);
    return out;
}

bool DemoWriter::writeTo(const std::string& path) const
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const std::string data = bytes();
    const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}
