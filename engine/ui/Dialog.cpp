#include "engine/ui/Dialog.h"

#include "engine/core/ButtonTemplate.h"
#include "engine/core/Config.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/TypeConversion.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/Font.h"
#include "engine/ui/Button.h"
#include "engine/ui/Label.h"
#include "engine/ui/ParticleEmitter.h"
#include "engine/ui/ScreenManager.h"

#include <SDL.h>

#include <algorithm>
#include <memory>

namespace {

constexpr int kDialogZOrder = 255;
constexpr int kKeyTipLayerZOrder = 1005;
constexpr int kParticleManagerZOrder = 1000;
constexpr int kTitleTop = 32;
constexpr int kLowerButtonSpacing = 32;

// The actor a handle holds, or null once it is gone or going.
template <typename T>
T* Held(const LuaObject& handle)
{
    auto* object = dynamic_cast<T*>(Object::FromLuaObject(handle));
    return object && !object->IsBeingDestroyed() ? object : nullptr;
}

int ConfiguredInteger(const std::string& key, int defaultValue)
{
    Config* config = GetConfig();
    Variant value = config ? config->Retrieve(key) : Variant();
    return value.IsDouble() ? static_cast<int>(value.ToDouble()) : defaultValue;
}

// The engine's button record of that template name and label.
const ButtonTemplate& FindButtonTemplate(const char* templateName, const char* label)
{
    for (const ButtonTemplate& record : ButtonTemplateRegistration::GetAll())
        if (std::string(record.templateName) == templateName && std::string(record.label) == label)
            return record;
    VELK_THROW(Exception, (boost::format("There is no button template \"%1%\" labelled \"%2%\".") % templateName %
                           label)
                              .str());
}

Dialog* RequireDialog(lua_State* L, int index)
{
    return RequireScriptObject<Dialog>(L, index, "a dialog");
}

int Script_PostDialogStopped(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireDialog(L, 1)->Close();
        return 0;
    });
}

int Script_StartParticleEmitter(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        Dialog* dialog = RequireDialog(L, 1);
        LuaState state(L);
        const std::string resource = ReadStringFromObject(LuaObject(state, 2));
        Point<int> at(LuaObject(state, 3));
        ParticleEmitter* emitter = dialog->StartParticleEmitter(resource, at.x, at.y);
        emitter->GetLuaObject().Push(state);
        return 1;
    });
}

} // namespace

// ---------------------------------------------------------------- registration

void DialogClassHook(Class* c)
{
    for (const char* name : {"title", "titleAlignmentOffset"}) {
        c->RegisterPropertyGetter(MakeNamedProperty(name));
        c->RegisterPropertySetter(MakeNamedProperty(name));
    }
    auto intro = MemberOf(&Dialog::m_IntroScriptName);
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_STRING, intro, "introScriptName"));
    c->RegisterPropertySetter(CreatePropertyAccessor(TYPE_STRING, intro, "introScriptName"));
    auto exit = MemberOf(&Dialog::m_ExitAndDestroyScriptName);
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_STRING, exit, "exitAndDestroyScriptName"));
    c->RegisterPropertySetter(CreatePropertyAccessor(TYPE_STRING, exit, "exitAndDestroyScriptName"));
    c->RegisterPropertyGetter(
        PropertyAccessor::CreateScriptFunctionGetter("PostDialogStopped", Script_PostDialogStopped));
    c->RegisterPropertySetter(PropertyAccessor::CreateScriptFunctionSetter("PostDialogStopped"));
    c->RegisterPropertyGetter(
        PropertyAccessor::CreateScriptFunctionGetter("StartParticleEmitter", Script_StartParticleEmitter));
    c->RegisterPropertySetter(PropertyAccessor::CreateScriptFunctionSetter("StartParticleEmitter"));
}

VELK_REGISTER_CLASS(Dialog, "Actor", DialogClassHook, InstantiateObjectOfClass<Dialog>);

// ---------------------------------------------------------------- life

Dialog::Dialog(std::uint32_t flags) : m_DialogFlags(flags)
{
    Construct();
}

Dialog::Dialog(const std::string& resourceName, std::uint32_t flags) : Actor(resourceName), m_DialogFlags(flags)
{
    Construct();
}

