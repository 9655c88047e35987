#include "engine/ui/CardViewDialog.h"

#include "engine/core/ButtonTemplate.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/GameRecords.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/runtime/ResourceManager.h"
#include "engine/runtime/TopRecords.h"
#include "engine/ui/Button.h"
#include "engine/ui/CardView.h"
#include "engine/ui/CommonDialogs.h"
#include "engine/ui/ScreenManager.h"

#include <boost/format.hpp>

#include <memory>

namespace {

constexpr int kNumCards = 4;

template <typename T>
T* Held(const LuaObject& handle)
{
    auto* actor = dynamic_cast<T*>(Object::FromLuaObject(handle));
    return actor && !actor->IsBeingDestroyed() ? actor : nullptr;
}

LuaObject HandleOf(Actor* actor)
{
    return actor ? actor->GetLuaObject() : LuaObject();
}

Screen* CurrentScreen()
{
    ScreenManager* screens = ScreenManager::GetInstance();
    return screens ? screens->GetCurrentScreen() : nullptr;
}

bool IsNameEntry(const std::string& name)
{
    return name == "EnterNameAndSkillDialog" || name == "EnterNameDialog" || name == "SetupNewPlayerWizard";
}

// A button from the first record of the template, its clicks for the owner.
Button* MakeTemplateButton(const std::string& templateName, EventReceiver* owner)
{
    std::vector<ButtonTemplate> records = ButtonTemplateRegistration::Find(templateName);
    VELK_ASSERT_MSG(!records.empty(), (boost::format("There is no button template \"%1%\".") % templateName).str());
    return Button::MakeFromTemplate(records.front(), owner);
}

} // namespace

// ---------------------------------------------------------------- making

CardViewDialog::CardViewDialog(const std::string& cardName, int cardMode) : Dialog("bkgDialogLarge.png", 0)
{
    CreateTitle("", -1);
    ApplyNamedResource("ChoosePlayerDialog");

    const int cx = GetWidth() / 2 - 45;
    const int cy = GetHeight() / 2 - 4;
    PlayerManager* players = PlayerManager::GetInstance();
    int w = 0, h = 0;
    bool sized = false;
    for (int i = 1; i <= kNumCards; ++i) {
        CardView* card = CreateCard(cardName, cardMode);
        if (!card) {
            m_Cards.emplace_back();
            continue;
        }
        // The block is measured by the first card there is.
        if (!sized) {
            w = card->GetWidth();
            h = card->GetHeight();
            sized = true;
        }
        card->SetPlayer(players ? players->GetPlayer(i) : nullptr);
        card->AddToGroup(this);
        const int x = (i % 2 == 1) ? cx - (w / 2 + 16) : cx + (w / 2 + 16);
        const int y = (i <= 2) ? cy - (h / 2 + 8) : cy + (h / 2 + 8);
        card->SetPosition(x - card->GetWidth() / 2, y - card->GetHeight() / 2);
        m_Cards.push_back(card->GetLuaObject());
        AddChild(card);
    }

    const int buttonX = cx + static_cast<int>(2.45 * (w / 2 + 16));
    Button* update = MakeTemplateButton("UpdateButton", this);
    update->SetPosition(buttonX - update->GetWidth() / 2, cy - (h / 2 + 8) / 2 - update->GetHeight() / 2);
    AddChild(update, "UpdateButton");
    Button* clear = MakeTemplateButton("ClearPlayerButton", this);
    clear->SetPosition(buttonX - clear->GetWidth() / 2, cy - (h / 2 + 8) - clear->GetHeight() / 2);
    AddChild(clear, "ClearPlayerButton");
}

CardViewDialog::~CardViewDialog() = default;

