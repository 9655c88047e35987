#pragma once

#include "platform/music/MidiFile.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Standard MIDI files written byte by byte, for tests; and a readable listing
// of a parsed file's events.
namespace miditest {

inline std::string Vlq(uint32_t value)
{
    std::string out(1, static_cast<char>(value & 0x7F));
    while (value >>= 7)
        out.insert(out.begin(), static_cast<char>(0x80 | (value & 0x7F)));
    return out;
}

inline std::string Be(uint32_t value, int bytes)
{
    std::string out;
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return out;
}

inline std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

inline std::string Meta(int type, const std::string& payload)
{
    return Bytes({0xFF, type}) + Vlq(static_cast<uint32_t>(payload.size())) + payload;
}

inline std::string Tempo(uint32_t microsecondsPerQuarter)
{
    return Meta(0x51, Be(microsecondsPerQuarter, 3));
}

inline std::string Marker(const std::string& name)
{
    return Meta(0x06, name);
}

// An event as it stands in the file after its delta time (running status:
// leave the status byte out).
struct Event
{
    uint32_t tick;
    std::string bytes;
};

inline std::string Track(const std::vector<Event>& events, uint32_t endTick)
{
    std::string body;
    uint32_t last = 0;
    for (const Event& e : events) {
        body += Vlq(e.tick - last) + e.bytes;
        last = e.tick;
    }
    body += Vlq(endTick - last) + Meta(0x2F, "");
    return "MTrk" + Be(static_cast<uint32_t>(body.size()), 4) + body;
}

inline std::string File(int format, int division, const std::vector<std::string>& tracks)
{
    std::string out = "MThd" + Be(6, 4) + Be(format, 2) + Be(static_cast<uint32_t>(tracks.size()), 2) + Be(division, 2);
    for (const std::string& t : tracks)
        out += t;
    return out;
}

// A two-track piece at 96 ticks a quarter (384 a measure): markers "Intro" at
// 0, "Loop" at 384 and "End" at 1152 in 1536 ticks; the tempo doubles at 768.
// A note (62) crosses into "Loop", another (65) out of it; the last note-off
// in "Loop" is a running-status note-on of velocity 0.
inline std::string Song()
{
    const std::string conductor = Track({{0, Tempo(500000)},
                                         {0, Marker("Intro")},
                                         {384, Marker("Loop")},
                                         {768, Tempo(250000)},
                                         {1152, Marker("End")}},
                                        1536);
    const std::string piano = Track({{0, Bytes({0xB0, 7, 100})},
                                     {0, Bytes({0xC0, 5})},
                                     {0, Bytes({0x90, 60, 80})},
                                     {96, Bytes({0x80, 60, 0})},
                                     {300, Bytes({0x90, 62, 80})},
                                     {400, Bytes({0xC0, 7})},
                                     {500, Bytes({0x80, 62, 0})},
                                     {700, Bytes({0x90, 64, 80})},
                                     {800, Bytes({64, 0})},
                                     {1100, Bytes({0x90, 65, 80})},
                                     {1200, Bytes({0x80, 65, 0})}},
                                    1536);
    return File(1, 96, {conductor, piano});
}

// "tick status[type] data" in hex, one entry per event of every track.
inline std::vector<std::string> Listing(const MidiFile& file)
{
    std::vector<std::string> out;
    for (const MidiTrack& track : file.GetTracks())
        for (const MidiEvent& e : track.events) {
            char head[32];
            if (e.status == 0xFF)
                std::snprintf(head, sizeof head, "%u ff%02x ", e.tick, e.metaType);
            else
                std::snprintf(head, sizeof head, "%u %02x ", e.tick, e.status);
            std::string line = head;
            for (char c : e.data) {
                char hex[3];
                std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(c));
                line += hex;
            }
            out.push_back(line);
        }
    return out;
}

} // namespace miditest
