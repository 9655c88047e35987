#include "game/views/WoppleWheelView.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/TypeConversion.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/Canvas.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/ImageEffects.h"
#include "engine/runtime/Sound.h"
#include "engine/runtime/Utility.h"
#include "engine/ui/Label.h"
#include "game/rules/WoppleGameEvents.h"
#include "game/views/WoppleWheelAnimation.h"
#include "game/views/WoppleWheelProgressOverlay.h"
#include "game/views/WoppleWheelSetView.h"

#include <boost/format.hpp>

#include <algorithm>
#include <cmath>

namespace {

const char* const kWheelTypeNames[] = {
    "WheelTypeNumber",  "WheelTypeFreeSpin",     "WheelTypeJoker",      "WheelTypeSuperJoker", "WheelTypeDevil",
    "WheelTypeDevilCherub", "WheelTypeCherub",   "WheelTypeCoin",       "WheelTypeGem",
    "WheelTypeWoppleVision", "WheelTypeMultiplier", "WheelTypeSpinning", "WheelTypeBlank",
};

// The face of each symbol with a picture of its own.
const char* SymbolImageName(int type)
{
    switch (type) {
    case WheelTypeFreeSpin:
        return "FreeSpin1.png";
    case WheelTypeJoker:
        return "cell_joker.png";
    case WheelTypeSuperJoker:
        return "cell_s_joker.png";
    case WheelTypeDevil:
        return "cell_devil.png";
    case WheelTypeCherub:
        return "cell_mcherub.png";
    case WheelTypeCoin:
        return "cell_coin.png";
    case WheelTypeWoppleVision:
        return "cell_wopplevision.png";
    default:
        return nullptr;
    }
}

// The run-out: the pixels a reel covers from full speed until it is slow enough to land.
double RunOutDistance()
{
    double distance = 0.0;
    for (double speed = WoppleWheelView::kStartSpeed; speed >= WoppleWheelView::kLandingSpeed;
         speed -= WoppleWheelView::kDeceleration)
        distance += speed;
    return distance;
}

template <typename T>
T* Held(const LuaObject& handle)
{
    auto* object = dynamic_cast<T*>(Object::FromLuaObject(handle));
    return object && !object->IsBeingDestroyed() ? object : nullptr;
}

// Destroys what the handle still holds, taking it out of its parent first.
void DestroyHeld(const LuaObject& handle)
{
    Actor* actor = Held<Actor>(handle);
    if (!actor)
        return;
    if (Actor* parent = actor->GetParent())
        parent->DestroyChild(actor);
    else
        actor->Destroy();
}

WoppleWheelView* RequireWheel(lua_State* L)
{
    return RequireScriptObject<WoppleWheelView>(L, 1, "a reel");
}

int Script_IsAJoker(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        int type = RequireWheel(L)->GetWheelType(false);
        lua_pushboolean(L, type == WheelTypeJoker || type == WheelTypeSuperJoker);
        return 1;
    });
}

int Script_GetWheelType(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        lua_pushnumber(L, RequireWheel(L)->GetWheelType(lua_toboolean(L, 2) != 0));
        return 1;
    });
}

int Script_GetWheelTypeName(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        lua_pushstring(L, RequireWheel(L)->GetWheelTypeName(lua_toboolean(L, 2) != 0).c_str());
        return 1;
    });
}

int Script_GetWheelNumber(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        lua_pushnumber(L, RequireWheel(L)->GetWheelNumber());
        return 1;
    });
}

int Script_SetResult(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireWheel(L)->SetResult(static_cast<int>(luaL_checknumber(L, 2)), static_cast<int>(luaL_optnumber(L, 3, 0)));
        return 0;
    });
}

int Script_SetNumberOfTypedSquares(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireWheel(L)->SetNumberOfTypedSquares(static_cast<int>(luaL_checknumber(L, 2)),
                                                 static_cast<int>(luaL_checknumber(L, 3)));
        return 0;
    });
}

