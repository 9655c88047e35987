#include "game/rules/WoppleGameMessages.h"

#include "engine/core/Config.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/Script.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/ui/Actor.h"
#include "game/rules/WoppleGameLogic.h"
#include "game/rules/WoppleTalkingCharacter.h"

#include <unordered_map>

namespace {

constexpr WoppleSpeakerGroup NOBODY = WOPPLE_SPEAKER_NOBODY;
constexpr WoppleSpeakerGroup GIRL = WOPPLE_SPEAKER_GIRL;
constexpr WoppleSpeakerGroup CHERUB = WOPPLE_SPEAKER_CHERUB;

// In number order; 31 has no message.
const WoppleMessageInfo kMessages[] = {
    {1, "AI_RECEIVED_CELL_PIRATE", CHERUB},
    {2, "AI_RECEIVED_CELL_TREASURE", CHERUB},
    {3, "ASK_ABOUT_IMMEDIATE_FREE_SPIN_USAGE", CHERUB},
    {4, "ASK_ABOUT_PLAYING_AGAIN", GIRL},
    {5, "ASK_PIRATE_ABOUT_TREASURE_GAME", NOBODY},
    {6, "BUY_OR_CASH_OUT", CHERUB},
    {7, "BUY_OR_USE_FREE_SPIN", CHERUB},
    {8, "BUY_OR_USE_FREE_SPIN_OR_CASH_OUT", CHERUB},
    {9, "CHERUB_DOUBLED_SCORE", GIRL},
    {10, "CHERUB_SCARED_AWAY_DEVIL", GIRL},
    {11, "CLICK_ON_NUMBER", GIRL},
    {12, "DEVIL_MAY_TAKE_POINTS", GIRL},
    {13, "DEVIL_PROTECTION_ACQUIRED", GIRL},
    {14, "DEVIL_PROTECTION_USED", GIRL},
    {15, "DEVIL_TOOK_POINTS", GIRL},
    {16, "DID_NOT_COMPLETE_LEVEL", GIRL},
    {17, "FOUND_FREE_SPIN", GIRL},
    {18, "FOUND_GOLD_COIN", GIRL},
    {19, "FOUND_SECRET_KEY", GIRL},
    {20, "GOT_FIRST_ONE", GIRL},
    {21, "GREAT_JOB", GIRL},
    {22, "GREAT_TURN", GIRL},
    {23, "HUMAN_RECEIVED_CELL_PIRATE", CHERUB},
    {24, "HUMAN_RECEIVED_CELL_TREASURE", CHERUB},
    {25, "JOKER_BONUS_ACQUIRED", GIRL},
    {26, "KEEP_OR_PASS_PIRATE_OR_TREASURE", CHERUB},
    {27, "LEVEL_INTRO", GIRL},
    {28, "MULTIPLIED_JOKER_BONUS_ACQUIRED", GIRL},
    {29, "NO_MATCHES", GIRL},
    {30, "PATTERN_COMPLETED", GIRL},
    {32, "PIRATE_WILL_USE_FREE_SPIN_LATER", NOBODY},
    {33, "PIRATE_WILL_USE_FREE_SPIN_NOW", NOBODY},
    {34, "PIRATES_FORTUNE_GAME_DESCRIPTION", NOBODY},
    {35, "PIRATES_FORTUNE_PIRATE_INTRO", NOBODY},
    {36, "PROMPT_FOR_CELL_JOKER_USAGE", GIRL},
    {37, "PROMPT_FOR_SUPER_JOKER_USAGE", GIRL},
    {38, "SCORE_MULTIPLIER_CELL_FOUND", GIRL},
    {39, "WOPPLE_VISION_ACQUIRED", GIRL},
    {40, "WOPPLE_VISION_RAN_OUT", GIRL},
    {41, "TIME_RAN_OUT", GIRL},
    {42, "WOW", GIRL},
    {43, "BUTTERFLY_WOPPLE", GIRL},
    {44, "GOT_FIRST_WOPPLE", GIRL},
    {45, "YOU_CAN_DO_IT", GIRL},
    {46, "WAIT_FOR_TURN", NOBODY},
    {47, "AI_REACTS_CELL_TREASURE", NOBODY},
    {48, "AI_REACTS_CELL_PIRATE", NOBODY},
    {49, "PIRATE_FORTUNE_YOU_WON", NOBODY},
    {50, "PIRATE_FORTUNE_PIRATE_WON", NOBODY},
    {51, "BONUS_FROG", GIRL},
    {52, "PIRATE_YAR", NOBODY},
    {53, "PIRATE_STOP_CLICKING", NOBODY},
    {54, "AI_REACTS_PLAYER_GOT_TREASURE", NOBODY},
    {55, "AI_REACTS_PLAYER_GOT_DEVIL", NOBODY},
    {56, "GOT_FIRST_SUPER_WOPPLE", GIRL},
    {57, "GOT_FIRST_BOUNCE_WOPPLE", GIRL},
    {58, "CLICK_GIRL_CHERUB", GIRL},
};

const WoppleMessageButton kYes{"Yes", "YesButton", 'y'};
const WoppleMessageButton kNo{"No", "NoButton", 'n'};
const WoppleMessageButton kReplay{"Replay", "ReplayButton", 'r'};
const WoppleMessageButton kQuit{"Quit", "QuitButton", 'q'};
const WoppleMessageButton kBuy{"Buy", "buyButton", 'b'};
const WoppleMessageButton kCashOut{"Cash Out", "cashOutButton", 'c'};
const WoppleMessageButton kFree{"Free", "useFreeSpinButton", 'f'};
const WoppleMessageButton kOpen{"Open", "openButton", 'o'};
const WoppleMessageButton kPass{"Pass", "passButton", 'p'};

Actor* ActorOf(WoppleTalkingCharacter* speaker)
{
    return speaker ? speaker->GetCharacterActor() : nullptr;
}

bool IsVisible(WoppleTalkingCharacter* speaker)
{
    Actor* actor = ActorOf(speaker);
    return actor && actor->IsVisible();
}

void Ask(WoppleTalkingCharacter* speaker, const std::string& text, const WoppleMessageButton& first,
         const WoppleMessageButton& second, Object* listener)
{
    speaker->SayWithButtons(text, first.text, first.name, first.key, second.text, second.name, second.key, listener,
                            0, "White");
}

// A script on the speaker; the caller adds its arguments.
Script* RunOnSpeaker(WoppleTalkingCharacter* speaker, const std::string& script, const std::string& tag)
{
    Actor* actor = ActorOf(speaker);
    VELK_ASSERT_MSG(actor != 0, "The message needs its speaker.");
    return actor->RunScript(script, tag);
}

} // namespace

