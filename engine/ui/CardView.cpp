#include "engine/ui/CardView.h"

#include "engine/core/Config.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/Canvas.h"
#include "engine/runtime/Font.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/runtime/Sound.h"
#include "engine/ui/Button.h"
#include "engine/ui/Label.h"

#include <boost/format.hpp>

#include <memory>

namespace {

constexpr int kPressedOffset = 2;
constexpr int kNameWidthLimit = 120;
constexpr int kWordWidthLimit = 120;
constexpr int kRightMargin = 4;
constexpr int kWordCentreY = 95;
constexpr int kRankY = 18;
constexpr int kRatingY = 103;
constexpr int kHighlightAlpha = 51;
constexpr int kShadeAlpha = 128;
constexpr int kOverlayZOrder = 20;
// The mode ribbon runs down the card's left edge with the rank medal at its
// top; the fields sit above the pictures, the overlays above everything.
constexpr int kModePictureZOrder = 1;
constexpr int kRankPictureZOrder = 2;
constexpr int kFieldZOrder = 10;
constexpr int kRankPictureX = 2;
constexpr int kRankPictureY = 4;

const char* const kRanks[] = {"Novice", "Student", "Whiz", "Expert", "Pro", "Master", "Champ", "Legend"};

bool IsPrimary(const EventRecord& event)
{
    Application* app = Application::GetInstance();
    return app && app->IsPrimaryMouseButton(event.button.button);
}

bool IsAbout(const EventRecord& event, const Actor& actor)
{
    return event.user.data1 == static_cast<const void*>(&actor);
}

int ConfiguredSize(const std::string& key)
{
    Config* config = GetConfig();
    VELK_ASSERT_MSG(config != 0, "There is no configuration to read fonts from.");
    Variant size = config->Retrieve(key);
    VELK_ASSERT_MSG(size.IsDouble(), (boost::format("The configuration value \"%1%\" must be a number.") % key).str());
    return static_cast<int>(size.ToDouble());
}

Font* ConfiguredFont(const std::string& faceKey, const std::string& sizeKey)
{
    return new Font(ConfiguredFontFace(faceKey), ConfiguredSize(sizeKey), 0);
}

// A value of a player's table as the card shows it: text as it is, a number
// as Lua writes it; anything else shows as nothing.
std::string TextOf(const LuaObject& value)
{
    if (value.IsString())
        return value.GetString();
    if (!value.IsNumber())
        return std::string();
    lua_State* L = value.GetState().GetCState();
    value.Push();
    std::string text = lua_tostring(L, -1);
    lua_pop(L, 1);
    return text;
}

template <typename T>
T* Held(const LuaObject& handle)
{
    auto* actor = dynamic_cast<T*>(Object::FromLuaObject(handle));
    return actor && !actor->IsBeingDestroyed() ? actor : nullptr;
}

Object* InstantiateCardView(const LuaObject& params)
{
    auto card = std::make_unique<CardView>();
    card->ApplyProperties(params);
    card->OnPostSpawn();
    return card.release();
}

} // namespace

VELK_REGISTER_CLASS(CardView, "Actor", nullptr, InstantiateCardView);

// ---------------------------------------------------------------- states

