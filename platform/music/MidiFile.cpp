#include "platform/music/MidiFile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace {

constexpr uint8_t kMetaMarker = 0x06;
constexpr uint8_t kMetaEndOfTrack = 0x2F;
constexpr uint8_t kMetaTempo = 0x51;
constexpr uint32_t kMaxTempo = 0xFFFFFF;

uint32_t Read16(const unsigned char* p)
{
    return (uint32_t{p[0]} << 8) | p[1];
}

uint32_t Read32(const unsigned char* p)
{
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

void Put16(std::string& out, uint32_t v)
{
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
    out.push_back(static_cast<char>(v & 0xFF));
}

void Put32(std::string& out, uint32_t v)
{
    Put16(out, v >> 16);
    Put16(out, v & 0xFFFF);
}

void PutVlq(std::string& out, uint32_t v)
{
    char bytes[5];
    int n = 0;
    bytes[n++] = static_cast<char>(v & 0x7F);
    while (v >>= 7)
        bytes[n++] = static_cast<char>(0x80 | (v & 0x7F));
    while (n > 0)
        out.push_back(bytes[--n]);
}

// Reads within one chunk; every read checks the bounds.
class ChunkReader
{
public:
    ChunkReader(const unsigned char* begin, const unsigned char* end) : m_At(begin), m_End(end) {}

    bool AtEnd() const { return m_At >= m_End; }
    std::size_t Left() const { return static_cast<std::size_t>(m_End - m_At); }
    unsigned char Peek() const { return *m_At; }

    bool Byte(uint8_t& value)
    {
        if (AtEnd())
            return false;
        value = *m_At++;
        return true;
    }

    // At most four bytes, as the format allows.
    bool Vlq(uint32_t& value)
    {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            uint8_t b;
            if (!Byte(b))
                return false;
            value = (value << 7) | (b & 0x7F);
            if (!(b & 0x80))
                return true;
        }
        return false;
    }

    bool Bytes(std::size_t count, std::string& out)
    {
        if (count > Left())
            return false;
        out.assign(reinterpret_cast<const char*>(m_At), count);
        m_At += count;
        return true;
    }

private:
    const unsigned char* m_At;
    const unsigned char* m_End;
};

bool ParseTrack(const unsigned char* begin, std::size_t length, MidiTrack& track, std::string& error)
{
    ChunkReader in(begin, begin + length);
    uint64_t tick = 0;
    uint8_t running = 0;
    while (!in.AtEnd()) {
        uint32_t delta;
        if (!in.Vlq(delta)) {
            error = "a delta time is cut short or too long";
            return false;
        }
        tick += delta;
        if (tick > kMaxMidiTick) {
            error = "a track runs too long";
            return false;
        }
        if (in.AtEnd()) {
            error = "an event is cut short";
            return false;
        }
        MidiEvent event;
        event.tick = static_cast<uint32_t>(tick);
        if (in.Peek() & 0x80) {
            in.Byte(event.status);
        } else if (running) {
            event.status = running;
        } else {
            error = "a data byte stands where a status byte is needed";
            return false;
        }

        if (event.IsChannelMessage()) {
            running = event.status;
            const std::size_t count = (event.Kind() == 0xC0 || event.Kind() == 0xD0) ? 1 : 2;
            if (!in.Bytes(count, event.data)) {
                error = "an event is cut short";
                return false;
            }
            for (char c : event.data)
                if (static_cast<unsigned char>(c) & 0x80) {
                    error = "a data byte is out of range";
                    return false;
                }
        } else if (event.status == 0xF0 || event.status == 0xF7 || event.status == 0xFF) {
            running = 0;
            if (event.status == 0xFF && !in.Byte(event.metaType)) {
                error = "an event is cut short";
                return false;
            }
            uint32_t size;
            if (!in.Vlq(size) || !in.Bytes(size, event.data)) {
                error = "an event is cut short";
                return false;
            }
            if (event.status == 0xFF && event.metaType == kMetaEndOfTrack) {
                track.endTick = event.tick;
                return true;
            }
        } else {
            error = "a status byte that a file may not hold";
            return false;
        }
        track.events.push_back(std::move(event));
    }
    track.endTick = static_cast<uint32_t>(tick);
    return true;
}

uint32_t TempoValue(const MidiEvent& event)
{
    const auto* p = reinterpret_cast<const unsigned char*>(event.data.data());
    return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
}

bool IsTempo(const MidiEvent& event)
{
    return event.status == 0xFF && event.metaType == kMetaTempo && event.data.size() == 3;
}