std::string WoppleGameMessages::CurrentPlayerName()
{
    PlayerManager* players = PlayerManager::GetInstance();
    Player* player = players ? players->GetCurrentPlayer(1) : nullptr;
    if (!player)
        return std::string();
    LuaObject name = player->GetTable().GetByName("Name");
    return name.IsString() ? name.GetString() : std::string();
}

WoppleGameMessages::WoppleGameMessages(WoppleGameLogic& logic) : m_Logic(logic) {}

void WoppleGameMessages::SetCharacters(WoppleTalkingCharacter* girl, WoppleTalkingCharacter* cherub)
{
    m_Girl = girl;
    m_Cherub = cherub;
}

int WoppleGameMessages::GetMessageId(const std::string& name)
{
    static const std::unordered_map<std::string, int> ids = [] {
        std::unordered_map<std::string, int> map;
        for (const WoppleMessageInfo& info : kMessages)
            map.emplace(info.name, info.id);
        return map;
    }();
    auto it = ids.find(name);
    return it == ids.end() ? 0 : it->second;
}

const WoppleMessageInfo* WoppleGameMessages::FindMessage(int id)
{
    for (const WoppleMessageInfo& info : kMessages)
        if (info.id == id)
            return &info;
    return nullptr;
}

std::string WoppleGameMessages::GetMessageFormat(int id)
{
    const WoppleMessageInfo* info = FindMessage(id);
    return info ? GameString(std::string("message.") + info->name) : std::string();
}

std::string WoppleGameMessages::FormatMessageText(const std::string& format, const std::string& text1,
                                                  const std::string& text2, const std::string& text3)
{
    // Not boost::format: a caller's text that holds "%" must come out as it is.
    std::string out;
    out.reserve(format.size() + text1.size() + text2.size() + text3.size());
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            out += '%';
            ++i;
        } else if (i + 2 < format.size() && format[i + 2] == '%' && format[i + 1] >= '1' && format[i + 1] <= '3') {
            const std::string* texts[] = {&text1, &text2, &text3};
            out += *texts[format[i + 1] - '1'];
            i += 2;
        } else {
            out += '%';
        }
    }
    return out;
}

