#include "game/views/WopplePowerupView.h"

#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/TypeConversion.h"
#include "engine/core/VelkLuaState.h"
#include "engine/ui/Label.h"
#include "platform/lua/LuaFunction.h"

#include <boost/format.hpp>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

const char* const kMultiplierGraphic = "multiplierGraphic";
const char* const kDigitStrip = "text_numbers.png";
// The digits of the strip overlap a little.
const int kDigitSpacing = -4;

struct Face
{
    const char* type;
    const char* image;
};

// Types with a picture of their own; they show no text.
const Face kFaces[] = {
    {"FreeSpin", "freespin.png"},           {"AllSpinsFree", "spins_free.png"},
    {"BounceWopples", "bouncewopple.png"},  {"BonusFrog", "bonusfrog.png"},
    {"woppleVision", "wopplevision.png"},   {"DevilProtection", "devil_prot.png"},
};

template <typename T>
T* Held(const LuaObject& handle)
{
    auto* object = dynamic_cast<T*>(Object::FromLuaObject(handle));
    return object && !object->IsBeingDestroyed() ? object : nullptr;
}

// A number drawn from a digit strip, most significant digit first, followed
// by the strip's marker (the "x"): digit 0 is frame 9, digit d frame d - 1,
// the marker frame 10. One child per frame, the pen moving a frame's width
// plus the spacing; the actor is as large as the row.
Actor* CreateDigitRow(int number, const std::string& strip, int spacing)
{
    std::vector<int> frames;
    for (int n = number; n > 0; n /= 10)
        frames.insert(frames.begin(), n % 10 == 0 ? 9 : n % 10 - 1);
    frames.push_back(10);
    auto row = std::make_unique<Actor>();
    int x = 0;
    int height = 0;
    for (int frame : frames) {
        auto digit = std::make_unique<Actor>();
        digit->SetImageFromName(strip);
        digit->SetFrame(frame);
        digit->SetPosition(x, 0);
        x += digit->GetWidth() + spacing;
        height = std::max(height, digit->GetHeight());
        row->AddChild(digit.release());
    }
    row->SetSize(std::max(0, x - spacing), height);
    return row.release();
}

// The leading integer of a text, 0 when it has none.
int LeadingInteger(const std::string& text)
{
    return std::atoi(text.c_str());
}

// ---------------------------------------------------------------- script methods

WopplePowerupView* RequireView(lua_State* L)
{
    return RequireScriptObject<WopplePowerupView>(L, 1, "a power-up view");
}

std::string StringArg(lua_State* L, int index)
{
    return ReadStringFromObject(LuaObject(LuaState(L), index));
}

int IntegerArg(lua_State* L, int index)
{
    return lua_isnumber(L, index) ? static_cast<int>(lua_tonumber(L, index)) : 0;
}

int Script_AddPowerup(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireView(L)->AddPowerup(StringArg(L, 2), StringArg(L, 3), IntegerArg(L, 4));
        return 0;
    });
}

int Script_UpdatePowerup(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireView(L)->UpdatePowerup(StringArg(L, 2), StringArg(L, 3), IntegerArg(L, 4));
        return 0;
    });
}

int Script_RemovePowerup(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireView(L)->RemovePowerup(StringArg(L, 2));
        return 0;
    });
}

int Script_HasPowerup(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        lua_pushboolean(L, RequireView(L)->HasPowerup(StringArg(L, 2)));
        return 1;
    });
}

int Script_SetMultiplier(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireView(L)->SetMultiplier(IntegerArg(L, 2));
        return 0;
    });
}

int Script_GetItem(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        WopplePowerupViewItem* item = RequireView(L)->GetItem(IntegerArg(L, 2));
        if (item)
            item->GetLuaObject().Push(LuaState(L));
        else
            lua_pushnil(L);
        return 1;
    });
}

void RegisterMethod(Class* c, const char* name, lua_CFunction function)
{
    c->RegisterPropertyGetter(PropertyAccessor::CreateScriptFunctionGetter(name, function));
    c->RegisterPropertySetter(PropertyAccessor::CreateScriptFunctionSetter(name));
}

} // namespace

