#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One event of a standard MIDI file, at an absolute tick.
struct MidiEvent
{
    uint32_t tick = 0;
    // 0x80-0xEF a channel message, 0xF0 or 0xF7 system exclusive, 0xFF meta.
    uint8_t status = 0;
    // The meta event's type; unused otherwise.
    uint8_t metaType = 0;
    // The bytes after the status (and after type and length for meta and
    // system exclusive events).
    std::string data;

    bool IsChannelMessage() const { return status >= 0x80 && status < 0xF0; }
    uint8_t Kind() const { return status & 0xF0; }
    uint8_t Channel() const { return status & 0x0F; }
    bool IsNoteOn() const;
    bool IsNoteOff() const;
};

struct MidiTrack
{
    std::vector<MidiEvent> events;  // in file order
    uint32_t endTick = 0;           // where the track's end-of-track event stands
};

// A standard MIDI file held as events: read from bytes, written back to bytes,
// and cut into segments (a range of ticks played once or repeated) at any
// tempo. Only tick-based files are taken; time-code timing is refused.
class MidiFile
{
public:
    struct Marker
    {
        std::string name;
        uint32_t tick;
    };

    // Reads the bytes; on failure returns false with the reason in error and
    // leaves the file empty.
    bool Parse(const char* bytes, std::size_t size, std::string& error);
    std::string Serialize() const;

    int GetFormat() const { return m_Format; }
    int GetDivision() const { return m_Division; }
    const std::vector<MidiTrack>& GetTracks() const { return m_Tracks; }
    // Where the last track ends.
    uint32_t GetEndTick() const;
    // A measure is four quarter notes whatever the time signature says.
    uint32_t GetTicksPerMeasure() const { return 4u * static_cast<uint32_t>(m_Division); }

    // The marker meta events of every track, by tick (file order within a tick).
    std::vector<Marker> GetMarkers() const;
    // The range a named marker opens: up to the next marker further on, or to
    // the end of the file. False when no marker has the name.
    bool FindMarkerRange(const std::string& name, uint32_t& startTick, uint32_t& endTick) const;

    // Time from the start of the file to the tick, through its tempo changes.
    uint64_t TickToMicroseconds(uint32_t tick) const;

    // A one-track file that plays [startTick, endTick) the given number of
    // times, back to back, with every tempo multiplied by tempoFactor. Each
    // pass begins with the controllers, programs and tempo in force at
    // startTick; notes that started before it are left out and notes still
    // sounding at endTick are released there. endTick must exceed startTick.
    MidiFile Excerpt(uint32_t startTick, uint32_t endTick, double tempoFactor, int repeats) const;

private:
    int m_Format = 0;
    int m_Division = 0;
    std::vector<MidiTrack> m_Tracks;
};

// Microseconds per quarter note when a file sets no tempo.
inline constexpr uint32_t kDefaultMidiTempo = 500000;
// Tick values beyond this are taken for damage.
inline constexpr uint32_t kMaxMidiTick = 0x0FFFFFFF;
