#include "game/views/WoppleVisionLabel.h"

#include "engine/core/Class.h"
#include "engine/core/Point.h"
#include "engine/core/TypeConversion.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/Image.h"
#include "engine/ui/FlattenedActor.h"
#include "engine/ui/Label.h"

#include <boost/format.hpp>

#include <memory>

void WoppleVisionLabelClassHook(Class* c)
{
    auto color = MemberOf(&WoppleVisionLabel::m_FgColor);
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_COLOR, color, "fgColor"));
    c->RegisterPropertySetter(CreatePropertyAccessor(TYPE_COLOR, color, "fgColor"));
}

VELK_REGISTER_CLASS(WoppleVisionLabel, "Actor", WoppleVisionLabelClassHook, InstantiateObjectOfClass<WoppleVisionLabel>);

namespace {

bool DisplayIsAccelerated()
{
    Application* app = Application::GetInstance();
    return app && app->IsHWAccelEnabled();
}

} // namespace

WoppleVisionLabel::WoppleVisionLabel() : m_FgColor(Colors::ByName("Gold")) {}

void WoppleVisionLabel::OnPostSpawn()
{
    Actor::OnPostSpawn();
    m_PrimaryLabel = dynamic_cast<Label*>(FindChild("primaryLabel", true));
    if (m_PrimaryLabel)
        m_PrimaryLabel->SetColor(m_FgColor, true);
    m_OutlineLabelContainer = FindChild("outlineLabelContainer", true);
    m_OutlineLabels.clear();
    for (int i = 1;; ++i) {
        auto* label = dynamic_cast<Label*>(FindChild((boost::format("outlineLabel%1%") % i).str(), true));
        if (!label)
            break;
        m_OutlineLabels.push_back(label);
    }
}

void WoppleVisionLabel::SetText(const std::string& text)
{
    if (text == m_Text)
        return;
    m_Text = text;
    if (m_PrimaryLabel)
        m_PrimaryLabel->SetText(text, true);
    for (Label* label : m_OutlineLabels)
        label->SetText(text, true);
    const Point<int> extent = GetTotalSize();
    SetSize(extent.x, extent.y);
    UpdateAlignment();
    RenderCachedImage();
}

void WoppleVisionLabel::RenderCachedImage()
{
    if (m_RenderedText == m_Text)
        return;
    m_RenderedText = m_Text;
    SetImage(nullptr, std::string());
    if (m_PrimaryLabel)
        m_PrimaryLabel->SetVisible(true);
    if (m_OutlineLabelContainer)
        m_OutlineLabelContainer->SetVisible(true);
    const Point<int> extent = GetTotalSize();
    SetSize(extent.x, extent.y);
    UpdateAlignment();

    if (GetWidth() > 0 && GetHeight() > 0) {
        // A hidden label draws nothing, and cells set the numbers of their
        // hidden ones: shown for the rendering only.
        const bool wasVisible = IsVisible();
        if (!wasVisible)
            Actor::SetVisible(true);
        Flatten(0, 0, GetWidth(), GetHeight());
        Image* rendered = GetFlattenedActor() ? GetFlattenedActor()->GetRenderedImage() : nullptr;
        std::unique_ptr<Image> copy = rendered ? rendered->Clone() : nullptr;
        Unflatten();
        if (!wasVisible)
            Actor::SetVisible(false);
        const int w = GetWidth();
        const int h = GetHeight();
        SetImage(std::move(copy), std::string());
        // The picture is the label's whole look; keep the size the text gave.
        SetSize(w, h);
        ++m_RenderCount;
    }

    if (m_PrimaryLabel)
        m_PrimaryLabel->SetVisible(false);
    if (m_OutlineLabelContainer)
        m_OutlineLabelContainer->SetVisible(false);
}

void WoppleVisionLabel::Redraw()
{
    const bool accelerated = DisplayIsAccelerated();
    if (FlattenedActor* cache = GetFlattenedActor()) {
        cache->Invalidate();
        cache->Render();
        if (accelerated)
            if (Image* image = cache->GetRenderedImage())
                image->RefreshVideoSurface(true);
    } else if (accelerated) {
        if (Image* image = GetOwnImage())
            image->RefreshVideoSurface(true);
    }
}

Actor* ShowOutlinedFlashText(const std::string& text, int x, int y, const std::string& templateName, Actor* parent,
                             bool setLayer, int layer)
{
    Object* made = ClassManager::GetInstance()->InstantiateObjectFromResource(templateName);
    auto* flash = dynamic_cast<Actor*>(made);
    if (!flash) {
        delete made;
        return nullptr;
    }
    if (auto* vision = dynamic_cast<WoppleVisionLabel*>(flash)) {
        vision->SetText(text);
        vision->Redraw();
    } else if (dynamic_cast<Label*>(flash)) {
        for (const char* name : {"TopLeftOutline", "BottomRightOutline", "TopRightOutline", "BottomLeftOutline",
                                 "FlashText"})
            if (auto* label = dynamic_cast<Label*>(flash->FindChild(name, false)))
                label->SetText(text, true);
    }
    Point<int> local(x, y);
    if (parent)
        local = parent->GlobalToLocal(local);
    flash->SetPosition(local.x - flash->GetWidth() / 2, local.y - flash->GetHeight() / 2);
    if (setLayer)
        flash->SetLayer(layer);
    if (parent)
        parent->AddChild(flash);
    return flash;
}