MidiEvent MakeTempo(uint32_t tick, uint32_t microsecondsPerQuarter)
{
    MidiEvent event;
    event.tick = tick;
    event.status = 0xFF;
    event.metaType = kMetaTempo;
    event.data = {static_cast<char>((microsecondsPerQuarter >> 16) & 0xFF),
                  static_cast<char>((microsecondsPerQuarter >> 8) & 0xFF),
                  static_cast<char>(microsecondsPerQuarter & 0xFF)};
    return event;
}

} // namespace

bool MidiEvent::IsNoteOn() const
{
    return Kind() == 0x90 && data.size() == 2 && data[1] != 0;
}

bool MidiEvent::IsNoteOff() const
{
    return data.size() == 2 && (Kind() == 0x80 || (Kind() == 0x90 && data[1] == 0));
}

bool MidiFile::Parse(const char* bytes, std::size_t size, std::string& error)
{
    *this = MidiFile();
    auto fail = [&](const std::string& why) {
        *this = MidiFile();
        error = why;
        return false;
    };
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    if (!p || size < 14 || std::memcmp(p, "MThd", 4) != 0)
        return fail("not a standard MIDI file");
    const uint32_t headerLength = Read32(p + 4);
    if (headerLength < 6 || headerLength > size - 8)
        return fail("the header is cut short");
    const uint32_t format = Read16(p + 8);
    const uint32_t division = Read16(p + 12);
    if (format > 1)
        return fail("format " + std::to_string(format) + " files are not supported");
    if (division & 0x8000)
        return fail("time-code timing is not supported");
    if (division == 0)
        return fail("the division is 0");
    m_Format = static_cast<int>(format);
    m_Division = static_cast<int>(division);

    std::size_t at = 8 + std::size_t{headerLength};
    while (size - at >= 8) {
        const unsigned char* chunk = p + at;
        const uint32_t length = Read32(chunk + 4);
        at += 8;
        if (length > size - at)
            return fail("a chunk runs past the end of the file");
        if (std::memcmp(chunk, "MTrk", 4) == 0) {
            MidiTrack track;
            std::string why;
            if (!ParseTrack(p + at, length, track, why))
                return fail("track " + std::to_string(m_Tracks.size() + 1) + ": " + why);
            m_Tracks.push_back(std::move(track));
        }
        at += length;
    }
    if (m_Tracks.empty())
        return fail("the file holds no track");
    return true;
}

std::string MidiFile::Serialize() const
{
    std::string out = "MThd";
    Put32(out, 6);
    Put16(out, static_cast<uint32_t>(m_Format));
    Put16(out, static_cast<uint32_t>(m_Tracks.size()));
    Put16(out, static_cast<uint32_t>(m_Division));
    for (const MidiTrack& track : m_Tracks) {
        std::string body;
        uint32_t last = 0;
        for (const MidiEvent& event : track.events) {
            PutVlq(body, event.tick - last);
            last = event.tick;
            body.push_back(static_cast<char>(event.status));
            if (event.status == 0xFF)
                body.push_back(static_cast<char>(event.metaType));
            if (!event.IsChannelMessage())
                PutVlq(body, static_cast<uint32_t>(event.data.size()));
            body += event.data;
        }
        PutVlq(body, std::max(track.endTick, last) - last);
        body += "\xFF\x2F";
        body.push_back('\0');
        out += "MTrk";
        Put32(out, static_cast<uint32_t>(body.size()));
        out += body;
    }
    return out;
}

uint32_t MidiFile::GetEndTick() const
{
    uint32_t end = 0;
    for (const MidiTrack& track : m_Tracks)
        end = std::max(end, track.endTick);
    return end;
}

std::vector<MidiFile::Marker> MidiFile::GetMarkers() const
{
    std::vector<Marker> markers;
    for (const MidiTrack& track : m_Tracks)
        for (const MidiEvent& event : track.events)
            if (event.status == 0xFF && event.metaType == kMetaMarker)
                markers.push_back({event.data, event.tick});
    std::stable_sort(markers.begin(), markers.end(),
                     [](const Marker& a, const Marker& b) { return a.tick < b.tick; });
    return markers;
}

bool MidiFile::FindMarkerRange(const std::string& name, uint32_t& startTick, uint32_t& endTick) const
{
    const std::vector<Marker> markers = GetMarkers();
    auto found = std::find_if(markers.begin(), markers.end(), [&](const Marker& m) { return m.name == name; });
    if (found == markers.end())
        return false;
    startTick = found->tick;
    endTick = GetEndTick();
    for (auto next = found + 1; next != markers.end(); ++next)
        if (next->tick > startTick) {
            endTick = next->tick;
            break;
        }
    return true;
}