CardView* CardViewDialog::CreateCard(const std::string& cardName, int cardMode)
{
    std::unique_ptr<Object> made;
    try {
        LuaState state = ObjectLuaState();
        if (cardMode == 1) {
            LuaObject params;
            params.AssignNewTable(state);
            params.SetString("class", cardName);
            made.reset(ClassManager::GetInstance()->InstantiateObject(params));
        } else if (cardMode == 2) {
            if (LuaObject* table = TableResource::GetTableFromResource(cardName, true))
                made.reset(ClassManager::GetInstance()->InstantiateObject(*table));
        }
    } catch (const Exception& e) {
        LogWrite("WARNING: CardViewDialog: no card from \"%s\" in mode %d: %s\n", cardName.c_str(), cardMode,
                 e.GetMessage().c_str());
        return nullptr;
    }
    auto* card = dynamic_cast<CardView*>(made.get());
    if (!card) {
        if (made || (cardMode == 1 || cardMode == 2))
            LogWrite("WARNING: CardViewDialog: \"%s\" in mode %d makes no card.\n", cardName.c_str(), cardMode);
        return nullptr;
    }
    made.release();
    return card;
}

// ---------------------------------------------------------------- the cards

std::vector<CardView*> CardViewDialog::GetCards() const
{
    std::vector<CardView*> cards;
    for (const LuaObject& handle : m_Cards)
        if (auto* card = Held<CardView>(handle))
            cards.push_back(card);
    return cards;
}

CardView* CardViewDialog::GetCard(int index) const
{
    if (index < 1 || index > static_cast<int>(m_Cards.size()))
        return nullptr;
    return Held<CardView>(m_Cards[index - 1]);
}

CardView* CardViewDialog::GetSelectedCard() const
{
    return Held<CardView>(m_SelectedCard);
}

CardView* CardViewDialog::GetPreviouslySelectedCard() const
{
    return Held<CardView>(m_PreviouslySelectedCard);
}

void CardViewDialog::SetSelectedCard(CardView* card)
{
    m_SelectedCard = HandleOf(card);
}

void CardViewDialog::SetPreviouslySelectedCard(CardView* card)
{
    m_PreviouslySelectedCard = HandleOf(card);
}

void CardViewDialog::RefreshCards()
{
    for (CardView* card : GetCards())
        card->ReadPlayer();
}

// ---------------------------------------------------------------- events

void CardViewDialog::PostPlainEvent(int type, void* data)
{
    RequireCoreHost().PostEvent(nullptr, MakeEventRecord(static_cast<std::uint8_t>(type), 0, data));
}

bool CardViewDialog::StartNameEntry(const std::string& name, bool unlessShown)
{
    Application* app = Application::GetInstance();
    CommonDialogLibrary* library = app ? app->GetCommonDialogs() : nullptr;
    Screen* screen = CurrentScreen();
    if (!library || !screen)
        return false;
    std::unique_ptr<Dialog> dialog(library->CreateEnterNameDialog(name));
    if (!dialog)
        return false;
    // A second click while the name is being asked for asks nothing more.
    if (unlessShown && !screen->GetDialogs().empty()) {
        Actor* top = screen->GetTopDialog("");
        if (top && top->GetName() == dialog->GetName())
            return false;
    }
    screen->StartDialog(dialog.release(), true);
    return true;
}

void CardViewDialog::ResetRecordLists()
{
    if (TopRecordsManager* lists = TopRecordsManager::GetInstance())
        lists->ResetLists();
}

bool CardViewDialog::OnButtonClick(const EventRecord& event)
{
    auto* button = static_cast<Actor*>(event.user.data1);
    if (!button || button->GetParent() != this)
        return Dialog::OnButtonClick(event);
    const std::string name = button->GetName();
    if (name == "ChangeNameButton" || name == "UpdateButton") {
        Player* subject = GetSubjectPlayer();
        LuaObject current = subject ? subject->GetTable()["Name"] : LuaObject();
        StartNameEntry(current.IsString() ? current.GetString() : std::string(), false);
        return true;
    }
    if (name == "ClearPlayerButton") {
        ClearSubjectPlayer();
        return true;
    }
    return Dialog::OnButtonClick(event);
}