namespace CardViewStates {

void Active::OnEnterState()
{
    if (Actor* highlight = m_Card.GetHighlight())
        highlight->SetVisible(false);
}

void Active::OnExitState()
{
    if (Actor* highlight = m_Card.GetHighlight())
        highlight->SetVisible(true);
}

bool Active::OnMouseEnter(const EventRecord& event)
{
    if (!IsAbout(event, m_Card) || !m_Card.IsEnabled() || !m_Card.IsVisible())
        return false;
    // Back over the card with the button still down from a press on it.
    m_Card.SwitchState(m_Card.IsHeld() ? "Pressed" : "Highlighted");
    return true;
}

bool Active::OnMouseButtonUp(const EventRecord& event)
{
    // A press that left the card ends here, without a click; other cards
    // still hear the release.
    if (IsPrimary(event))
        m_Card.SetHeld(false);
    return false;
}

bool Highlighted::OnMouseLeave(const EventRecord& event)
{
    if (!IsAbout(event, m_Card))
        return false;
    m_Card.SwitchState("Active");
    return true;
}

bool Highlighted::OnMouseButtonDown(const EventRecord& event)
{
    if (!IsPrimary(event) || !m_Card.IsEnabled() || !m_Card.IsVisible())
        return false;
    m_Card.SwitchState("Pressed");
    return true;
}

void Pressed::OnEnterState()
{
    Sound::Play("click.ogg");
    m_Card.SetHeld(true);
    m_Card.SetDrawOffset(kPressedOffset, kPressedOffset);
}

void Pressed::OnExitState()
{
    m_Card.SetDrawOffset(0, 0);
}

bool Pressed::OnMouseLeave(const EventRecord& event)
{
    if (!IsAbout(event, m_Card))
        return false;
    // Held stays set: coming back with the button down presses it again.
    m_Card.SwitchState("Active");
    return true;
}

bool Pressed::OnMouseButtonUp(const EventRecord& event)
{
    if (!IsPrimary(event) || !m_Card.IsEnabled() || !m_Card.IsVisible())
        return false;
    Actor* self = &m_Card;
    m_Card.RaiseEvent(VELK_CARDCLICK, self, false);
    m_Card.SetHeld(false);
    m_Card.SwitchState("Highlighted");
    return true;
}

} // namespace CardViewStates

// ---------------------------------------------------------------- life

CardView::CardView()
{
    Build();
}

CardView::~CardView() = default;

LuaObject CardView::AddPart(Actor* part, int zorder)
{
    part->SetZOrder(zorder);
    LuaObject handle = part->GetLuaObject();
    AddChild(part);
    return handle;
}

void CardView::Build()
{
    SetRolloverable(true);
    m_Held = 0;
    m_Enabled = 1;
    m_DrawOffsetX = 0;
    m_DrawOffsetY = 0;
    ApplyNamedResource("CardView");

    auto background = std::make_unique<Actor>("bkgCard.png");
    SetSize(background->GetWidth(), background->GetHeight());
    m_Background = AddPart(background.release(), 0);

    // Without their strips the pictures are plain actors that show nothing.
    auto picture = [](const char* name) {
        CoreHost::ResourceEntry entry;
        CoreHost* host = GetCoreHost();
        return host && host->FindResourceEntry(name, true, entry) ? std::make_unique<Actor>(name)
                                                                   : std::make_unique<Actor>();
    };
    auto rank = picture("bkgCardRank.png");
    rank->SetPosition(kRankPictureX, kRankPictureY);
    m_RankPicture = AddPart(rank.release(), kRankPictureZOrder);
    m_ModePicture = AddPart(picture("bkgCardMode.png").release(), kModePictureZOrder);

    auto highlight = std::make_unique<Actor>(Colors::Yellow);
    highlight->SetAlpha(kHighlightAlpha);
    highlight->SetSize(GetWidth(), GetHeight());
    highlight->SetVisible(false);
    m_Highlight = AddPart(highlight.release(), kOverlayZOrder);

    auto shade = std::make_unique<Actor>(Colors::Black);
    shade->SetAlpha(kShadeAlpha);
    shade->SetSize(GetWidth(), GetHeight());
    shade->SetVisible(false);
    m_Shade = AddPart(shade.release(), kOverlayZOrder);

    m_Fields.clear();
    for (int i = 0; i < NUM_FIELDS; ++i) {
        Font* font = nullptr;
        if (i == FIELD_NAME)
            font = ConfiguredFont("CardViewNameFont", "CardViewNameFontSize");
        else if (i == FIELD_WORD)
            font = ConfiguredFont("CardViewWordFont", "CardViewWordFontSize");
        else if (i == FIELD_MODE)
            font = ConfiguredFont("CardViewModeFont", "CardViewModeFontSize");
        else
            font = ConfiguredFont("CardViewFieldFont", "CardViewFieldFontSize");
        auto label = std::make_unique<Label>("", font, i == FIELD_MODE ? Colors::White : Colors::Black,
                                             TEXTALIGN_LEFT);
        // A long name or word shrinks to fit rather than run off the card.
        if (i == FIELD_NAME)
            label->SetWidthLimit(kNameWidthLimit);
        else if (i == FIELD_WORD)
            label->SetWidthLimit(kWordWidthLimit);
        m_Fields.push_back(AddPart(label.release(), kFieldZOrder));
    }

    AddState(new CardViewStates::Active(*this), false);
    AddState(new CardViewStates::Highlighted(*this), false);
    AddState(new CardViewStates::Pressed(*this), false);
    SwitchState("Active");
}