int Script_BuildStrip(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireWheel(L)->BuildStrip();
        return 0;
    });
}

int Script_ShowHilite(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireWheel(L)->ShowHilite();
        return 0;
    });
}

int Script_HideHilite(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireWheel(L)->HideHilite();
        return 0;
    });
}

void Method(Class* c, const char* name, lua_CFunction function)
{
    c->RegisterPropertyGetter(PropertyAccessor::CreateScriptFunctionGetter(name, function));
    c->RegisterPropertySetter(PropertyAccessor::CreateScriptFunctionSetter(name));
}

} // namespace

void WoppleWheelViewClassHook(Class* c)
{
    auto member = [c](uint32_t type, PropertyAccessor::MemberAddress address, const char* name) {
        c->RegisterPropertyGetter(CreatePropertyAccessor(type, address, name));
        c->RegisterPropertySetter(CreatePropertyAccessor(type, address, name));
    };
    member(TYPE_POINT, MemberOf(&WoppleWheelView::m_WheelSize), "wheelSize");
    member(TYPE_INT32, MemberOf(&WoppleWheelView::m_BaseNumber), "baseNumber");
    member(TYPE_INT32, MemberOf(&WoppleWheelView::m_Multiplier), "multiplier");
    c->RegisterPropertyGetter(
        CreatePropertyAccessor(TYPE_INT32, MemberOf(&WoppleWheelView::m_WheelNumber), "wheelNumber"));
    c->RegisterPropertySetter(
        PropertyAccessor::CreateMemberSetter(MemberSetter(&WoppleWheelView::SetWheelNumberProperty), "wheelNumber"));
    Method(c, "IsAJoker", Script_IsAJoker);
    Method(c, "GetWheelType", Script_GetWheelType);
    Method(c, "GetWheelTypeName", Script_GetWheelTypeName);
    Method(c, "GetWheelNumber", Script_GetWheelNumber);
    Method(c, "SetResult", Script_SetResult);
    Method(c, "SetNumberOfTypedSquares", Script_SetNumberOfTypedSquares);
    Method(c, "BuildStrip", Script_BuildStrip);
    Method(c, "ShowHilite", Script_ShowHilite);
    Method(c, "HideHilite", Script_HideHilite);
}

VELK_REGISTER_CLASS(WoppleWheelView, "Actor", WoppleWheelViewClassHook, InstantiateObjectOfClass<WoppleWheelView>);

// ---------------------------------------------------------------- number pictures

std::unique_ptr<Image> CreateNumberImageActor(int number, const std::string& digitStrip, int spacing)
{
    std::vector<int> frames;
    for (int rest = number; rest > 0; rest /= 10) {
        int digit = rest % 10;
        frames.insert(frames.begin(), digit == 0 ? 9 : digit - 1);
    }
    frames.push_back(10);

    Image digits(digitStrip);
    const int frameW = static_cast<int>(digits.GetSize().w);
    const int frameH = static_cast<int>(digits.GetSize().h);
    const int count = static_cast<int>(frames.size());
    Canvas canvas(std::max(1, frameW * count + (count - 1) * spacing), std::max(1, frameH),
                  CANVAS_DESTROY_TARGET | CANVAS_COMPOSE_ALPHA);
    for (int frame : frames) {
        canvas.DrawImageFrame(&digits, frame);
        canvas.Translate(frameW + spacing, 0);
    }
    return canvas.GetTargetSurface()->CreateDeepCopy();
}

// ---------------------------------------------------------------- states

namespace WoppleWheelViewStates {

void Spinning::Update()
{
    m_Wheel.StepSpin();
}

void Stopped::OnEnterState()
{
    m_Wheel.OnStopped();
}

} // namespace WoppleWheelViewStates

// ---------------------------------------------------------------- the reel