void Dialog::Construct()
{
    SetZOrder(kDialogZOrder);
    // A dialog answers while the game is paused, and so do its children.
    SetFlags(GetFlags() | ACTORFLAG_UPDATE_WHILE_PAUSED);
    EnsureKeyTipLayer();
}

Dialog::~Dialog()
{
    try {
        // Nothing of the dialog's own may run on once it is gone.
        StopAllScripts();
        m_ExitScript = nullptr;
        m_EmitterGroup.Clear();
        m_LowerButtons.clear();
    } catch (...) {
        LogWrite("WARNING: Dialog::~Dialog: could not stop the dialog's scripts\n");
    }
}

void Dialog::EnsureKeyTipLayer()
{
    if (!RetrieveProperty("keyTipLayer").IsNil())
        return;
    auto layer = std::make_unique<Actor>();
    layer->SetName("DialogKeyTipLayer");
    layer->SetZOrder(kKeyTipLayerZOrder);
    Actor* raw = layer.get();
    AddChild(layer.release());
    StoreProperty("keyTipLayer", raw->GetLuaObject());
}

Actor* Dialog::GetKeyTipLayer() const
{
    return dynamic_cast<Actor*>(Object::FromLuaObject(const_cast<Dialog*>(this)->RetrieveProperty("keyTipLayer")));
}

// ---------------------------------------------------------------- events

bool Dialog::OnEvent(const EventRecord& event)
{
    const bool handled = Actor::OnEvent(event);
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_JOYAXISMOTION:
    case SDL_JOYBALLMOTION:
        return true;
    default:
        return handled;
    }
}

bool Dialog::OnButtonClick(const EventRecord& event)
{
    auto* button = static_cast<Actor*>(event.user.data1);
    if (!button || button->GetParent() != this)
        return false;
    // Stopped already: the answer the owner will read is the one that stopped it.
    if (m_Stopping)
        return true;
    if (auto* asButton = dynamic_cast<Button*>(button))
        m_ResultButton = asButton->GetLuaObject();
    const LuaObject closes = button->RetrieveProperty("buttonClosesDialog");
    if (closes.IsBoolean() && closes.GetBoolean()) {
        auto* screen = dynamic_cast<Screen*>(GetParent());
        if (!screen)
            VELK_THROW(Exception, AssertionText("dynamic_cast<_leftT>(var) != 0"));
        screen->StopDialog(this);
    }
    return true;
}

bool Dialog::OnScreenTransition(Event* event)
{
    auto* transition = dynamic_cast<ScreenTransitionEvent*>(event);
    // A dialog half way out of a screen that is left would wait there for the
    // player's return, its owner unanswered and the game perhaps paused: it
    // finishes leaving now.
    if (transition && m_Stopping && !m_Closed && transition->oldScreen && transition->oldScreen != transition->newScreen &&
        transition->oldScreen == GetScreen() && !IsBeingDestroyed()) {
        StopScriptsWithTag("placement");
        if (m_ExitScript)
            StopScript(m_ExitScript);
        m_ExitScript = nullptr;
        CloseAndDestroy();
    }
    // Every child of every screen hears of the switch.
    return false;
}

// ---------------------------------------------------------------- intro and exit

void Dialog::StartIntro()
{
    if (auto* screen = dynamic_cast<Screen*>(GetParent()))
        m_Screen = screen->GetLuaObject();
    if (!Script::IsANamedScript(m_IntroScriptName))
        return;
    SetVisible(false);
    RunScript(m_IntroScriptName, "placement");
}

void Dialog::StartExit()
{
    if (m_Stopping)
        return;
    m_Stopping = true;
    if (!Script::IsANamedScript(m_ExitAndDestroyScriptName)) {
        CloseAndDestroy();
        return;
    }
    StopScriptsWithTag("placement");
    m_ExitScript = RunScript(m_ExitAndDestroyScriptName, std::string());
}

void Dialog::CloseAndDestroy()
{
    Close();
    Destroy();
}

void Dialog::Close()
{
    m_Closed = true;
    SendEvent(nullptr, VELK_DIALOGSTOPPED, 0, static_cast<Actor*>(this), nullptr);
}