uint64_t MidiFile::TickToMicroseconds(uint32_t tick) const
{
    if (m_Division <= 0)
        return 0;
    std::vector<std::pair<uint32_t, uint32_t>> tempos;
    for (const MidiTrack& track : m_Tracks)
        for (const MidiEvent& event : track.events)
            if (IsTempo(event))
                tempos.emplace_back(event.tick, TempoValue(event));
    std::stable_sort(tempos.begin(), tempos.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

    // Whole tick-microsecond products first, one division at the end.
    uint64_t product = 0;
    uint32_t from = 0;
    uint32_t tempo = kDefaultMidiTempo;
    for (const auto& [at, value] : tempos) {
        if (at >= tick)
            break;
        product += uint64_t{at - from} * tempo;
        from = at;
        tempo = value;
    }
    product += uint64_t{tick - from} * tempo;
    return product / static_cast<uint64_t>(m_Division);
}

MidiFile MidiFile::Excerpt(uint32_t startTick, uint32_t endTick, double tempoFactor, int repeats) const
{
    MidiFile out;
    out.m_Format = 0;
    out.m_Division = m_Division;
    out.m_Tracks.emplace_back();
    MidiTrack& track = out.m_Tracks.back();
    if (endTick <= startTick || repeats < 1 || !(tempoFactor > 0.0))
        return out;
    const uint32_t length = endTick - startTick;
    repeats = static_cast<int>(std::min<uint64_t>(static_cast<uint64_t>(repeats), kMaxMidiTick / length));

    auto scaled = [&](uint32_t tempo) {
        const double value = std::round(tempo / tempoFactor);
        return static_cast<uint32_t>(std::clamp(value, 1.0, static_cast<double>(kMaxTempo)));
    };

    std::vector<const MidiEvent*> merged;
    for (const MidiTrack& source : m_Tracks)
        for (const MidiEvent& event : source.events)
            merged.push_back(&event);
    std::stable_sort(merged.begin(), merged.end(),
                     [](const MidiEvent* a, const MidiEvent* b) { return a->tick < b->tick; });

    // What is in force at the start, and what happens within the range.
    uint32_t startTempo = kDefaultMidiTempo;
    std::vector<const MidiEvent*> state;
    std::vector<const MidiEvent*> range;
    for (const MidiEvent* event : merged) {
        if (event->tick >= endTick)
            break;
        const bool inRange = event->tick >= startTick;
        if (IsTempo(*event)) {
            if (inRange)
                range.push_back(event);
            else
                startTempo = TempoValue(*event);
            continue;
        }
        const bool sysex = event->status == 0xF0 || event->status == 0xF7;
        if (inRange) {
            if (event->IsChannelMessage() || sysex)
                range.push_back(event);
        } else if (sysex || event->Kind() == 0xB0 || event->Kind() == 0xC0 || event->Kind() == 0xD0 ||
                   event->Kind() == 0xE0) {
            state.push_back(event);
        }
    }

    for (int pass = 0; pass < repeats; ++pass) {
        const uint32_t base = static_cast<uint32_t>(pass) * length;
        track.events.push_back(MakeTempo(base, scaled(startTempo)));
        for (const MidiEvent* event : state) {
            track.events.push_back(*event);
            track.events.back().tick = base;
        }
        std::array<std::array<int, 128>, 16> sounding{};
        for (const MidiEvent* event : range) {
            MidiEvent copy = *event;
            copy.tick = base + (event->tick - startTick);
            if (event->IsNoteOn()) {
                ++sounding[event->Channel()][event->data[0] & 0x7F];
            } else if (event->IsNoteOff()) {
                // A note begun before the range was never struck here.
                int& count = sounding[event->Channel()][event->data[0] & 0x7F];
                if (count == 0)
                    continue;
                --count;
            } else if (IsTempo(*event)) {
                copy = MakeTempo(copy.tick, scaled(TempoValue(*event)));
            }
            track.events.push_back(std::move(copy));
        }
        for (uint8_t channel = 0; channel < 16; ++channel)
            for (uint8_t key = 0; key < 128; ++key)
                for (int n = 0; n < sounding[channel][key]; ++n) {
                    MidiEvent off;
                    off.tick = base + length;
                    off.status = static_cast<uint8_t>(0x80 | channel);
                    off.data = {static_cast<char>(key), '\0'};
                    track.events.push_back(std::move(off));
                }
    }
    track.endTick = static_cast<uint32_t>(repeats) * length;
    return out;
}