WoppleWheelView::WoppleWheelView()
{
    AddState(new WoppleWheelViewStates::NotYetStarted(), false);
    AddState(new WoppleWheelViewStates::Spinning(*this), false);
    AddState(new WoppleWheelViewStates::Stopped(*this), false);
    SetState("NotYetStarted");
}

WoppleWheelView::~WoppleWheelView()
{
    try {
        Sound::StopChannel(m_SpinSoundA);
        Sound::StopChannel(m_SpinSoundB);
    } catch (...) {
        LogWrite("WARNING: WoppleWheelView::~WoppleWheelView: %s\n", CurrentExceptionMessage().c_str());
    }
}

void WoppleWheelView::OnPostSpawn()
{
    Actor::OnPostSpawn();
    m_GrayTintFull = FindChild("grayTintFull", true);
    m_WheelCover = FindChild("wheelCover", true);
    m_MotionOverlay = FindChild("wheelMotionOverlay", true);
    m_ProgressOverlay = FindChild("progressOverlay", true);
    m_WheelHilite = FindChild("wheelHilite", true);
    m_WheelButton = FindChild("wheelButton", true);
}

WoppleWheelProgressOverlay* WoppleWheelView::GetProgressOverlay() const
{
    return dynamic_cast<WoppleWheelProgressOverlay*>(m_ProgressOverlay);
}

WoppleWheelSetView* WoppleWheelView::GetSetView() const
{
    Actor* container = GetParent();
    return container ? dynamic_cast<WoppleWheelSetView*>(container->GetParent()) : nullptr;
}

void WoppleWheelView::SetWheelNumberProperty(const LuaObject& value)
{
    SetWheelNumber(value.GetInteger());
}

void WoppleWheelView::SetWheelNumber(int n)
{
    m_WheelNumber = n;
    if (!m_WheelCover)
        m_WheelCover = FindChild("wheelCover", true);
    if (!m_WheelButton)
        m_WheelButton = FindChild("wheelButton", true);
    if (m_WheelCover)
        m_WheelCover->SetImageFromName(
            (boost::format(RetrieveStringProperty("wheelBackgroundFormat", "wheelBackground%1%.png")) % n).str());
    if (m_WheelButton)
        m_WheelButton->SetName((boost::format("wheelButton%1%") % n).str());
}

std::string WoppleWheelView::GetWheelTypeString(int type)
{
    if (type < 0 || type > WheelTypeBlank)
        return "ERROR";
    return kWheelTypeNames[type];
}

void WoppleWheelView::SetResult(int type, int number)
{
    // A number of another reel would be looked up outside the strip's slots.
    if (type == WheelTypeNumber) {
        const int index = number - m_BaseNumber;
        VELK_ASSERT_MSG(index >= 0 && index < m_SquareCounts[WheelTypeNumber],
                        (boost::format("Reel %1% cannot land on %2%: it carries %3% to %4%.") % m_WheelNumber %
                         number % m_BaseNumber % (m_BaseNumber + m_SquareCounts[WheelTypeNumber] - 1))
                            .str());
    }
    m_ResultType = type;
    m_ResultNumber = number;
}

void WoppleWheelView::SetNumberOfTypedSquares(int type, int count)
{
    VELK_ASSERT(type >= 0 && type < kNumStripTypes);
    m_SquareCounts[type] = std::max(0, count);
}

int WoppleWheelView::GetNumberOfTypedSquares(int type) const
{
    return type >= 0 && type < kNumStripTypes ? m_SquareCounts[type] : 0;
}

int WoppleWheelView::GetTotalSquares() const
{
    int total = 0;
    for (int count : m_SquareCounts)
        total += count;
    return total;
}

Image* WoppleWheelView::GetSymbolImage(int index) const
{
    return index >= 0 && index < GetNumSymbolImages() ? m_SymbolImages[index].get() : nullptr;
}

// ---------------------------------------------------------------- pictures