void Dialog::Destroy()
{
    if (IsBeingDestroyed())
        return;
    // Its screen is taking it down while the exit script runs: the owner still
    // hears the answer, once.
    if (m_Stopping && !m_Closed)
        Close();
    Actor* parent = GetParent();
    Screen* screen = GetScreen();
    Actor::Destroy();
    // A screen that destroys its children has already let go of this one; a
    // dialog that was never shown has no screen to tell.
    if (Actor* told = parent ? parent : screen)
        SendEvent(told, VELK_DIALOGDELETE, 0, static_cast<Actor*>(this), nullptr);
}

Screen* Dialog::GetScreen() const
{
    return Held<Screen>(m_Screen);
}

// ---------------------------------------------------------------- update

void Dialog::Update()
{
    if (ParticleManager* particles = GetParticleManager())
        particles->Update();
    m_EmitterGroup.UpdateMembers();
    Actor::Update();
}

// ---------------------------------------------------------------- properties

void Dialog::ApplyClassicProperty(const std::string& name, const LuaObject& value)
{
    if (name == "title") {
        CreateTitle(ReadStringFromObject(value), -1);
        MoveTitleBy(m_TitleAlignmentOffset);
    } else if (name == "titleAlignmentOffset") {
        m_TitleAlignmentOffset = Point<int>(value);
        MoveTitleBy(m_TitleAlignmentOffset);
    } else {
        Actor::ApplyClassicProperty(name, value);
    }
}

void Dialog::StoreProperties(LuaObject& table)
{
    Actor::StoreProperties(table);
    if (Label* title = GetTitle())
        table.SetString("title", title->GetText());
    LuaObject offset;
    m_TitleAlignmentOffset.StoreAsLuaObject(offset, table.GetState());
    table.SetObject("titleAlignmentOffset", offset);
}

void Dialog::MoveTitleBy(const Point<int>& offset)
{
    if (Label* title = GetTitle())
        title->SetPosition(title->GetX() + offset.x, title->GetY() + offset.y);
}

// ---------------------------------------------------------------- children

void Dialog::AddChild(Actor* child, const std::string& name)
{
    // "lowerbutton" is a role, not a name: the button keeps its own, which is
    // what owners read.
    Actor::AddChild(child, name == "lowerbutton" ? std::string() : name);
    if (name == "lowerbutton") {
        LuaObject yes;
        yes.AssignBoolean(ObjectLuaState(), true);
        child->ApplyProperty("buttonClosesDialog", yes);
        m_LowerButtons.push_back(child->GetLuaObject());
        LayOutLowerButtons();
    } else if (name == "title") {
        if (Label* old = GetTitle(); old && old != child)
            DestroyChild(old);
        m_Title = child->GetLuaObject();
        const int x = (GetWidth() >> 1) - (child->GetWidth() >> 1);
        child->SetPosition(x, kTitleTop);
    }
}

Label* Dialog::GetTitle() const
{
    auto* title = Held<Label>(m_Title);
    return title && title->GetParent() == this ? title : nullptr;
}

std::vector<Button*> Dialog::GetLowerButtons() const
{
    std::vector<Button*> buttons;
    for (const LuaObject& handle : m_LowerButtons)
        if (auto* button = Held<Button>(handle); button && button->GetParent() == this)
            buttons.push_back(button);
    return buttons;
}

void Dialog::ForgetLowerButton(const Actor* button)
{
    m_LowerButtons.erase(std::remove_if(m_LowerButtons.begin(), m_LowerButtons.end(),
                                        [&](const LuaObject& handle) {
                                            return Object::FromLuaObject(handle) == button;
                                        }),
                         m_LowerButtons.end());
}

void Dialog::LayOutLowerButtons()
{
    const std::vector<Button*> buttons = GetLowerButtons();
    if (buttons.empty())
        return;
    // Every button is taken to be as large as the first.
    const int w = buttons.front()->GetWidth();
    const int h = buttons.front()->GetHeight();
    const int n = static_cast<int>(buttons.size());
    const auto rowWidth = static_cast<std::uint16_t>(n * w + (n - 1) * kLowerButtonSpacing);
    int x = GetWidth() / 2 - rowWidth / 2;
    const int y = GetHeight() - h + ConfiguredInteger("DialogButtonOffset", 0);
    for (Button* button : buttons) {
        button->SetPosition(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y));
        x += w + kLowerButtonSpacing;
    }
}