WoppleTalkingCharacter* WoppleGameMessages::SayGameMessage(int id, Object* listener, const std::string& text1,
                                                           const std::string& text2, const std::string& text3)
{
    WoppleTalkingCharacter* speaker = GetSpeakerForMessage(id);
    ShowSpeaker(id, speaker);
    PresentMessage(id, speaker, listener, text1, text2, text3);
    AnimateSpeaker(id, speaker);
    return speaker;
}

WoppleTalkingCharacter* WoppleGameMessages::GetSpeakerForMessage(int id)
{
    const WoppleMessageInfo* info = FindMessage(id);
    if (!info)
        return nullptr;
    switch (info->speaker) {
    case WOPPLE_SPEAKER_GIRL: return m_Girl;
    case WOPPLE_SPEAKER_CHERUB: return m_Cherub;
    default: return nullptr;
    }
}

void WoppleGameMessages::ShowSpeaker(int, WoppleTalkingCharacter* speaker)
{
    if (!speaker || speaker != m_Cherub)
        return;
    Actor* cherub = ActorOf(speaker);
    if (!cherub)
        return;
    cherub->StopScriptsWithTag("PopIn");
    if (!cherub->IsVisible())
        cherub->RunScript("GuyCherubPopOut", "GuyCherubPopOut");
}

void WoppleGameMessages::PresentMessage(int id, WoppleTalkingCharacter* speaker, Object* listener,
                                        const std::string& text1, const std::string& text2, const std::string& text3)
{
    // A layout without that character: the message is simply not said.
    if (!speaker)
        return;
    const std::string text = FormatMessageText(GetMessageFormat(id), text1, text2, text3);
    auto bubble = [&] { speaker->Say(text, kBubbleDurationMs, "White", 0, 0); };
    auto rootScript = [&](const char* script) {
        Actor* root = m_Logic.GetRootActor();
        if (!root)
            return;
        root->RunScript(script, "Speaking")->AddArgument(ActorOf(speaker));
    };
    auto observedScript = [&](const char* script, bool withPlayerName) {
        Script* s = RunOnSpeaker(speaker, script, "Babble");
        if (withPlayerName)
            s->AddArgument(WoppleGameMessages::CurrentPlayerName());
        if (listener)
            ActorOf(speaker)->AttachObserver(VELK_ACTORSCRIPTFINISHED, listener);
    };
    auto script = [&](const char* name, const char* tag) { RunOnSpeaker(speaker, name, tag); };

    switch (id) {
    case 1: observedScript("AIReceivesCellPirateMessage", false); break;
    case 2: observedScript("AIReceivesCellTreasureMessage", false); break;
    case 3: Ask(speaker, text, kYes, kNo, listener); break;
    case 4: Ask(speaker, text, kReplay, kQuit, listener); break;
    case 6: Ask(speaker, text, kBuy, kCashOut, listener); break;
    case 7: Ask(speaker, text, kBuy, kFree, listener); break;
    case 8:
        speaker->SayWithThreeButtons(text, kBuy.text, kBuy.name, kBuy.key, kCashOut.text, kCashOut.name, kCashOut.key,
                                     kFree.text, kFree.name, kFree.key, listener, 0, "White");
        break;
    case 9: rootScript("SayCHERUB_DOUBLED_SCORE"); break;
    case 10:
    case 12:
    case 14:
    case 15: bubble(); break;
    case 13: rootScript("SayDEVIL_PROTECTION_ACQUIRED"); break;
    case 16: script("SayDidNotCompleteLevel", "Speaking"); break;
    case 17: rootScript("SayFOUND_FREE_SPIN"); break;
    case 18: rootScript("SayFOUND_GOLD_COIN"); break;
    case 19: rootScript("SayFOUND_SECRET_KEY"); break;
    case 20: script("SayGotFirstOne", "Speaking"); break;
    case 21: rootScript("SayGREAT_JOB"); break;
    case 22: rootScript("SayGREAT_TURN"); break;
    case 23: observedScript("HumanReceivesCellPirateMessage", true); break;
    case 24: observedScript("HumanReceivesCellTreasureMessage", true); break;
    case 25:
    case 28: RunOnSpeaker(speaker, "SayJOKER_BONUS_ACQUIRED", "Babble")->AddArgument(text); break;
    case 26: Ask(speaker, text, kOpen, kPass, listener); break;
    case 27: {
        LuaObject introScript = m_Logic.RetrieveProperty("levelIntroCharacterScript");
        LuaObject introText = m_Logic.RetrieveProperty("levelIntroCharacterText");
        if (introScript.IsString())
            script(introScript.GetString().c_str(), "Speaking");
        else if (introText.IsString())
            RunOnSpeaker(speaker, "SayLevelIntroCharacterText", "Speaking")->AddArgument(introText.GetString());
        else if (IsVisible(speaker))
            script("SayGOODLUCK", "Speaking");
        break;
    }
    case 29: script("SayNoMatches", "Speaking"); break;
    case 30: script("SayPATTERN_COMPLETED", "Speaking"); break;
    case 36: script("SayCellJoker", "Speaking"); break;
    case 37: script("SaySuperJoker", "Speaking"); break;
    case 38: rootScript("SaySCORE_MULTIPLIER_CELL_FOUND"); break;
    case 39: rootScript("SayWOPPLE_VISION_ACQUIRED"); break;
    case 40: rootScript("SayWOPPLE_VISION_RAN_OUT"); break;
    case 41: script("SayTIME_RAN_OUT", "Babble"); break;
    case 42: rootScript("SayWOW"); break;
    case 43: script("SayBUTTERFLY_WOPPLE", "Speaking"); break;
    case 44: script("SayGotFirstWopple", "Speaking"); break;
    case 45: script("SayYOU_CAN_DO_IT", "Speaking"); break;
    case 51: script("SayBONUS_FROG", "Speaking"); break;
    case 56: script("SayGotFirstSuperWopple", "Speaking"); break;
    case 57: script("SayGotFirstBounceWopple", "Speaking"); break;
    case 58: script("SayCLICKEDME", "Speaking"); break;
    default: break;  // 5, 11, 31-35, 46-50, 52-55: nothing in the base rules
    }
}

