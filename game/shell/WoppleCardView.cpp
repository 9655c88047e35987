#include "game/shell/WoppleCardView.h"

#include "engine/core/Config.h"
#include "engine/core/Exception.h"
#include "engine/core/Point.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/ImageEffects.h"
#include "engine/runtime/Utility.h"
#include "engine/ui/Label.h"
#include "game/shell/WopplePlayer.h"

#include <boost/format.hpp>

#include <memory>

namespace {

const char* const kDefaultPicture = "photoPlayer.custom.png";
// The game card's own frame; the engine card's is too small for a photo.
const char* const kCardFrame = "bkgWoppleCard.png";

bool HasResource(const std::string& name)
{
    CoreHost::ResourceEntry entry;
    CoreHost* host = GetCoreHost();
    return host && host->FindResourceEntry(name, true, entry);
}

void PlayerPictureClassHook(Class* c)
{
    // Write only: a pair of numbers taken as the target size.
    c->RegisterPropertySetter(MakeNamedProperty("scaleFactor"));
}

void NoHook(Class*) {}

template <typename T>
T* FindLabel(const Actor& root, const char* name)
{
    return dynamic_cast<T*>(root.FindChild(name, true));
}

} // namespace

VELK_REGISTER_CLASS(PlayerPicture, "Actor", PlayerPictureClassHook, InstantiateObjectOfClass<PlayerPicture>);
VELK_REGISTER_CLASS(WoppleCardView, "CardView", NoHook, InstantiateObjectOfClass<WoppleCardView>);

// ---------------------------------------------------------------- PlayerPicture

PlayerPicture::PlayerPicture()
{
    Reload();
}

void PlayerPicture::SetPlayer(Player* player)
{
    m_Player = player;
    Reload();
}

void PlayerPicture::SetTargetSize(float width, float height)
{
    m_TargetWidth = width;
    m_TargetHeight = height;
    Reload();
}

void PlayerPicture::ApplyClassicProperty(const std::string& name, const LuaObject& value)
{
    if (name == "scaleFactor" && Point<int>::IsPoint(value)) {
        Point<int> size(value);
        SetTargetSize(static_cast<float>(size.x), static_cast<float>(size.y));
        return;
    }
    Actor::ApplyClassicProperty(name, value);
}

void PlayerPicture::Reload()
{
    std::string name;
    if (m_Player) {
        LuaObject options = m_Player->GetTable()["Options"];
        if (options.IsTable() && options["player.picture"].IsString())
            name = options["player.picture"].GetString();
    }
    if (name.empty())
        name = kDefaultPicture;

    std::unique_ptr<Image> image;
    if (HasResource(name)) {
        image = std::make_unique<Image>(name);
    } else if ((image = Image::MakeFromFile(name))) {
        image->RegisterAsResource(name);
    }
    if (!image) {
        name = kDefaultPicture;
        if (HasResource(name))
            image = std::make_unique<Image>(name);
    }
    m_PictureName = name;
    if (!image) {
        SetImage(nullptr, std::string());
        return;
    }

    const Image::Size size = image->GetSize();
    if (m_TargetWidth != 0.0f && m_TargetHeight != 0.0f && size.w > 0 && size.h > 0) {
        const double zoomX = m_TargetWidth / static_cast<double>(size.w);
        const double zoomY = m_TargetHeight / static_cast<double>(size.h);
        if (zoomX != 1.0 || zoomY != 1.0) {
            auto zoomed = ZoomImageXY(*image, zoomX, zoomY, true);
            if (zoomed)
                image = std::move(zoomed);
        }
    }
    SetImage(std::move(image), name);
}

// ---------------------------------------------------------------- WoppleCardView

void WoppleCardView::OnPostSpawn()
{
    CardView::OnPostSpawn();
    // The game card shows its rank as text, and no game mode.
    if (Actor* medal = GetRankPicture())
        medal->SetVisible(false);
    if (Actor* mode = GetModePicture())
        mode->SetVisible(false);
    if (HasResource(kCardFrame)) {
        if (Actor* frame = GetBackground()) {
            frame->SetImageFromName(kCardFrame);
            SetSize(frame->GetWidth(), frame->GetHeight());
            for (Actor* overlay : {GetHighlight(), GetShade()})
                if (overlay)
                    overlay->SetSize(GetWidth(), GetHeight());
        }
    }

    m_NameLabel = FindLabel<Label>(*this, "playerNameLabel");
    m_ScoreLabel = FindLabel<Label>(*this, "topScoreLabel");
    m_KeysLabel = FindLabel<Label>(*this, "secretsFoundLabel");
    m_RankLabel = FindLabel<Label>(*this, "rankLabel");
    m_RankText = FindLabel<Label>(*this, "rank");
    m_StarLabel = FindLabel<Label>(*this, "starLabel");

    Actor* placeholder = FindChild("PhotoPlaceHolder", true);
    auto picture = std::make_unique<PlayerPicture>();
    if (placeholder) {
        picture->SetZOrder(placeholder->GetZOrder());
        const Point<int> at = placeholder->GetPosition();
        picture->SetPosition(at.x, at.y);
        picture->SetTargetSize(static_cast<float>(placeholder->GetWidth()),
                               static_cast<float>(placeholder->GetHeight()));
        placeholder->SetVisible(false);
    }
    m_Picture = picture.get();
    AddChild(picture.release());
    ReadPlayer();
}

void WoppleCardView::ReadPlayer()
{
    auto show = [](Label* label, const std::string& text) {
        if (label)
            label->SetText(text, true);
    };
    Player* player = GetPlayer();
    auto* woppler = dynamic_cast<WopplePlayer*>(player);
    if (IsEmptySlot() || !woppler) {
        show(m_NameLabel, IsEmptySlot() ? "Click To Add Player" : "");
        for (Label* label : {m_ScoreLabel, m_KeysLabel, m_RankLabel, m_RankText, m_StarLabel})
            show(label, "");
    } else {
        const std::int64_t total = woppler->GetTotalScore();
        woppler->UpdateRank();
        LuaObject table = woppler->GetTable();
        LuaObject name = table["Name"];
        show(m_NameLabel, PlainLabelText(name.IsString() ? name.GetString() : std::string()));
        show(m_ScoreLabel, (boost::format("Total Score: %1%") % FormatUnsigned64WithCommas(static_cast<std::uint64_t>(total < 0 ? 0 : total))).str());
        show(m_KeysLabel, (boost::format("Keys: %1%") % woppler->GetTotalSecretsFound()).str());
        std::string rank;
        if (table["Rank"].IsString()) {
            rank = table["Rank"].GetString();
        } else if (Config* config = GetConfig()) {
            rank = config->Retrieve("rank.1").ToString();
            table.SetString("Rank", rank);
        }
        show(m_RankLabel, PlainLabelText((boost::format("Rank: %1%") % rank).str()));
        show(m_RankText, "");
        show(m_StarLabel, (boost::format("Stars: %1%") % woppler->GetTotalStars()).str());
    }
    if (m_Picture)
        m_Picture->SetPlayer(player);
}