void WoppleWheelView::ApplyScale(Actor& actor) const
{
    if (!const_cast<WoppleWheelView*>(this)->RetrieveBoolProperty("applyScale", false))
        return;
    if (!actor.GetOwnImage() || actor.GetWidth() == 0 || actor.GetHeight() == 0)
        return;
    const double factor = std::min(static_cast<double>(m_WheelSize.x) / actor.GetWidth(),
                                   static_cast<double>(m_WheelSize.y) / actor.GetHeight());
    actor.SetImage(ZoomImage(*actor.GetOwnImage(), factor, true), actor.GetImageName());
    for (Actor* child : actor.GetChildren()) {
        if (child->GetOwnImage())
            child->SetImage(ZoomImage(*child->GetOwnImage(), factor, true), child->GetImageName());
        child->UpdateAlignment();
    }
}

std::unique_ptr<Image> WoppleWheelView::MakeSymbolImage(const std::string& imageName) const
{
    Actor face;
    face.SetImageFromName(imageName);
    ApplyScale(face);
    return std::make_unique<Image>(*face.GetOwnImage());
}

std::unique_ptr<Image> WoppleWheelView::MakeMultiplierImage() const
{
    Actor face;
    face.SetImageFromName("reel_multiply_bg.png");
    auto* number = new Actor();
    number->SetImage(CreateNumberImageActor(m_Multiplier, "reel_text_numbers.png", 0), std::string());
    number->SetAlignment(RectAlignment::Center);
    number->SetAlignTo(RectAlignment::Center);
    face.AddChild(number);
    number->UpdateAlignment();
    ApplyScale(face);

    Canvas canvas(std::max(1, face.GetWidth()), std::max(1, face.GetHeight()),
                  CANVAS_DESTROY_TARGET | CANVAS_COMPOSE_ALPHA);
    canvas.DrawImageFrame(face.GetOwnImage(), 0);
    canvas.Translate(number->GetX(), number->GetY());
    canvas.DrawImageFrame(number->GetOwnImage(), 0);
    return canvas.GetTargetSurface()->CreateDeepCopy();
}

void WoppleWheelView::BuildSymbolImages()
{
    m_SymbolImages.clear();
    m_SymbolImages.resize(kFirstNumberImage);
    for (int type = 0; type < kFirstNumberImage; ++type) {
        if (const char* name = SymbolImageName(type))
            m_SymbolImages[type] = MakeSymbolImage(name);
    }
    m_SymbolImages[WheelTypeMultiplier] = MakeMultiplierImage();

    const std::string labelResource = RetrieveStringProperty("labelResource", "WheelNumberLabel");
    for (int i = 0; i < m_SquareCounts[WheelTypeNumber]; ++i) {
        std::unique_ptr<Object> made(ClassManager::GetInstance()->InstantiateObjectFromResource(labelResource));
        auto* label = dynamic_cast<Label*>(made.get());
        VELK_ASSERT_MSG(label != 0, (boost::format("\"%1%\" is not a label.") % labelResource).str());
        label->SetText((boost::format("%1%") % (m_BaseNumber + i)).str(), true);
        Image* image = label->GetOwnImage();
        m_SymbolImages.push_back(image ? std::make_unique<Image>(*image) : nullptr);
    }

    Application* app = Application::GetInstance();
    if (app && app->IsHWAccelEnabled())
        for (std::unique_ptr<Image>& image : m_SymbolImages)
            if (image)
                image->RefreshVideoSurface(false);
}

// ---------------------------------------------------------------- the strip

