#pragma once

#include "engine/runtime/Resource.h"
#include "platform/music/MidiFile.h"
#include "platform/music/MusicPerformance.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

// One loaded piece of music, played by named part. A part is a range of
// measures named by the resource's metadata ("parts": name -> {first measure,
// number of measures}) or, failing that, a marker of the MIDI file, which
// runs to the next marker or to the end.
class MusicSegment : public Resource
{
public:
    MusicSegment(const std::string& name, std::shared_ptr<const MidiFile> file);
    // Stops the music when this piece is what plays.
    ~MusicSegment() override;

    std::size_t CalcMemoryUsage(bool) override { return 0; }

    const std::string& GetName() const { return m_Name; }
    const MidiFile& GetFile() const { return *m_File; }

    // Takes the parts from a metadata "parts" table; entries that are not
    // {number, number} are left out.
    void SetParts(const LuaObject& parts);
    // The tick range of a part; false when the piece has no such part or the
    // metadata gives it no measures.
    bool GetPart(const std::string& part, uint32_t& startTick, uint32_t& endTick) const;

    MusicStatus Play(uint32_t startTick, uint32_t endTick, bool loop);
    // Stops the music when this piece is what plays.
    void Stop();
    // This piece plays and is not over.
    bool IsPlaying() const;

    // The music resource of that name; null while music is inactive.
    static MusicSegment* GetSegment(const std::string& name);

private:
    std::string m_Name;
    std::shared_ptr<const MidiFile> m_File;
    // name -> first measure (from 1), number of measures
    std::map<std::string, std::pair<int64_t, int64_t>> m_Parts;
};

// Loads MIDI files as music segments while music is active.
class DirectMusicLoader : public ResourceLoader
{
public:
    bool CanLoad(const ResourceInfo& info) const override;
    void LoadResource(FileReader* reader, ResourceInfo& info) override;
    std::string GetDescription() const override { return "DIRECTMUSIC sound file loader"; }
};
