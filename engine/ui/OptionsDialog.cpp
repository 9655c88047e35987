#include "engine/ui/OptionsDialog.h"

#include "engine/core/ButtonTemplate.h"
#include "engine/core/Config.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/Font.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/ui/Button.h"
#include "engine/ui/CommonDialogs.h"
#include "engine/ui/CreditsDialog.h"
#include "engine/ui/Label.h"
#include "engine/ui/RadioButton.h"
#include "engine/ui/RadioButtonGrid.h"
#include "engine/ui/ScreenManager.h"
#include "engine/ui/Scrollbar.h"

#include <memory>

namespace {

// Rows below the top, 45 pixels apart.
constexpr int kMusicRow = 115;
constexpr int kSoundRow = 160;
constexpr int kScreenModeRow = 205;
constexpr int kAccelerationRow = 250;
constexpr int kGap = 10;
constexpr int kSkillCellWidth = 100;
constexpr int kSkillCellHeight = 35;
constexpr int kSkillSpacing = 10;
constexpr int kSkillFontSize = 18;

const char* const kSkills[] = {"kid", "casual", "gamer"};
const char* const kSkillTexts[] = {"Kid", "Casual", "Gamer"};
const int kSkillKeys[] = {'k', 'c', 'g'};

int ConfiguredNumber(const std::string& key, int defaultValue)
{
    Config* config = GetConfig();
    Variant value = config ? config->Retrieve(key) : Variant();
    return value.IsDouble() ? static_cast<int>(value.ToDouble()) : defaultValue;
}

bool ConfiguredFlag(const std::string& key)
{
    Config* config = GetConfig();
    Variant value = config ? config->Retrieve(key) : Variant();
    return value.IsBool() && value.ToBool();
}

Label* MakeFieldLabel(const std::string& name, const std::string& text)
{
    auto font = std::make_unique<Font>(ConfiguredFontFace("DialogFieldFont"), ConfiguredNumber("DialogFieldFontSize", 24), 0);
    auto label = std::make_unique<Label>(text, font.release(), DialogTextColor(), TEXTALIGN_CENTER);
    label->SetName(name);
    return label.release();
}

void CentreOn(Actor* actor, int x, int y)
{
    if (actor)
        actor->SetPosition(x - actor->GetWidth() / 2, y - actor->GetHeight() / 2);
}

// The options table of current player 1, or nil.
LuaObject CurrentPlayerOptions()
{
    PlayerManager* players = PlayerManager::GetInstance();
    Player* player = players ? players->GetCurrentPlayer(1) : nullptr;
    if (!player)
        return LuaObject();
    LuaObject options = player->GetTable()["Options"];
    return options.IsTable() ? options : LuaObject();
}

} // namespace

OptionsDialog::OptionsDialog() : Dialog("bkgDialogLarge.png", 0)
{
    SetName("OptionsDialog");
    CreateTitle("Options", -1);
    CreateButtons(BUTTONS_OKAY);

    m_Column = GetWidth() / 2 - ConfiguredNumber("DialogXAlign", 60);
    m_Top = ConfiguredNumber("DialogYAlign", 20);

    // The labels end 10 pixels left of the column, centred on their rows.
    struct Row
    {
        const char* name;
        const char* text;
        int offset;
    };
    const Row rows[] = {{"MusicVolume", "Music Volume:", kMusicRow},
                        {"SoundEffects", "Sound Effects:", kSoundRow},
                        {"ScreenMode", "Screen Mode:", kScreenModeRow},
                        {"3DAcceleration", "Acceleration:", kAccelerationRow}};
    for (const Row& row : rows) {
        Label* label = MakeFieldLabel(row.name, row.text);
        label->SetPosition(m_Column - kGap - label->GetWidth(), m_Top + row.offset - label->GetHeight() / 2);
        AddChild(label);
    }

    // The volumes write their settings as they are dragged and follow them.
    auto music = std::make_unique<Scrollbar>(0, 0, 100);
    music->SetName("MusicVolumeScrollbar");
    music->BindValue(std::make_unique<ConfigDataBinder>("music_volume"));
    music->SetPlayScrollSound(false);
    music->SetPosition(m_Column + kGap, m_Top + kMusicRow - music->GetHeight() / 2);
    AddChild(music.release());
    auto sound = std::make_unique<Scrollbar>(0, 0, 100);
    sound->SetName("SoundEffectsScrollbar");
    sound->BindValue(std::make_unique<ConfigDataBinder>("sfx_volume"));
    sound->SetPosition(m_Column + kGap, m_Top + kSoundRow - sound->GetHeight() / 2);
    const int switchLeft = sound->GetX() + sound->GetWidth() / 2 + 20;
    AddChild(sound.release());

    // The two switches, and their state labels centred in the room before them.
    const std::string buttonFace = ConfiguredFontFace("ButtonFont");
    const int buttonSize = ConfiguredNumber("ButtonFontSize", 26);
    struct Switch
    {
        const char* name;
        const char* label;
        int key;
        int offset;
    };
    for (const Switch& each : {Switch{"FullScreenButton", "DisplayLabel", 's', kScreenModeRow},
                               Switch{"3DAccelerationButton", "3DAccelerationLabel", 'a', kAccelerationRow}}) {
        std::unique_ptr<Button> button(
            Button::Make("Button.small.png", "Switch", buttonFace, buttonSize, 0, 0, each.name, this));
        button->SetShortcutKey(each.key);
        button->SetPosition(switchLeft, m_Top + each.offset - button->GetHeight() / 2);
        AddChild(button.release());
        AddChild(MakeFieldLabel(each.label, " "));
    }
    m_StateLabelX = (m_Column + kGap + switchLeft) / 2;

    // The credits in the lower right corner, beside Okay: 32 pixels in from the
    // right edge, so that it stays on the paper.
    std::unique_ptr<Button> credits(
        Button::MakeFromTemplate(ButtonTemplateRegistration::Find("OkayButton").front(), this));
    credits->SetName("CreditsButton");
    credits->SetText("Credits");
    credits->SetShortcutKey('c');
    credits->SetPosition(GetWidth() - 32 - credits->GetWidth(), GetHeight() - 35 - credits->GetHeight());
    AddChild(credits.release());

    // The skill, three radio buttons in a row under "Set Skill".
    const int gridWidth = 3 * (kSkillCellWidth + kSkillSpacing) - kSkillSpacing;
    std::unique_ptr<RadioButtonGrid> grid(RadioButtonGrid::Make(
        "", GetWidth() / 2 - gridWidth / 2, GetHeight() / 2 + 100 - kSkillCellHeight / 2, 1, 3, 1, kSkillCellWidth,
        kSkillCellHeight, 0, 0, kSkillSpacing, kSkillSpacing));
    grid->SetName("Grid");
    grid->SetLabelFont(buttonFace, kSkillFontSize, Colors::Black);
    grid->AddHeaderLabel("Set Skill", ConfiguredFontFace("DialogFieldFont"), ConfiguredNumber("DialogFieldFontSize", 24),
                         DialogTextColor());
    for (int column = 1; column <= 3; ++column) {
        RadioButton* radio = grid->AddTextRadioButton(kSkills[column - 1], kSkillTexts[column - 1], "Button.small.png",
                                                      buttonFace, kSkillFontSize, kSkillKeys[column - 1],
                                                      "boxCheck.png", 4, 3, column, 1);
        // The grid's cells are the radio buttons' parents: their clicks come here.
        if (radio)
            radio->AddToGroup(this);
    }
    AddChild(grid.release());

    if (Config* config = GetConfig()) {
        config->AttachObserver(this, "full_screen");
        config->AttachObserver(this, "use_3d_acceleration");
    }
    UpdateControls();
}

