#include "engine/runtime/MusicSegment.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/runtime/DirectMusic.h"

#include <cmath>

namespace {

MusicPerformance* Performance()
{
    DirectMusic* music = DirectMusic::GetInstance();
    MusicManager* manager = music ? music->GetMusicManager() : nullptr;
    return manager ? &manager->GetPerformance() : nullptr;
}

bool EndsWith(const std::string& text, const char* suffix)
{
    const std::string tail(suffix);
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string BareFileName(const std::string& location)
{
    const std::size_t slash = location.find_last_of("/\\");
    return slash == std::string::npos ? location : location.substr(slash + 1);
}

} // namespace

MusicSegment::MusicSegment(const std::string& name, std::shared_ptr<const MidiFile> file)
    : m_Name(name), m_File(std::move(file))
{
}

MusicSegment::~MusicSegment()
{
    Stop();
}

void MusicSegment::SetParts(const LuaObject& parts)
{
    m_Parts.clear();
    if (!parts.IsTable())
        return;
    for (LuaTableIterator it(parts); it; it.Next()) {
        const LuaObject& range = it.GetValue();
        if (!it.GetKey().IsString() || !range.IsTable() || !range[1].IsNumber() || !range[2].IsNumber())
            continue;
        const double first = std::trunc(range[1].GetNumber());
        const double count = std::trunc(range[2].GetNumber());
        // Far beyond any file; kept out so that the tick arithmetic cannot overflow.
        if (std::fabs(first) > 1e9 || std::fabs(count) > 1e9)
            continue;
        m_Parts[it.GetKey().GetString()] = {static_cast<int64_t>(first), static_cast<int64_t>(count)};
    }
}

bool MusicSegment::GetPart(const std::string& part, uint32_t& startTick, uint32_t& endTick) const
{
    auto found = m_Parts.find(part);
    if (found == m_Parts.end()) {
        uint32_t start = 0;
        uint32_t end = 0;
        if (!m_File->FindMarkerRange(part, start, end) || end <= start)
            return false;
        startTick = start;
        endTick = end;
        return true;
    }
    const auto [first, count] = found->second;
    if (first < 1 || count < 1)
        return false;
    const int64_t measure = m_File->GetTicksPerMeasure();
    const int64_t start = (first - 1) * measure;
    const int64_t end = start + count * measure;
    if (end > kMaxMidiTick)
        return false;
    startTick = static_cast<uint32_t>(start);
    endTick = static_cast<uint32_t>(end);
    return true;
}

MusicStatus MusicSegment::Play(uint32_t startTick, uint32_t endTick, bool loop)
{
    MusicPerformance* performance = Performance();
    if (!performance)
        return MusicStatus(MUSIC_E_NOTINITIALIZED);
    Log(3, "MusicSegment::Play %s\n", m_Name.c_str());
    MusicStatus status = performance->Play(m_File, startTick, endTick, loop);
    if (!status.Ok())
        Log(1, "MusicSegment::Play - Couldn't Play%s\n>>>>>>%s\n>>>>>>%s\n", m_Name.c_str(), status.GetName(),
            status.GetDescription().c_str());
    return status;
}

void MusicSegment::Stop()
{
    MusicPerformance* performance = Performance();
    if (performance && performance->GetPiece() == m_File.get())
        performance->Stop();
}

bool MusicSegment::IsPlaying() const
{
    MusicPerformance* performance = Performance();
    return performance && performance->GetPiece() == m_File.get() && performance->IsPlaying();
}

MusicSegment* MusicSegment::GetSegment(const std::string& name)
{
    if (!DirectMusic::IsMusicActive())
        return nullptr;
    Resource* data = RequireResourceCatalog().AcquireResource(name.c_str(), nullptr);
    auto* segment = dynamic_cast<MusicSegment*>(data);
    if (!segment)
        VELK_THROW(Exception, AssertionText("dynamic_cast<MusicSegment *>(data) != 0"));
    return segment;
}

// ---------------------------------------------------------------------------

bool DirectMusicLoader::CanLoad(const ResourceInfo& info) const
{
    const std::string& location = info.GetLocation();
    if (!DirectMusic::IsMusicActive() || location.size() < 5)
        return false;
    return EndsWith(location, ".sgt") || EndsWith(location, ".sty") || EndsWith(location, ".mid") ||
           EndsWith(location, ".dls");
}

void DirectMusicLoader::LoadResource(FileReader* reader, ResourceInfo& info)
{
    const std::string& location = info.GetLocation();
    VELK_ASSERT(reader != 0);
    const std::string name = BareFileName(location);
    const char* bytes = nullptr;
    std::size_t size = 0;
    reader->Read(location, bytes, size);

    // Only standard MIDI files can be played; the other kinds are refused here.
    auto file = std::make_shared<MidiFile>();
    std::string error;
    if (!file->Parse(bytes, size, error)) {
        const MusicStatus status(MUSIC_E_BADFILE, error);
        Log(1, "MusicManager: GetObject %s Failed\n>>>>>>%s\n>>>>>>%s\n", name.c_str(), status.GetName(),
            status.GetDescription().c_str());
        VELK_THROW(ResourceLoadError, (boost::format("Couldn't load music \"%1%\", %2%, \"%3%\"") % name %
                                       status.GetName() % status.GetDescription())
                                          .str());
    }

    auto segment = std::make_unique<MusicSegment>(name, std::move(file));
    const LuaObject& metadata = info.GetMetadata();
    if (metadata.IsTable())
        segment->SetParts(metadata["parts"]);
    info.SetResource(segment.release());
    info.SetType(RESOURCE_MUSIC);
}
