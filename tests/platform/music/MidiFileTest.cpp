#include "platform/music/MidiFile.h"

#include "MidiBytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace miditest;

namespace {

MidiFile Parsed(const std::string& bytes)
{
    MidiFile file;
    std::string error;
    EXPECT_TRUE(file.Parse(bytes.data(), bytes.size(), error)) << error;
    return file;
}

struct Range
{
    uint32_t start;
    uint32_t end;
    bool operator==(const Range&) const = default;
};

Range MarkerRange(const MidiFile& file, const std::string& name)
{
    Range r{0, 0};
    EXPECT_TRUE(file.FindMarkerRange(name, r.start, r.end)) << name;
    return r;
}

} // namespace

TEST(MidiFileTest, MarkersNameRangesUpToTheNextMarkerOrTheEnd)
{
    const MidiFile song = Parsed(Song());
    EXPECT_EQ(song.GetDivision(), 96);
    EXPECT_EQ(song.GetTicksPerMeasure(), 384u);
    EXPECT_EQ(song.GetEndTick(), 1536u);
    EXPECT_EQ(MarkerRange(song, "Intro"), (Range{0, 384}));
    EXPECT_EQ(MarkerRange(song, "Loop"), (Range{384, 1152}));
    EXPECT_EQ(MarkerRange(song, "End"), (Range{1152, 1536}));
    uint32_t start = 0;
    uint32_t end = 0;
    EXPECT_FALSE(song.FindMarkerRange("Outro", start, end));

    // Half a second a quarter, then a quarter of a second from tick 768.
    EXPECT_EQ(song.TickToMicroseconds(768), 4'000'000u);
    EXPECT_EQ(song.TickToMicroseconds(1152), 5'000'000u);
}

TEST(MidiFileTest, AnExcerptReplaysTheStateAtItsStartAndClipsItsNotes)
{
    const MidiFile song = Parsed(Song());
    // "Loop" twice at double speed. Each pass starts with the tempo, volume
    // and program in force at tick 384; the note begun before it (62) loses
    // its note-off, the note running past the end (65) is released there.
    const MidiFile loop = Parsed(song.Excerpt(384, 1152, 2.0, 2).Serialize());
    EXPECT_EQ(loop.GetFormat(), 0);
    EXPECT_EQ(loop.GetDivision(), 96);
    EXPECT_EQ(loop.GetEndTick(), 1536u);
    const std::vector<std::string> pass = {
        "0 ff51 03d090", "0 b0 0764", "0 c0 05",  "16 c0 07",   "316 90 4050",
        "384 ff51 01e848", "416 90 4000", "716 90 4150", "768 80 4100",
    };
    std::vector<std::string> expected = pass;
    for (const std::string& line : pass) {
        const std::size_t blank = line.find(' ');
        expected.push_back(std::to_string(std::stoul(line.substr(0, blank)) + 768) + line.substr(blank));
    }
    EXPECT_EQ(Listing(loop), expected);
    // 384 ticks at 250 ms a quarter, then 384 at 125 ms.
    EXPECT_EQ(loop.TickToMicroseconds(768), 1'500'000u);
    EXPECT_EQ(loop.GetMarkers().size(), 0u);
}

TEST(MidiFileTest, WritingAndReadingBackKeepsEveryEvent)
{
    const std::string sysex = Bytes({0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
    const std::string bytes =
        File(1, 480,
             {Track({{0, sysex}, {10, Marker("A")}, {20, Bytes({0xE0, 0x00, 0x40})}, {30, Bytes({0x00, 0x41})}}, 40)});
    const MidiFile first = Parsed(bytes);
    const MidiFile second = Parsed(first.Serialize());
    EXPECT_EQ(Listing(second), Listing(first));
    EXPECT_EQ(Listing(first),
              (std::vector<std::string>{"0 f0 7e7f0901f7", "10 ff06 41", "20 e0 0040", "30 e0 0041"}));
    EXPECT_EQ(second.GetEndTick(), 40u);
}

TEST(MidiFileTest, DamagedOrUnsupportedFilesAreRefusedWithTheReason)
{
    const std::string header = "MThd" + Be(6, 4) + Be(1, 2) + Be(1, 2) + Be(96, 2);
    auto track = [](const std::string& body) { return "MTrk" + Be(static_cast<uint32_t>(body.size()), 4) + body; };
    const struct
    {
        std::string bytes;
        std::string error;
    } cases[] = {
        {"", "not a standard MIDI file"},
        {"RIFF" + std::string(20, '\0'), "not a standard MIDI file"},
        {"MThd" + Be(4, 4) + Be(1, 2) + Be(1, 2) + Be(96, 2), "the header is cut short"},
        {"MThd" + Be(6, 4) + Be(2, 2) + Be(1, 2) + Be(96, 2), "format 2 files are not supported"},
        {"MThd" + Be(6, 4) + Be(1, 2) + Be(1, 2) + Be(0xE728, 2), "time-code timing is not supported"},
        {"MThd" + Be(6, 4) + Be(1, 2) + Be(1, 2) + Be(0, 2), "the division is 0"},
        {header, "the file holds no track"},
        {header + "MTrk" + Be(100, 4) + Bytes({0, 0x90, 60, 80}), "a chunk runs past the end of the file"},
        {header + track(Bytes({0, 0x90, 60})), "track 1: an event is cut short"},
        {header + track(Bytes({0, 60, 80})), "track 1: a data byte stands where a status byte is needed"},
        {header + track(Bytes({0x81, 0x80, 0x80, 0x80, 0x00, 0x90, 60, 80})),
         "track 1: a delta time is cut short or too long"},
        {header + track(Bytes({0, 0x90, 60, 0x80})), "track 1: a data byte is out of range"},
        {header + track(Bytes({0, 0xF4})), "track 1: a status byte that a file may not hold"},
        {header + track(Bytes({0, 0xFF, 0x06, 10, 'A'})), "track 1: an event is cut short"},
        {header + track(Bytes({0xFF, 0xFF, 0xFF, 0x7F, 0x90, 60, 80, 0x81, 0, 0x80, 60, 0})),
         "track 1: a track runs too long"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        MidiFile file;
        std::string error;
        EXPECT_FALSE(file.Parse(c.bytes.data(), c.bytes.size(), error));
        EXPECT_EQ(error, c.error);
        EXPECT_TRUE(file.GetTracks().empty());
    }
}

TEST(MidiFileTest, TheGamesPieceHasItsSectionsAsMarkersOnWholeMeasures)
{
    std::ifstream in(std::filesystem::path(VELK_GAME_DATA_DIR) / "music" / "Wopple.mid", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const MidiFile piece = Parsed(bytes.str());
    const uint32_t measure = piece.GetTicksPerMeasure();
    EXPECT_EQ(MarkerRange(piece, "Intro"), (Range{0, 2 * measure}));
    EXPECT_EQ(MarkerRange(piece, "Loop"), (Range{2 * measure, 10 * measure}));
    EXPECT_EQ(MarkerRange(piece, "End"), (Range{10 * measure, 12 * measure}));
    // The level music's parts follow, named with blanks.
    EXPECT_EQ(MarkerRange(piece, "Wopple Theme Intro"), (Range{12 * measure, 14 * measure}));
    EXPECT_EQ(MarkerRange(piece, "Wopple Theme Part 4"), (Range{26 * measure, 30 * measure}));
    EXPECT_EQ(MarkerRange(piece, "Wopple Theme Ending"), (Range{36 * measure, 38 * measure}));
    EXPECT_EQ(piece.GetEndTick(), 38 * measure);
}