void CardViewDialog::ClearSubjectPlayer()
{
    PlayerManager* players = PlayerManager::GetInstance();
    Player* subject = GetSubjectPlayer();
    const int index = subject ? subject->GetIndex() : 0;
    if (!players || index < 1)
        return;
    players->ClearPlayer(index);
    if (CardView* card = GetCard(index))
        card->SetPlayer(players->GetPlayer(index));

    // The records of a player who is gone go with him.
    if (GameRecordManager* records = GameRecordManager::GetInstance()) {
        records->ClearHighScores();
        records->RefreshRecordsFromPlayers();
    }
    ResetRecordLists();

    Player* next = nullptr;
    for (int i = 1; i <= kNumCards && !next; ++i)
        if (Player* player = players->GetPlayer(i); player && !player->IsUnused())
            next = player;
    if (next)
        players->SetCurrentPlayer(next, 1);
    else
        StartNameEntry("", false);

    PostPlainEvent(VELK_HIGHSCORESUPDATED);
    PostPlainEvent(VELK_PLAYERCHANGE);
    UpdateHighlight();
    RefreshCards();
}

bool CardViewDialog::OnDialogStarted(const EventRecord& event)
{
    if (event.user.data1 == static_cast<Actor*>(this))
        UpdateHighlight();
    return false;
}

bool CardViewDialog::OnDialogStopped(const EventRecord& event)
{
    auto* stopped = dynamic_cast<Dialog*>(static_cast<Actor*>(event.user.data1));
    if (!stopped || stopped == this || !IsNameEntry(stopped->GetName()))
        return false;
    const std::string result = stopped->GetResultButtonName();
    Player* subject = GetSubjectPlayer();
    auto refreshAll = [this] {
        ResetRecordLists();
        RefreshCards();
        PostPlainEvent(VELK_PLAYERCHANGE);
        PostPlainEvent(VELK_HIGHSCORESUPDATED);
    };
    if (result == "OkayButton") {
        refreshAll();
    } else if (result == "CancelButton" && subject && subject->IsUnused()) {
        CardView* previous = GetPreviouslySelectedCard();
        PlayerManager* players = PlayerManager::GetInstance();
        if (previous && !previous->IsEmptySlot() && players) {
            players->SetCurrentPlayer(previous->GetPlayer(), 1);
            UpdateHighlight();
            RefreshCards();
        } else {
            subject->GetTable().SetString("Name", (boost::format("Player %1%") % subject->GetIndex()).str());
            refreshAll();
        }
    }
    return false;
}

// ---------------------------------------------------------------- choosing

ChooseActivePlayerDialog::ChooseActivePlayerDialog(const std::string& cardName, int cardMode)
    : CardViewDialog(cardName, cardMode)
{
    SetName("ChooseActivePlayerDialog");
    CreateButtons(BUTTONS_OKAY);
}

Player* ChooseActivePlayerDialog::GetSubjectPlayer()
{
    PlayerManager* players = PlayerManager::GetInstance();
    return players ? players->GetCurrentPlayer(1) : nullptr;
}

void ChooseActivePlayerDialog::UpdateHighlight()
{
    Player* current = GetSubjectPlayer();
    for (CardView* card : GetCards()) {
        const bool chosen = current && card->GetPlayer() && card->GetPlayer()->IsEqualTo(current);
        if (Actor* shade = card->GetShade())
            shade->SetVisible(!chosen);
        if (chosen)
            SetSelectedCard(card);
    }
}

bool ChooseActivePlayerDialog::OnCardClick(const EventRecord& event)
{
    auto* card = dynamic_cast<CardView*>(static_cast<Actor*>(event.user.data1));
    PlayerManager* players = PlayerManager::GetInstance();
    if (!card || !players || !card->GetPlayer())
        return false;
    SetPreviouslySelectedCard(GetSelectedCard());
    Player* current = players->GetCurrentPlayer(1);
    const bool wasCurrent = current && current->IsEqualTo(card->GetPlayer());
    players->SetCurrentPlayer(card->GetPlayer(), 1);
    if (!wasCurrent)
        PostPlainEvent(VELK_PLAYERCHANGE, reinterpret_cast<void*>(1));
    UpdateHighlight();
    if (card->IsEmptySlot())
        StartNameEntry("", true);
    return true;
}