void WopplePowerupViewItemClassHook(Class* c)
{
    auto type = MemberOf(&WopplePowerupViewItem::m_PowerupType);
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_STRING, type, "powerupType"));
    c->RegisterPropertySetter(CreatePropertyAccessor(TYPE_STRING, type, "powerupType"));
}

void WopplePowerupViewClassHook(Class* c)
{
    RegisterMethod(c, "AddPowerup", Script_AddPowerup);
    RegisterMethod(c, "UpdatePowerup", Script_UpdatePowerup);
    RegisterMethod(c, "RemovePowerup", Script_RemovePowerup);
    RegisterMethod(c, "HasPowerup", Script_HasPowerup);
    RegisterMethod(c, "SetMultiplier", Script_SetMultiplier);
    RegisterMethod(c, "GetItem", Script_GetItem);
}

VELK_REGISTER_CLASS(WopplePowerupViewItem, "Button", WopplePowerupViewItemClassHook,
                    InstantiateObjectOfClass<WopplePowerupViewItem>);
VELK_REGISTER_CLASS(WopplePowerupView, "Actor", WopplePowerupViewClassHook,
                    InstantiateObjectOfClass<WopplePowerupView>);

// ---------------------------------------------------------------- item

WopplePowerupViewItem::WopplePowerupViewItem() : Button("Button.png")
{
    ApplyNamedResource("WopplePowerupViewItem");
}

WopplePowerupViewItem::~WopplePowerupViewItem() = default;

void WopplePowerupViewItem::OnPostSpawn()
{
    Button::OnPostSpawn();
    if (Actor* label = FindChild("powerup_Label", true))
        m_Label = label->GetLuaObject();
    // Pressed, the item moves; its picture has one frame.
    SetUseFrames(false);
}

Label* WopplePowerupViewItem::GetPowerupLabel() const
{
    return Held<Label>(m_Label);
}

void WopplePowerupViewItem::Show(const std::string& text, const std::string& type, bool alreadyShown)
{
    Label* label = GetPowerupLabel();
    if (label)
        label->SetText("", true);
    if (Actor* old = FindChild(kMultiplierGraphic, true)) {
        // Out of the tree now, so that the new one is the only one found.
        if (Actor* parent = old->GetParent())
            parent->RemoveChild(old);
        old->Destroy();
    }

    const Face* face = nullptr;
    for (const Face& f : kFaces)
        if (type == f.type) {
            face = &f;
            break;
        }
    if (face) {
        SetImageFromName(face->image);
    } else if (type == "Multiplier") {
        SetImageFromName("multiply_bg.png");
        Actor* digits = CreateDigitRow(LeadingInteger(text), kDigitStrip, kDigitSpacing);
        digits->SetAlignment(RectAlignment::Center);
        digits->SetAlignTo(RectAlignment::Center);
        AddChild(digits, kMultiplierGraphic);
        digits->UpdateAlignment();
    } else {
        SetImageFromName("powerup.png");
        if (label)
            label->SetText(text, true);
        m_PowerupType = type;
    }

    SetVisible(true);
    SetState("Active");
    if (!alreadyShown)
        Burst();
    SetName(type);
}

void WopplePowerupViewItem::Burst()
{
    ++m_BurstCount;
    Actor* screen = this;
    while (screen->GetParent())
        screen = screen->GetParent();
    const Rect r = GetGlobalRect();
    // The game screen offers the effect; anywhere else the item bursts unseen.
    LuaObject method = screen->RetrieveProperty("StartParticleEmitter");
    if (!method.IsFunction()) {
        Log(3, "WopplePowerupViewItem::Burst: no particle emitter on the screen\n");
        return;
    }
    // The screen's method takes the point as one table {x, y}.
    LuaObject at;
    at.AssignNewTable(ObjectLuaState());
    at.SetInteger(1, r.x + r.w / 2);
    at.SetInteger(2, r.y + r.h / 2);
    LuaFunction<void> start(method);
    start(screen->GetLuaObject(), std::string("WhiteBurstEffect"), at);
}

// ---------------------------------------------------------------- bar