OptionsDialog::~OptionsDialog()
{
    try {
        if (Config* config = GetConfig()) {
            config->DetachObserver(this, "use_3d_acceleration");
            config->DetachObserver(this, "full_screen");
        }
    } catch (...) {
        LogWrite("WARNING: OptionsDialog::~OptionsDialog: could not stop observing the settings\n");
    }
}

RadioButtonGrid* OptionsDialog::GetSkillGrid() const
{
    return dynamic_cast<RadioButtonGrid*>(FindChild("Grid", false));
}

void OptionsDialog::UpdateControls()
{
    if (auto* display = dynamic_cast<Label*>(FindChild("DisplayLabel", false))) {
        display->SetText(ConfiguredFlag("full_screen") ? "Full Screen" : "Window", true);
        CentreOn(display, m_StateLabelX, m_Top + kScreenModeRow);
    }
    if (auto* acceleration = dynamic_cast<Label*>(FindChild("3DAccelerationLabel", false))) {
        Application* app = Application::GetInstance();
        acceleration->SetText(app && app->IsHWAccelEnabled() ? "On" : "Off", true);
        CentreOn(acceleration, m_StateLabelX, m_Top + kAccelerationRow);
    }
    if (auto* dictionary = dynamic_cast<Label*>(FindChild("DictionaryLabel", false))) {
        Config* config = GetConfig();
        Variant name = config ? config->Retrieve("dictionary.name") : Variant();
        dictionary->SetText(PlainLabelText(name.IsString() ? name.ToString() : std::string()), true);
    }
    if (RadioButtonGrid* grid = GetSkillGrid()) {
        LuaObject skill = CurrentPlayerOptions();
        skill = skill.IsTable() ? skill["player.skill"] : LuaObject();
        grid->SelectButton(skill.IsString() ? skill.GetString() : std::string("casual"));
    }
}

bool OptionsDialog::OnButtonClick(const EventRecord& event)
{
    auto* button = static_cast<Actor*>(event.user.data1);
    const std::string name = button ? button->GetName() : std::string();
    if (name == "CreditsButton" && button->GetParent() == this) {
        ScreenManager* screens = ScreenManager::GetInstance();
        Screen* screen = screens ? screens->GetCurrentScreen() : nullptr;
        if (screen)
            screen->StartDialog(new CreditsDialog(), true);
        return true;
    }
    if (name == "FullScreenButton" && button->GetParent() == this) {
        if (Application* app = Application::GetInstance())
            app->RequestFullScreenToggle();
        RequireCoreHost().PostEvent(nullptr, MakeEventRecord(VELK_VALUECHANGE));
        return true;
    }
    if (name == "3DAccelerationButton" && button->GetParent() == this) {
        if (Application* app = Application::GetInstance())
            app->EnableHWAccel(!app->IsHWAccelEnabled());
        return Dialog::OnButtonClick(event);
    }
    for (const char* skill : kSkills) {
        if (name != skill || !GetSkillGrid() || !GetSkillGrid()->HasChild(button, true))
            continue;
        LuaObject options = CurrentPlayerOptions();
        if (options.IsTable())
            options.SetString("player.skill", name);
        UpdateControls();
        return true;
    }
    return Dialog::OnButtonClick(event);
}

bool OptionsDialog::OnConfigUpdate(const EventRecord&)
{
    UpdateControls();
    return false;
}

bool OptionsDialog::OnValueChange(const EventRecord&)
{
    UpdateControls();
    return false;
}

bool OptionsDialog::OnResetWindow(const EventRecord&)
{
    UpdateControls();
    return false;
}