Button* Dialog::GetButton(const std::string& childName) const
{
    return dynamic_cast<Button*>(FindChild(childName, false));
}

Button* Dialog::GetResultButton() const
{
    return dynamic_cast<Button*>(Object::FromLuaObject(m_ResultButton));
}

std::string Dialog::GetResultButtonName() const
{
    Button* button = GetResultButton();
    return button ? button->GetName() : std::string();
}

// ---------------------------------------------------------------- title and buttons

void Dialog::CreateTitle(const std::string& text, int fontSize)
{
    if (fontSize == -1)
        fontSize = ConfiguredInteger("DialogTitleFontSize", 28);
    auto font = std::make_unique<Font>(ConfiguredFontFace("DialogTitleFont"), fontSize, 0);
    auto title = std::make_unique<Label>(text, font.release(), Colors::Black, TEXTALIGN_CENTER);
    title->SetName("title");
    Label* raw = title.get();
    AddChild(title.release(), "title");
    raw->ApplyNamedResource("OptionsTitleLabel");
    // Its size now, in the template's font, wherever the template placed it.
    raw->Render();
}

void Dialog::CreateButtons(int kind)
{
    for (const char* name : {"CancelButton", "OkayButton"}) {
        while (Actor* old = FindChild(name, false)) {
            RemoveChild(old);
            ForgetLowerButton(old);
            delete old;
        }
    }
    struct Made
    {
        const char* templateName;
        const char* label;
        bool enter;
        bool escape;
    };
    std::vector<Made> made;
    switch (kind) {
    case BUTTONS_OKAY:
        made = {{"OkayButton", "Okay", true, true}};
        break;
    case BUTTONS_OKAY_CANCEL:
        made = {{"OkayButton", "Okay", true, false}, {"CancelButton", "Cancel", false, true}};
        break;
    case BUTTONS_YES:
        made = {{"OkayButton", "Yes", true, true}};
        break;
    case BUTTONS_YES_NO:
        made = {{"OkayButton", "Yes", true, false}, {"CancelButton", "No", false, true}};
        break;
    default:
        break;
    }
    for (const Made& each : made) {
        std::unique_ptr<Button> button(Button::MakeFromTemplate(FindButtonTemplate(each.templateName, each.label), this));
        button->SetEnterKey(each.enter);
        button->SetEscapeKey(each.escape);
        AddChild(button.release(), "lowerbutton");
    }
}

void Dialog::SetButtonText(const std::string& childName, const std::string& text)
{
    if (Button* button = GetButton(childName))
        button->SetText(text);
}

void Dialog::SetButtonFontSize(const std::string& childName, int pointSize)
{
    if (Button* button = GetButton(childName))
        if (Font* font = button->GetLabel()->GetFont())
            font->SetPointSize(pointSize);
}

void Dialog::SetButtonShortcutKey(const std::string& childName, int key)
{
    if (Button* button = GetButton(childName))
        button->SetShortcutKey(key);
}

// ---------------------------------------------------------------- particles

ParticleManager* Dialog::GetParticleManager() const
{
    return Held<ParticleManager>(m_ParticleManager);
}

ParticleEmitter* Dialog::StartParticleEmitter(const std::string& resourceName, int x, int y)
{
    ParticleManager* particles = GetParticleManager();
    if (!particles) {
        auto manager = std::make_unique<ParticleManager>();
        manager->SetZOrder(kParticleManagerZOrder);
        // The dialog updates its particles itself, once a pass.
        manager->SetUpdating(false);
        particles = manager.get();
        AddChild(manager.release());
        m_ParticleManager = particles->GetLuaObject();
    }
    auto emitter = std::make_unique<IdenticalParticleEmitter>(resourceName, particles);
    emitter->SetUpdating(false);
    IdenticalParticleEmitter* raw = emitter.get();
    AddChild(emitter.release());
    m_EmitterGroup.AddMember(raw);
    raw->SetPosition(x - raw->GetWidth() / 2, y - raw->GetHeight() / 2);
    raw->Start();
    return raw;
}
