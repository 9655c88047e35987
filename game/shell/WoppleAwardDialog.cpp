#include "game/shell/WoppleAwardDialog.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/ui/Button.h"
#include "engine/ui/Label.h"
#include "engine/ui/ScreenManager.h"
#include "game/shell/WopplePlayer.h"

#include <boost/algorithm/string/replace.hpp>
#include <boost/format.hpp>

#include <memory>

namespace {

void NoHook(Class*) {}

Object* InstantiateAward(const LuaObject& params)
{
    std::unique_ptr<WoppleAwardDialog> dialog(new WoppleAwardDialog());
    dialog->ApplyProperties(params);
    dialog->OnPostSpawn();
    return dialog.release();
}

std::string StringOr(const LuaObject& value, const std::string& otherwise)
{
    return value.IsString() ? value.GetString() : otherwise;
}

// What the player has toward the award, or the stamp count when it is held.
std::string ProgressText(const LuaObject& award, const std::string& key)
{
    auto* player = dynamic_cast<WopplePlayer*>(PlayerManager::GetInstance()->GetCurrentPlayer(1));
    if (!player)
        return "";
    if (player->HasAward(key))
        return (boost::format("\nCongrats! (Stamp %d of 12)") % player->GetAchievementLevel("stamps")).str();
    return AwardProgressText(*player, award);
}

} // namespace

std::string AwardProgressText(WopplePlayer& player, const LuaObject& award)
{
    std::string text;
    LuaObject requirements = award["requirements"];
    if (!requirements.IsTable())
        return text;
    for (int k = 1; requirements[k].IsString(); ++k) {
        const std::int64_t n = player.GetAchievementLevel(requirements[k].GetString());
        LuaObject format = award[n == 1 ? "requirementFormatsSingular" : "requirementFormatsPlural"];
        if (format.IsTable() && format[k].IsString())
            text += boost::replace_all_copy(format[k].GetString(), "%1%", std::to_string(n));
    }
    return text;
}

namespace {

// StartAwardDialog(key) -> the dialog, on the current screen. The game goes on
// behind it, as after the rules' own.
int Script_StartAwardDialog(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        const std::string key = lua_type(L, 1) == LUA_TSTRING ? lua_tostring(L, 1) : "";
        auto dialog = std::make_unique<WoppleAwardDialog>(key);
        ScreenManager* screens = ScreenManager::GetInstance();
        Screen* screen = screens ? screens->GetCurrentScreen() : nullptr;
        VELK_ASSERT_MSG(screen, "There is no current screen to show a dialog on.");
        WoppleAwardDialog* shown = dialog.release();
        screen->StartDialog(shown, true);
        shown->GetLuaObject().Push(LuaState(L));
        return 1;
    });
}

ScriptFunctionRegistration s_StartAwardDialog(Script_StartAwardDialog, "StartAwardDialog");

} // namespace

VELK_REGISTER_CLASS(WoppleAwardDialog, "Dialog", NoHook, InstantiateAward);

WoppleAwardDialog::WoppleAwardDialog(const std::string& awardKey) : Dialog("WoppleAwardDialog", 0)
{
    SetName("WoppleAwardDialog");
    LuaObject award = ObjectLuaState().GetGlobal("WoppleAwardsList");
    if (award.IsTable())
        award = award[awardKey];
    VELK_ASSERT_MSG(award.IsTable(), (boost::format("No award \"%1%\" in WoppleAwardsList.") % awardKey).str());

    auto* name = dynamic_cast<Label*>(FindChild("stampName", true));
    if (name && award["fullName"].IsString())
        name->SetText(award["fullName"].GetString(), true);

    const std::string message = StringOr(award["description"], "") + ProgressText(award, awardKey);

    Actor* stamp = FindChild("stampImage", true);
    if (stamp) {
        LuaObject looks = award["visualProperties"];
        if (looks.IsTable())
            stamp->ApplyPropertyTable(looks);
        // Its own alignment places it, not the award screen's position.
        stamp->UpdateAlignment();
    }
    if (auto* text = dynamic_cast<Label*>(FindChild("Text", true))) {
        text->SetText(message, true);
        const int below = stamp ? stamp->GetY() + stamp->GetHeight() + kTextGap : 0;
        text->SetAlignmentOffset(0, below);
        text->UpdateAlignment();
    }

    CreateButtons(BUTTONS_OKAY);
    if (Button* okay = GetButton("OkayButton"))
        okay->SetPosition(okay->GetX(), okay->GetY() - kOkayRaise);
    RunScript("WoppleAwardDialog", "WoppleAwardDialog");
}

WoppleAwardDialog::~WoppleAwardDialog()
{
    try {
        StopScriptsWithTag("WoppleAwardDialog");
    } catch (...) {
        LogWrite("WARNING: WoppleAwardDialog::~WoppleAwardDialog: %s\n", CurrentExceptionMessage().c_str());
    }
}