// ---------------------------------------------------------------- parts

Label* CardView::GetField(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_Fields.size()))
        return nullptr;
    return Held<Label>(m_Fields[index]);
}

Actor* CardView::GetBackground() const
{
    return Held<Actor>(m_Background);
}

Actor* CardView::GetHighlight() const
{
    return Held<Actor>(m_Highlight);
}

Actor* CardView::GetShade() const
{
    return Held<Actor>(m_Shade);
}

Actor* CardView::GetRankPicture() const
{
    return Held<Actor>(m_RankPicture);
}

Actor* CardView::GetModePicture() const
{
    return Held<Actor>(m_ModePicture);
}

void CardView::SetDrawOffset(int x, int y)
{
    m_DrawOffsetX = x;
    m_DrawOffsetY = y;
}

void CardView::SwitchState(const std::string& name)
{
    SetState(name);
}

// ---------------------------------------------------------------- the player

void CardView::SetPlayer(Player* player)
{
    m_Player = player;
    ReadPlayer();
}

bool CardView::IsEmptySlot() const
{
    return !m_Player || m_Player->IsUnused();
}

std::string CardView::CurrentGameMode()
{
    PlayerManager* players = PlayerManager::GetInstance();
    Player* current = players ? players->GetCurrentPlayer(1) : nullptr;
    if (!current)
        return std::string();
    LuaObject options = current->GetTable()["Options"];
    if (!options.IsTable())
        return std::string();
    LuaObject mode = options["game.mode"];
    return mode.IsString() ? mode.GetString() : std::string();
}

LuaObject CardView::GameModeTable() const
{
    const std::string mode = CurrentGameMode();
    if (!m_Player || mode.empty() || !m_Player->GetTable()["Game_Modes"].IsTable())
        return LuaObject();
    return m_Player->GetGameModeTable(mode);
}

void CardView::SetFieldText(int index, const std::string& text)
{
    if (Label* field = GetField(index))
        field->SetText(text, true);
}

void CardView::ReadPlayer()
{
    // An empty slot has earned no medal.
    if (Actor* medal = GetRankPicture())
        medal->SetVisible(!IsEmptySlot());
    if (IsEmptySlot()) {
        ClearFields();
        PlaceFields();
        return;
    }
    SetFieldText(FIELD_NAME, PlainLabelText(TextOf(m_Player->GetTable()["Name"])));
    for (int i = 1; i <= 7; ++i)
        FillFields(i);
    UpdateRank();
}

void CardView::FillFields(int index)
{
    if (!m_Player)
        return;
    const std::string mode = CurrentGameMode();
    switch (index) {
    case FIELD_BEST_SCORE:
        SetFieldText(index, (boost::format("Best Score:%1%") %
                             PlainLabelText(m_Player->GetTopStatisticStr("Top_Scores", "total_score", "0")))
                                .str());
        break;
    case FIELD_BEST_LEVEL: {
        const std::string best =
            PlainLabelText(m_Player->GetTopStatisticStr("Top_Percentages", "percentage", "0"));
        SetFieldText(index, (boost::format(mode == "Blast" ? "Best Level:%1%" : "Best Level:%1%%%") % best).str());
        break;
    }
    case FIELD_RANK: {
        LuaObject table = GameModeTable();
        const std::string rank = table.IsTable() ? TextOf(table["Rank"]) : std::string();
        SetFieldText(index, rank.empty() ? std::string()
                                         : (boost::format("the %1%") % PlainLabelText(rank)).str());
        RefreshPictures();
        break;
    }
    case FIELD_RATING: {
        std::string text;
        Config* config = GetConfig();
        Variant ratedMode = config ? config->Retrieve("GameMode2") : Variant();
        LuaObject table = GameModeTable();
        if (!mode.empty() && ratedMode.IsString() && ratedMode.ToString() == mode && table.IsTable())
            text = (boost::format("Rating:%1%") % PlainLabelText(TextOf(table["Rating"]))).str();
        SetFieldText(index, text);
        break;
    }
    default:
        break;
    }
}