WopplePowerupView::WopplePowerupView()
{
    ApplyNamedResource("WopplePowerupView");
}

WopplePowerupView::~WopplePowerupView() = default;

void WopplePowerupView::OnPostSpawn()
{
    Actor::OnPostSpawn();
    m_Items.clear();
    for (int i = 1; i <= kNumItems; ++i) {
        auto* item = dynamic_cast<WopplePowerupViewItem*>(FindChild((boost::format("powerup%1%") % i).str()));
        m_Items.push_back(item ? item->GetLuaObject() : LuaObject());
        if (item)
            item->SetVisible(false);
    }
}

WopplePowerupViewItem* WopplePowerupView::GetItem(int index) const
{
    if (index < 1 || index > static_cast<int>(m_Items.size())) {
        Log(1, "WARNING: WopplePowerupView::GetItem: there is no item %d\n", index);
        return nullptr;
    }
    return Held<WopplePowerupViewItem>(m_Items[index - 1]);
}

void WopplePowerupView::Relayout()
{
    for (const LuaObject& handle : m_Items)
        if (auto* item = Held<WopplePowerupViewItem>(handle))
            item->SetVisible(false);
    int j = 0;
    for (PowerupRecord& record : m_Records) {
        ++j;
        if (j > static_cast<int>(m_Items.size())) {
            // The bar has nine places; the rest wait until one comes free.
            Log(1, "WARNING: WopplePowerupView: no item for power-up %d (\"%s\")\n", j, record.type.c_str());
            continue;
        }
        auto* item = Held<WopplePowerupViewItem>(m_Items[j - 1]);
        if (!item)
            continue;
        const std::string text =
            record.value != 0 ? (boost::format("%1%%2%") % record.label % record.value).str() : record.label;
        item->Show(text, record.type, record.shown);
        record.shown = true;
    }
}

void WopplePowerupView::AddPowerup(const std::string& label, const std::string& type, std::int32_t value)
{
    m_Records.push_back(PowerupRecord{value, label, type, false});
    Relayout();
}

void WopplePowerupView::UpdatePowerup(const std::string& label, const std::string& type, std::int32_t value)
{
    for (PowerupRecord& record : m_Records)
        if (record.type == type) {
            if (record.value != value)
                record.shown = false;
            record.value = value;
            record.label = label;
            break;
        }
    Relayout();
}

void WopplePowerupView::RemovePowerup(const std::string& type)
{
    for (auto it = m_Records.begin(); it != m_Records.end(); ++it)
        if (it->type == type) {
            m_Records.erase(it);
            break;
        }
    Relayout();
}

bool WopplePowerupView::HasPowerup(const std::string& type) const
{
    for (const PowerupRecord& record : m_Records)
        if (record.type == type)
            return true;
    return false;
}

void WopplePowerupView::BurstPowerup(const std::string& type)
{
    int j = 0;
    for (const PowerupRecord& record : m_Records) {
        ++j;
        if (record.type != type || j > static_cast<int>(m_Items.size()))
            continue;
        if (auto* item = Held<WopplePowerupViewItem>(m_Items[j - 1]))
            item->Burst();
    }
}

void WopplePowerupView::AddListenerToItems(EventReceiver* receiver)
{
    for (const LuaObject& handle : m_Items)
        if (auto* item = Held<WopplePowerupViewItem>(handle))
            item->AddToGroup(receiver);
}

void WopplePowerupView::AddFreeSpin()
{
    AddPowerup("free\nspin", "FreeSpin", 0);
}

void WopplePowerupView::RemoveFreeSpin()
{
    RemovePowerup("FreeSpin");
}

void WopplePowerupView::AddDevilProtection()
{
    AddPowerup("devil\nguard", "DevilProtection", 0);
}

void WopplePowerupView::RemoveDevilProtection()
{
    RemovePowerup("DevilProtection");
}

void WopplePowerupView::SetMultiplier(int multiplier)
{
    if (multiplier < 2)
        RemovePowerup("Multiplier");
    else if (HasPowerup("Multiplier"))
        UpdatePowerup("", "Multiplier", multiplier);
    else
        AddPowerup("", "Multiplier", multiplier);
}
