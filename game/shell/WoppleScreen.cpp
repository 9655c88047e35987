#include "game/shell/WoppleScreen.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/Script.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/GameDataIO.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/ui/NoteManager.h"
#include "game/shell/WoppleDialogs.h"

#include <boost/format.hpp>

namespace {

void WoppleScreenClassHook(Class*) {}

Player& CurrentPlayer()
{
    PlayerManager* players = PlayerManager::GetInstance();
    Player* player = players ? players->GetCurrentPlayer(1) : nullptr;
    VELK_ASSERT_MSG(player != nullptr, "The tips need a current player.");
    return *player;
}

bool IsTrue(const LuaObject& value)
{
    return value.IsBoolean() && value.GetBoolean();
}

} // namespace

VELK_REGISTER_CLASS(WoppleScreen, "Screen", WoppleScreenClassHook, InstantiateObjectOfClass<WoppleScreen>);

WoppleScreen::WoppleScreen() = default;

WoppleScreen::WoppleScreen(const std::string& backgroundResource, const std::string& screenName)
    : Screen(backgroundResource, screenName, nullptr)
{
}

void WoppleScreen::SetImage(std::unique_ptr<Image> image, const std::string& name)
{
    Actor* background = GetBackground();
    if (!background) {
        Screen::SetImage(std::move(image), name);
        return;
    }
    background->SetImage(std::move(image), name);
    ReFlattenBackground();
}

void WoppleScreen::PositionHelpButton()
{
    Actor* help = FindChild("helpButton", true);
    if (!help)
        return;
    Application* app = Application::GetInstance();
    help->SetAlignmentOffset(-5, app && app->IsFullScreen() ? 25 : 5);
}

bool WoppleScreen::OnDisplayChange(const EventRecord&)
{
    PositionHelpButton();
    return false;
}

bool WoppleScreen::OnScreenTransition(Event*)
{
    PositionHelpButton();
    return false;
}

// ---------------------------------------------------------------- notes

Script* WoppleScreen::StartPointOut(const std::string& scriptName)
{
    NoteManager* notes = GetNoteManager();
    VELK_ASSERT(notes != nullptr);
    Script* script = notes->RunScript(scriptName, "PointOut");
    VELK_ASSERT(script != nullptr);
    notes->AttachObserver(VELK_ACTORSCRIPTFINISHED, this);
    return script;
}

void WoppleScreen::PointOutScreen(const std::string& section)
{
    Script* script = StartPointOut("PointOutScreen");
    script->AddArgument(section);
    script->AddArgument(this);
}

void WoppleScreen::ToggleScreenHelp(const std::string& section)
{
    NoteManager* notes = GetNoteManager();
    if (notes && notes->IsNoteBubbleVisible())
        notes->DestroyNoteBubble();
    else
        PointOutScreen(section);
}

void WoppleScreen::HideNotes()
{
    if (NoteManager* notes = GetNoteManager()) {
        notes->StopScriptsWithTag("PointOut");
        notes->HideNoteBubble();
    }
}

std::string WoppleScreen::TipKey(const std::string& section, const std::string& tip)
{
    return (boost::format("%1%.%2%.shown") % section % tip).str();
}

bool WoppleScreen::IsTipShown(const std::string& section, const std::string& tip) const
{
    LuaObject options = CurrentPlayer().GetOptionsTable();
    return options.IsTable() && IsTrue(options[TipKey(section, tip).c_str()]);
}

void WoppleScreen::MarkTipShown(const std::string& section, const std::string& tip)
{
    LuaObject options = CurrentPlayer().GetOptionsTable();
    VELK_ASSERT(options.IsTable());
    options.SetBoolean(TipKey(section, tip).c_str(), true);
}

void WoppleScreen::PointOutOneThing(const std::string& section, const std::string& tip, int x, int y, bool markShown)
{
    if (IsTipShown(section, tip))
        return;
    GetNoteManager()->DestroyNoteBubble();
    Script* script = StartPointOut("PointOutOneThing");
    script->AddArgument(section);
    script->AddArgument(tip);
    script->AddArgument(x);
    script->AddArgument(y);
    if (markShown)
        MarkTipShown(section, tip);
}

void WoppleScreen::PointOutFormatted(const std::string& section, const std::string& tip, int x, int y,
                                     const std::string& argument, bool markShown)
{
    if (IsTipShown(section, tip))
        return;
    GetNoteManager()->DestroyNoteBubble();
    Script* script = StartPointOut("PointOutFormatted");
    script->AddArgument(section);
    script->AddArgument(tip);
    script->AddArgument(x);
    script->AddArgument(y);
    script->AddArgument(argument);
    if (markShown)
        MarkTipShown(section, tip);
}

void WoppleScreen::PointOutNoButtonOneThing(const std::string& section, const std::string& tip)
{
    if (IsTipShown(section, tip))
        return;
    Script* script = StartPointOut("PointOutNoButtonOneThing");
    script->AddArgument(section);
    script->AddArgument(tip);
}

void WoppleScreen::ClosePointOut(const std::string& section, const std::string& tip)
{
    MarkTipShown(section, tip);
    HideNotes();
}

// ---------------------------------------------------------------- milestones

bool WoppleScreen::ShowGameCompleteDialog(const std::string& key, bool force)
{
    LuaObject mode = CurrentPlayer().GetGameModeTable("Vevev");
    const std::string flag = key + ".shown";
    if (!force && mode.IsTable() && IsTrue(mode[flag.c_str()]))
        return false;
    StartDialog(new WoppleGameCompleteDialog(key), true);
    if (Application* app = Application::GetInstance())
        app->PauseGame(false);
    if (mode.IsTable())
        mode.SetBoolean(flag.c_str(), true);
    if (GameDataIO* io = GameDataIO::GetInstance())
        io->SaveAllPlayerData();
    return true;
}
