#include "engine/runtime/FrameRecorder.h"

#include "engine/runtime/Image.h"
#include "engine/runtime/SurfaceManager.h"

#include <algorithm>
#include <cstring>

bool FrameRecorder::Command::operator==(const Command& other) const
{
    // The record pointer is left out: a new record at an old address has its own serial.
    return kind == other.kind && flag == other.flag && reserved == other.reserved && hasSrc == other.hasSrc &&
           hasDest == other.hasDest && alpha == other.alpha && shader == other.shader &&
           std::equal(std::begin(values), std::end(values), std::begin(other.values)) && color == other.color &&
           std::memcmp(&angle, &other.angle, sizeof angle) == 0 && serial == other.serial &&
           version == other.version && polygon == other.polygon;
}

bool FrameRecorder::SamePolygon(const Poly& a, const Poly& b)
{
    const auto& va = a.GetVertices();
    const auto& vb = b.GetVertices();
    if (va.size() != vb.size())
        return false;
    for (std::size_t i = 0; i < va.size(); ++i)
        if (std::memcmp(&va[i].x, &vb[i].x, sizeof va[i].x) != 0 || std::memcmp(&va[i].y, &vb[i].y, sizeof va[i].y) != 0)
            return false;
    return true;
}

FrameRecorder::Command& FrameRecorder::Record(Kind kind, std::initializer_list<std::int32_t> values,
                                              const Color& color, bool flag)
{
    Command& command = m_Frame.emplace_back();
    command.kind = kind;
    std::copy(values.begin(), values.end(), command.values);
    command.color = color;
    command.flag = flag;
    return command;
}

void FrameRecorder::DrawCircle(int x, int y, int radius, const Color& color)
{
    Record(KIND_CIRCLE, {x, y, radius}, color);
}

void FrameRecorder::DrawImage(Image* image, int shaderType, const Rect* destRect, const Rect* srcRect,
                              std::uint8_t alpha, float angle, bool reserved, bool pointFiltering)
{
    SurfaceRecord* record = image ? image->GetSurfaceRecord() : nullptr;
    if (!record)
        return;
    const Rect src = srcRect ? *srcRect : Rect();
    const Rect dest = destRect ? *destRect : Rect();
    Command& command = Record(KIND_IMAGE, {src.x, src.y, src.w, src.h, dest.x, dest.y, dest.w, dest.h}, Color(),
                              pointFiltering);
    command.record = record;
    record->AddShare();
    command.shader = static_cast<std::int16_t>(shaderType);
    command.alpha = alpha;
    command.angle = angle;
    command.reserved = reserved;
    command.hasSrc = srcRect != nullptr;
    command.hasDest = destRect != nullptr;
    command.serial = record->GetSerial();
    command.version = record->GetVersion();
}

void FrameRecorder::DrawLine(int x1, int y1, int x2, int y2, const Color& color)
{
    Record(KIND_LINE, {x1, y1, x2, y2}, color);
}

void FrameRecorder::DrawPie(int x, int y, int radius, int startAngle, int endAngle, const Color& color)
{
    Record(KIND_PIE, {x, y, radius, startAngle, endAngle}, color);
}

void FrameRecorder::FillPolygon(const Poly& polygon, const Color& color, bool filled)
{
    Record(KIND_POLYGON, {}, color, filled).polygon = static_cast<std::uint32_t>(m_Polygons.size());
    m_Polygons.push_back(polygon);
}

void FrameRecorder::FillRect(const Rect& rect, const Color& color, bool filled)
{
    Record(KIND_RECT, {rect.x, rect.y, rect.w, rect.h}, color, filled);
}

FrameRecorder::~FrameRecorder()
{
    ReleaseShares();
}

void FrameRecorder::ReleaseShares()
{
    for (Command& command : m_Frame)
        if (command.record) {
            SurfaceManager::ReleaseRecordShare(command.record);
            command.record = nullptr;
        }
}

void FrameRecorder::Clear()
{
    ReleaseShares();
    m_Frame.clear();
    m_Polygons.clear();
}

bool FrameRecorder::HasChanged() const
{
    if (!m_Valid || m_Frame.size() != m_Shown.size() || m_Polygons.size() != m_ShownPolygons.size())
        return true;
    if (!std::equal(m_Frame.begin(), m_Frame.end(), m_Shown.begin()))
        return true;
    for (std::size_t i = 0; i < m_Polygons.size(); ++i)
        if (!SamePolygon(m_Polygons[i], m_ShownPolygons[i]))
            return true;
    return false;
}

void FrameRecorder::Replay()
{
    for (const Command& command : m_Frame) {
        const std::int32_t* v = command.values;
        switch (command.kind) {
        case KIND_IMAGE: {
            const Rect src(static_cast<std::int16_t>(v[0]), static_cast<std::int16_t>(v[1]),
                           static_cast<std::uint16_t>(v[2]), static_cast<std::uint16_t>(v[3]));
            const Rect dest(static_cast<std::int16_t>(v[4]), static_cast<std::int16_t>(v[5]),
                            static_cast<std::uint16_t>(v[6]), static_cast<std::uint16_t>(v[7]));
            m_Target.DrawSurfaceRecord(command.record, command.shader, command.hasDest ? &dest : nullptr,
                                       command.hasSrc ? &src : nullptr, command.alpha, command.angle,
                                       command.reserved, command.flag);
            break;
        }
        case KIND_CIRCLE:
            m_Target.DrawCircle(v[0], v[1], v[2], command.color);
            break;
        case KIND_LINE:
            m_Target.DrawLine(v[0], v[1], v[2], v[3], command.color);
            break;
        case KIND_PIE:
            m_Target.DrawPie(v[0], v[1], v[2], v[3], v[4], command.color);
            break;
        case KIND_POLYGON:
            m_Target.FillPolygon(m_Polygons[command.polygon], command.color, command.flag);
            break;
        case KIND_RECT:
            m_Target.FillRect(Rect(static_cast<std::int16_t>(v[0]), static_cast<std::int16_t>(v[1]),
                                   static_cast<std::uint16_t>(v[2]), static_cast<std::uint16_t>(v[3])),
                              command.color, command.flag);
            break;
        }
    }
    m_Shown = m_Frame;
    m_ShownPolygons = m_Polygons;
    for (Command& command : m_Shown)
        command.record = nullptr;
    m_Valid = true;
}