void WoppleWheelView::BuildStrip()
{
    if (m_SymbolImages.empty())
        BuildSymbolImages();

    m_SquareTypes.clear();
    for (int type = 0; type < kNumStripTypes; ++type)
        m_SquareTypes.insert(m_SquareTypes.end(), m_SquareCounts[type], type);

    const int numbers = m_SquareCounts[WheelTypeNumber];
    m_NumberToSlot.assign(numbers, -1);
    m_SlotToNumber.assign(numbers, -1);
    for (int i = 0; i < numbers; ++i) {
        int k = RandomInt(numbers);
        while (m_SlotToNumber[k] != -1)
            k = RandomInt(numbers);
        m_SlotToNumber[k] = i;
        m_NumberToSlot[i] = k;
    }

    m_MasterStrip = std::make_unique<WoppleWheelAnimation>();
    m_MasterStrip->SetSquareSize(m_WheelSize.x, m_WheelSize.y);
    int numberSlot = 0;
    for (int type : m_SquareTypes) {
        Image* image = nullptr;
        if (type == WheelTypeNumber)
            image = GetSymbolImage(kFirstNumberImage + m_SlotToNumber[numberSlot++]);
        else if (type == WheelTypeDevilCherub)
            image = GetSymbolImage(WheelTypeDevil);
        else
            image = GetSymbolImage(type);
        m_MasterStrip->AddSquareImage(image ? std::make_unique<Image>(*image) : nullptr);
    }
    m_MasterStrip->SetWindowSize(m_WheelSize.x, m_WheelSize.y - 1);
    m_MasterStrip->SetSize(m_WheelSize.x, m_WheelSize.y - 1);
    m_MasterStrip->UpdateAlignment();

    ClearSquares();
}

void WoppleWheelView::DestroyStrip(const LuaObject& handle)
{
    DestroyHeld(handle);
}

void WoppleWheelView::ClearSquares()
{
    for (const LuaObject& handle : m_ShownStrips)
        DestroyStrip(handle);
    m_ShownStrips.clear();
}

std::vector<WoppleWheelAnimation*> WoppleWheelView::GetShownStrips() const
{
    std::vector<WoppleWheelAnimation*> strips;
    for (const LuaObject& handle : m_ShownStrips)
        if (WoppleWheelAnimation* strip = Held<WoppleWheelAnimation>(handle))
            strips.push_back(strip);
    return strips;
}

WoppleWheelAnimation* WoppleWheelView::GetFirstSquare() const
{
    return m_ShownStrips.empty() ? nullptr : Held<WoppleWheelAnimation>(m_ShownStrips.front());
}

Actor* WoppleWheelView::GetSymbolContainer() const
{
    Actor* button = FindChild((boost::format("wheelButton%1%") % m_WheelNumber).str());
    if (!button)
        button = m_WheelButton;
    return button ? button : const_cast<WoppleWheelView*>(this);
}

void WoppleWheelView::ShowStrips(int count)
{
    while (static_cast<int>(m_ShownStrips.size()) > count) {
        DestroyStrip(m_ShownStrips.back());
        m_ShownStrips.pop_back();
    }
    Actor* button = GetSymbolContainer();
    while (static_cast<int>(m_ShownStrips.size()) < count) {
        WoppleWheelAnimation* strip = m_MasterStrip->Clone().release();
        strip->SetZOrder(3);
        strip->SetAlignment(RectAlignment::Center);
        strip->SetAlignTo(RectAlignment::Center);
        button->AddChild(strip);
        strip->UpdateAlignment();
        m_ShownStrips.push_back(strip->GetLuaObject());
    }
    const int alpha = std::max(128, 255 / count);
    for (WoppleWheelAnimation* strip : GetShownStrips()) {
        strip->SetAlpha(static_cast<std::uint8_t>(alpha));
        strip->SetShaderType(4);
        strip->SetVisible(true);
    }
}

// ---------------------------------------------------------------- the bonus reels' pictures

void WoppleWheelView::SetCherubPicture(std::unique_ptr<Actor> picture)
{
    DestroyHeld(m_CherubPicture);
    m_CherubPicture = LuaObject();
    if (!picture)
        return;
    Actor* raw = picture.release();
    GetSymbolContainer()->AddChild(raw);
    raw->UpdateAlignment();
    m_CherubPicture = raw->GetLuaObject();
}