void WoppleGameMessages::AnimateSpeaker(int id, WoppleTalkingCharacter* speaker)
{
    Actor* actor = ActorOf(speaker);
    if (!actor)
        return;
    if (speaker == m_Cherub) {
        actor->RunScript("Babble", "Babble");
        return;
    }
    if (speaker != m_Girl || !actor->IsVisible())
        return;
    const char* reaction = nullptr;
    switch (id) {
    case 10:
    case 14: reaction = "GirlGiggle"; break;
    case 12: reaction = "GirlScared"; break;
    case 15: reaction = "GirlCry"; break;
    default: break;
    }
    if (reaction)
        actor->RunScript(reaction, reaction);
}

void WoppleGameMessages::KillMessage(int id, Object* listener)
{
    WoppleTalkingCharacter* speaker = GetSpeakerForMessage(id);
    Actor* actor = ActorOf(speaker);
    if (speaker && speaker == m_Cherub) {
        speaker->CloseBubble();
        if (actor) {
            actor->StopScriptsWithTag("Babble");
            actor->RunScript("GuyCherubPopIn", "PopIn");
        }
    }
    switch (id) {
    case 1:
    case 2:
    case 23:
    case 24:
    case 47:
    case 48:
        if (actor && listener)
            actor->DetachObserver(VELK_ACTORSCRIPTFINISHED, listener);
        break;
    case 3:
    case 36:
    case 37:
        if (speaker)
            speaker->CloseBubble();
        break;
    case 12:
        if (actor)
            actor->StopScriptsWithTag("GirlScared");
        break;
    default: break;
    }
}

std::string ReadGameText(const std::string& key)
{
    Config* config = GetConfig();
    if (!config)
        return std::string();
    LuaObject value = config->GetLuaValue(key);
    if (value.IsString())
        return value.GetString();
    if (!value.IsNil())
        LogWrite("WARNING: The text \"%s\" is not a string.\n", key.c_str());
    return std::string();
}

std::string GameString(const std::string& key)
{
    LuaObject strings = ObjectLuaState().GetGlobal("GameStrings");
    if (!strings.IsTable())
        return std::string();
    LuaObject value = strings.GetByName(key.c_str());
    return value.IsString() ? value.GetString() : std::string();
}