void CardView::ClearFields()
{
    for (int i = 0; i < static_cast<int>(m_Fields.size()); ++i)
        SetFieldText(i, std::string());
}

void CardView::UpdateRank()
{
    PlaceFields();
    RefreshPictures();
}

// ---------------------------------------------------------------- layout and pictures

void CardView::PlaceFields()
{
    // Placed directly rather than by alignment, so that a card moved into a
    // dialog keeps its layout when the dialog aligns its children.
    const int w = GetWidth();
    const Point<int> fixed[] = {{25, 0}, {30, 38}, {30, 56}, {30, 74}, {30, 92}};
    for (int i = 0; i <= 4; ++i)
        if (Label* field = GetField(i))
            field->SetPosition(fixed[i].x, fixed[i].y);
    if (Label* word = GetField(FIELD_WORD))
        word->SetPosition(w / 2 - word->GetWidth() / 2, kWordCentreY - word->GetHeight() / 2);
    if (Label* rank = GetField(FIELD_RANK))
        rank->SetPosition(w - kRightMargin - rank->GetWidth(), kRankY);
    if (Label* rating = GetField(FIELD_RATING))
        rating->SetPosition(w - kRightMargin - rating->GetWidth(), kRatingY);
}

void CardView::RefreshPictures()
{
    const std::string mode = CurrentGameMode();
    LuaObject table = GameModeTable();

    // The mode reads upwards along the left edge.
    if (Label* field = GetField(FIELD_MODE)) {
        const std::string text = IsEmptySlot() ? std::string() : PlainLabelText(mode);
        if (field->GetText() != text)
            field->SetText(text, true);
        field->SetRotation(90.0, static_cast<int>(RectAlignment::BottomLeft), false);
        Point<int> offset(0, -4);
        if (Config* config = GetConfig()) {
            LuaObject configured = config->GetLuaValue("CardViewModeOffset");
            if (configured.IsTable() && configured[1].IsNumber() && configured[2].IsNumber())
                offset = Point<int>(configured[1].GetInteger(), configured[2].GetInteger());
        }
        // Where the turned picture is drawn: its own offset from the label.
        const Point<int> drawn = field->GetOverrideOffset();
        const Image* image = field->GetImage();
        const int drawnHeight = image ? static_cast<int>(image->GetSize().h) : 0;
        field->SetPosition(offset.x - drawn.x, GetHeight() + offset.y - drawnHeight - drawn.y);
    }

    if (Actor* picture = GetModePicture(); picture && picture->GetImage() && !mode.empty()) {
        if (Config* config = GetConfig()) {
            for (int i = 0; i < 3; ++i) {
                Variant named = config->Retrieve((boost::format("GameMode%1%") % (i + 1)).str());
                if (named.IsString() && named.ToString() == mode) {
                    if (i < picture->GetImage()->GetNumFrames())
                        picture->SetFrame(i);
                    break;
                }
            }
        }
    }

    if (Actor* picture = GetRankPicture(); picture && picture->GetImage() && table.IsTable()) {
        const int frame = RankFrame(TextOf(table["Rank"]));
        if (frame >= 0 && frame < picture->GetImage()->GetNumFrames())
            picture->SetFrame(frame);
    }
}

int CardView::RankFrame(const std::string& rank)
{
    for (int i = 0; i < static_cast<int>(std::size(kRanks)); ++i)
        if (rank == kRanks[i])
            return i;
    return -1;
}

// ---------------------------------------------------------------- per frame

void CardView::Update()
{
    Actor::Update();
}

void CardView::Draw(Canvas& canvas)
{
    canvas.PushState();
    canvas.Translate(m_DrawOffsetX, m_DrawOffsetY);
    Actor::Draw(canvas);
    canvas.PopState();
}
