// Writes demo files for tests, record by record: each record is the engine's
// 44-byte event record in little-endian order (the event manager's demo and
// journal format) with a time the test chooses. The event manager delivers a
// demo's records with their recorded times, so every time the game sees
// comes from here.
#pragma once

#include "engine/core/HEvent.h"

#include <cstdint>
#include <string>
#include <vector>

class DemoWriter {
public:
    static constexpr int kRecordBytes = 44;

    DemoWriter();

    // Any record, exactly as given (its time included).
    DemoWriter& event(const HEvent& e);
    // The record builders below make each record as the input device makes
    // it (InputEvents).
    // A mouse button pressed / released at a point: key code 1 (left) or 2
    // (right).
    DemoWriter& press(uint64_t time, int32_t x, int32_t y, bool right = false);
    DemoWriter& release(uint64_t time, int32_t x, int32_t y, bool right = false);
    // Press at `time`, release at `time + holdMs`.
    DemoWriter& click(uint64_t time, int32_t x, int32_t y, bool right = false, uint64_t holdMs = 0);
    // A key pressed with its typed character (0 for none); released, with
    // no character.
    DemoWriter& keyDown(uint64_t time, uint32_t keyCode, char character = 0, uint32_t modifiers = 0);
    DemoWriter& keyUp(uint64_t time, uint32_t keyCode, uint32_t modifiers = 0);
    // Down at `time`, up at `time + holdMs`.
    DemoWriter& key(uint64_t time, uint32_t keyCode, char character = 0, uint64_t holdMs = 0);
    // The press of the key that types `character` (InputEvents::s_typed).
    DemoWriter& typed(uint64_t time, char character);
    DemoWriter& mouseMove(uint64_t time, int32_t x, int32_t y);
    DemoWriter& activate(uint64_t time, bool gained);
    DemoWriter& paint(uint64_t time);
    // No producer makes this one (the device never reports a minimised
    // window): for the framework's handling of a demo record that holds it.
    DemoWriter& minimize(uint64_t time, bool minimized);
    DemoWriter& timestamp(uint64_t time);
    DemoWriter& quit(uint64_t time);
    DemoWriter& toggleFullscreen(uint64_t time);

    int count() const { return static_cast<int>(m_events.size()); }
    const std::vector<HEvent>& events() const { return m_events; }
    // The file's bytes: count() x 44.
    std::string bytes() const;
    // False when the file cannot be written whole.
    bool writeTo(const std::string& path) const;

    // One record in the file's byte order.
    static std::string s_encode(const HEvent& e);
    // The records of a demo or journal file; a short last record is left out.
    static std::vector<HEvent> s_decode(const std::string& bytes);

private:
    std::vector<HEvent> m_events;
};