Actor* WoppleWheelView::GetCherubPicture() const
{
    return Held<Actor>(m_CherubPicture);
}

void WoppleWheelView::SetMultiplierOverlay(std::unique_ptr<Actor> overlay)
{
    DestroyHeld(m_MultiplierOverlay);
    m_MultiplierOverlay = LuaObject();
    if (!overlay)
        return;
    Actor* raw = overlay.release();
    AddChild(raw);
    raw->UpdateAlignment();
    m_MultiplierOverlay = raw->GetLuaObject();
}

Actor* WoppleWheelView::GetMultiplierOverlay() const
{
    return Held<Actor>(m_MultiplierOverlay);
}

void WoppleWheelView::ClearBonusPictures()
{
    // The square the cherub sat over shows again.
    if (GetCherubPicture())
        if (WoppleWheelAnimation* square = GetFirstSquare())
            square->SetVisible(true);
    SetCherubPicture(nullptr);
    SetMultiplierOverlay(nullptr);
}

// ---------------------------------------------------------------- the spin

void WoppleWheelView::Spin()
{
    // What the last stop brought does not turn with the new one.
    ClearBonusPictures();
    if (!m_MasterStrip)
        BuildStrip();
    if (m_MotionOverlay)
        m_MotionOverlay->SetVisible(true);
    const int total = GetTotalSquares();
    VELK_ASSERT_MSG(total > 0, (boost::format("Reel %1% has no squares to spin.") % m_WheelNumber).str());
    const int stripH = m_MasterStrip->GetWheelSize().y;
    const int square = stripH / total;
    if (m_ResultType == WheelTypeBlank) {
        m_Position = RandomInt(total) * square;
    } else {
        auto first = std::find(m_SquareTypes.begin(), m_SquareTypes.end(), m_ResultType);
        int index = first == m_SquareTypes.end() ? -1 : static_cast<int>(first - m_SquareTypes.begin());
        if (m_ResultType == WheelTypeNumber) {
            const int number = m_ResultNumber - m_BaseNumber;
            VELK_ASSERT_MSG(number >= 0 && number < static_cast<int>(m_NumberToSlot.size()),
                            (boost::format("Reel %1% cannot land on %2%: it carries %3% to %4%.") % m_WheelNumber %
                             m_ResultNumber % m_BaseNumber % (m_BaseNumber + m_NumberToSlot.size() - 1))
                                .str());
            index += m_NumberToSlot[number];
        }
        const int target = index * square;
        // Started so far back that the run-out ends half a pixel above the target.
        m_Position = std::fmod(20.0 * stripH - std::ceil(RunOutDistance()) + target, stripH);
        if (m_Position < 0)
            m_Position += stripH;
    }
    m_Speed = kStartSpeed;
    Sound::StopChannel(m_SpinSoundA);
    Sound::StopChannel(m_SpinSoundB);
    m_SpinSoundA = Sound::Play("WheelSpinA.ogg", true);
    m_SpinSoundB = Sound::Play("WheelSpinB.ogg", true);
    SetState("Spinning");
}

void WoppleWheelView::StepSpin()
{
    const int count = std::max(1, static_cast<int>(std::ceil(m_Speed / 15.0 + 0.5)));
    if (static_cast<int>(m_ShownStrips.size()) != count)
        ShowStrips(count);
    std::vector<WoppleWheelAnimation*> strips = GetShownStrips();
    for (std::size_t i = 0; i < strips.size(); ++i)
        strips[i]->SetYPos(static_cast<int>(m_Position - 2.0 * i * m_Speed / count));

    const int stripH = m_MasterStrip->GetWheelSize().y;
    const int square = stripH / GetTotalSquares();
    m_Position += m_Speed;
    m_Speed -= kDeceleration;
    if (m_Position >= stripH)
        m_Position -= stripH;
    if (m_Speed > kLandingSpeed)
        return;
    if (m_Speed < kDeceleration)
        m_Speed = kDeceleration;
    const int here = static_cast<int>(m_Position / square);
    const int next = static_cast<int>((m_Position + m_Speed) / square);
    if (here == next)
        return;
    // One of a kind symbols (a second devil, say) are passed by.
    WoppleWheelSetView* set = GetSetView();
    if (set && !set->IsTypeAllowed(GetWheelType(true))) {
        m_Speed = kLandingSpeed;
        return;
    }
    SetState("Stopped");
    m_Speed = 0.0;
    m_Position = static_cast<double>(square) * next;
    if (m_Position >= stripH)
        m_Position -= stripH;
    strips = GetShownStrips();
    if (!strips.empty()) {
        strips.front()->SetYPos(static_cast<int>(m_Position));
        strips.front()->SetAlpha(255);
    }
    while (m_ShownStrips.size() > 1) {
        DestroyStrip(m_ShownStrips.back());
        m_ShownStrips.pop_back();
    }
}

void WoppleWheelView::OnStopped()
{
    WoppleWheelSetView* setView = GetSetView();
    VELK_ASSERT(setView);
    Sound::StopChannel(m_SpinSoundA);
    Sound::StopChannel(m_SpinSoundB);
    m_SpinSoundA = 0;
    m_SpinSoundB = 0;
    static const char* const kStopSounds[] = {"C_stop1.ogg", "C_stop2.ogg", "C_stop3.ogg", "C_stop4.ogg",
                                              "C_stop5.ogg", "C_stop4.ogg", "C_stop3.ogg"};
    Sound::Play(m_WheelNumber >= 1 && m_WheelNumber <= 7 ? kStopSounds[m_WheelNumber - 1] : "C_stop1.ogg");
    auto* payload = new LuaObject;
    payload->AssignNewTable(ObjectLuaState());
    payload->SetBoolean("isFinished", setView->AreAllWheelsStopped());
    setView->NotifyObservers(WOPPLE_WHEELANIMATIONUPDATE, payload, false);
    if (m_MotionOverlay)
        m_MotionOverlay->SetVisible(false);
    m_ResultType = WheelTypeBlank;
    m_ResultNumber = 0;
}

int WoppleWheelView::GetWheelType(bool ignoreSpinning) const
{
    if (!ignoreSpinning && GetStateName() == "Spinning")
        return WheelTypeSpinning;
    if (m_ShownStrips.empty() || !m_MasterStrip || m_SquareTypes.empty())
        return WheelTypeBlank;
    const int total = static_cast<int>(m_SquareTypes.size());
    const int square = m_MasterStrip->GetWheelSize().y / total;
    const int index = static_cast<int>((m_Position + m_Speed) / square) % total;
    return m_SquareTypes[index];
}

std::string WoppleWheelView::GetWheelTypeName(bool ignoreSpinning) const
{
    return GetWheelTypeString(GetWheelType(ignoreSpinning));
}

int WoppleWheelView::GetWheelNumber() const
{
    if (GetStateName() == "Spinning" || !m_MasterStrip || m_SquareTypes.empty())
        return -1;
    const int total = static_cast<int>(m_SquareTypes.size());
    const int square = m_MasterStrip->GetWheelSize().y / total;
    const int slot = static_cast<int>(m_Position / square) % total;
    if (m_SquareTypes[slot] != WheelTypeNumber || slot >= static_cast<int>(m_SlotToNumber.size()))
        return -1;
    return m_BaseNumber + m_SlotToNumber[slot];
}

void WoppleWheelView::ShowHilite()
{
    if (m_WheelHilite)
        m_WheelHilite->SetVisible(true);
}

void WoppleWheelView::HideHilite()
{
    if (m_WheelHilite)
        m_WheelHilite->SetVisible(false);
}
