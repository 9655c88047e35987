#include "engine/ui/Screen.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/Canvas.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/ImageRenderer.h"
#include "engine/ui/Button.h"
#include "engine/ui/NoteManager.h"
#include "engine/ui/ViewableTransition.h"

#include <algorithm>

namespace {

void ScreenClassHook(Class*) {}

int WindowWidth()
{
    Application* app = Application::GetInstance();
    return app ? app->GetScreenWidth() : 0;
}

int WindowHeight()
{
    Application* app = Application::GetInstance();
    return app ? app->GetScreenHeight() : 0;
}

// Drawn only when it and every ancestor are visible and none is going away.
bool IsShownInTree(const Actor* actor)
{
    for (; actor; actor = actor->GetParent())
        if (!actor->IsVisible() || actor->IsBeingDestroyed())
            return false;
    return true;
}

// The dialog of an event's first data word: the record carries the dialog's
// own address, which need not be that of its Actor part.
bool IsSameDialog(const Actor* dialog, const void* data)
{
    return dialog == data || dynamic_cast<const void*>(dialog) == data;
}

} // namespace

VELK_REGISTER_CLASS(Screen, "Actor", ScreenClassHook, InstantiateObjectOfClass<Screen>);

// ---------------------------------------------------------------- life

Screen::Screen() : Screen(std::string(), std::string(), nullptr) {}

Screen::Screen(const std::string& backgroundResource, const std::string& screenName,
               ViewableTransition* transition)
{
    // Owned from the start, so a failure below cannot leak it.
    m_Transition.reset(transition);

    Log(3, "Screen::Screen()\n");
    SetLayerOwner(this);
    SetPosition(0, 0);
    SetSize(WindowWidth(), WindowHeight());

    Log(3, "Screen::new m_BackgroundLayer\n");
    auto backgroundLayer = std::make_unique<Actor>();
    backgroundLayer->Flatten(0, 0, WindowWidth(), WindowHeight());
    Log(3, "Screen::AddChild background\n");
    m_BackgroundLayer = backgroundLayer.get();
    AddChild(backgroundLayer.release());

    Log(3, "Screen::new background\n");
    auto background = backgroundResource.empty() ? std::make_unique<Actor>()
                                                 : std::make_unique<Actor>(backgroundResource);
    Log(3, "Screen::AddToBackgroundLayer background\n");
    AddToBackgroundLayer(background.release(), "Background");

    Log(3, "Screen::SetName\n");
    SetName(screenName);
    if (m_Transition)
        m_Transition->SetScreen(this);

    Log(3, "Screen::Create keyTipLayer\n");
    auto keyTipLayer = std::make_unique<Actor>();
    keyTipLayer->SetName("ScreenKeyTipLayer");
    keyTipLayer->SetZOrder(1000);
    m_KeyTipLayer = keyTipLayer.get();
    AddChild(keyTipLayer.release());
    StoreProperty("keyTipLayer", m_KeyTipLayer->GetLuaObject());

    Log(3, "Screen::Create m_DialogOverlay\n");
    std::unique_ptr<Actor> overlay(CreateDialogOverlay());
    overlay->SetZOrder(1003);
    overlay->SetVisible(false);
    m_DialogOverlay = overlay.get();
    AddChild(overlay.release());

    Log(3, "Screen::Create m_NoteManager\n");
    auto noteManager = std::make_unique<NoteManager>();
    noteManager->SetLayer(1001);
    noteManager->SetVisible(true);
    m_NoteManager = noteManager.get();
    AddChild(noteManager.release());
}

Screen::~Screen()
{
    try {
        m_Dialogs.clear();
        m_Snapshot.reset();
        m_Transition.reset();
        // The tree goes after this body: nothing in it may reach the draw map then.
        SetLayerOwner(nullptr);
        m_DrawMap.clear();
    } catch (...) {
        LogWrite("WARNING: Screen::~Screen: %s\n", CurrentExceptionMessage().c_str());
    }
}

// ---------------------------------------------------------------- events and update

bool Screen::OnEvent(const EventRecord& event)
{
    {
        ChildWalk walk(*this, true);
        while (Actor* child = walk.Next())
            if (child->OnEvent(event))
                return true;
    }
    if (Object::OnEvent(event))
        return true;
    return m_Transition && m_Transition->OnEvent(event);
}

void Screen::Update()
{
    Actor::Update();
    if (m_Transition)
        m_Transition->Update();
}

bool Screen::OnDialogDelete(const EventRecord& event)
{
    auto it = std::find_if(m_Dialogs.begin(), m_Dialogs.end(),
                           [&](const Actor* dialog) { return IsSameDialog(dialog, event.user.data1); });
    if (it == m_Dialogs.end())
        return false;
    Log(2, "DIALOG DELETE: screen=%s ; dialog=%s\n", GetName().c_str(), (*it)->GetName().c_str());
    ForgetDialog(*it);
    return true;
}

// ---------------------------------------------------------------- the draw map

void Screen::RegisterLayeredActor(Actor* actor)
{
    m_DrawMap.emplace(actor->GetLayer(), actor);
}

void Screen::UnregisterLayeredActor(Actor* actor)
{
    auto [first, last] = m_DrawMap.equal_range(actor->GetLayer());
    for (auto it = first; it != last; ++it) {
        if (it->second == actor) {
            m_DrawMap.erase(it);
            break;
        }
    }
    // A dialog taken out of the tree without its delete event must not stay stacked.
    if (IsDialogOpen(actor))
        ForgetDialog(actor);
}

void Screen::MoveLayeredActor(Actor* actor, int oldLayer, int newLayer)
{
    auto [first, last] = m_DrawMap.equal_range(oldLayer);
    for (auto it = first; it != last; ++it) {
        if (it->second == actor) {
            m_DrawMap.erase(it);
            break;
        }
    }
    m_DrawMap.emplace(newLayer, actor);
}

// ---------------------------------------------------------------- background

void Screen::AddToBackgroundLayer(Actor* actor, const std::string& name)
{
    VELK_ASSERT(m_BackgroundLayer != 0);
    m_BackgroundLayer->AddChild(actor, name);
    m_BackgroundLayer->ReFlatten();
}

void Screen::RemoveFromBackgroundLayer(Actor* actor)
{
    VELK_ASSERT(m_BackgroundLayer != 0);
    m_BackgroundLayer->RemoveChild(actor);
    m_BackgroundLayer->ReFlatten();
}

Actor* Screen::GetBackground() const
{
    return m_BackgroundLayer ? m_BackgroundLayer->FindChild("Background", false) : nullptr;
}

void Screen::ReFlattenBackground()
{
    VELK_ASSERT(m_BackgroundLayer != 0);
    m_BackgroundLayer->ReFlatten();
}

// ---------------------------------------------------------------- dialogs

bool Screen::IsBlocking(const Actor* dialog)
{
    const auto* own = dynamic_cast<const ScreenDialog*>(dialog);
    return !own || !(own->GetDialogFlags() & DIALOGFLAG_NONBLOCKING);
}

Actor* Screen::CreateDialogOverlay()
{
    auto overlay = std::make_unique<Actor>(Colors::Black);
    overlay->SetName("DialogOverlay");
    overlay->SetAlpha(80);
    overlay->SetSize(WindowWidth(), WindowHeight());
    // Catches the pointer so that nothing beneath lights up.
    overlay->SetRolloverable(true);
    return overlay.release();
}

void Screen::StartDialog(Actor* dialog, bool pauseGame)
{
    VELK_ASSERT(dialog != 0);
    Log(2, "DIALOG START: screen=%s ; dialog=%s\n", GetName().c_str(), dialog->GetName().c_str());
    dialog->SetPosition(GetWidth() / 2 - dialog->GetWidth() / 2, GetHeight() / 2 - dialog->GetHeight() / 2);
    dialog->SetLayer(1004);
    AddChild(dialog);
    m_Dialogs.push_back(dialog);
    RequireCoreHost().PostEvent(nullptr, MakeEventRecord(VELK_DIALOGSTARTED, 0, dialog));
    if (pauseGame)
        if (Application* app = Application::GetInstance())
            app->PauseGame(true);
    if (auto* own = dynamic_cast<ScreenDialog*>(dialog))
        own->StartIntro();
    UpdateDialogState();
}

void Screen::StopDialog(Actor* dialog)
{
    if (!dialog || !HasChild(dialog, false))
        VELK_THROW(Exception, AssertionText("IsChild(dialog)"));
    auto* own = dynamic_cast<ScreenDialog*>(dialog);
    VELK_ASSERT_MSG(own != 0, (boost::format("Cannot stop dialog as actor is not a dialog, actor=\"%1%\"") %
                               dialog->GetName()).str());
    own->StartExit();
}

void Screen::StopDialog(const std::string& name)
{
    Actor* actor = FindChild(name, false);
    VELK_ASSERT_MSG(actor != 0, (boost::format("Could not find dialog with name=\"%1%\"") % name).str());
    auto* dialog = dynamic_cast<ScreenDialog*>(actor);
    VELK_ASSERT_MSG(dialog != 0,
                    (boost::format("Cannot stop dialog as actor is not a dialog, actor=\"%1%\"") % name).str());
    StopDialog(actor);
}

bool Screen::HasDialogs() const
{
    return std::any_of(m_Dialogs.begin(), m_Dialogs.end(), [](const Actor* d) { return d->IsVisible(); });
}

Actor* Screen::GetTopDialog(const std::string& name) const
{
    VELK_ASSERT(m_Dialogs.empty() == false);
    if (name.empty())
        return m_Dialogs.back();
    for (auto it = m_Dialogs.rbegin(); it != m_Dialogs.rend(); ++it)
        if ((*it)->GetName() == name)
            return *it;
    VELK_ASSERT_MSG(false, (boost::format("Cannot find dialog with name=%1%") % name).str());
    return nullptr;
}

bool Screen::IsDialogOpen(const Actor* dialog) const
{
    return std::find(m_Dialogs.begin(), m_Dialogs.end(), dialog) != m_Dialogs.end();
}

void Screen::UpdateDialogState()
{
    const bool blocked = std::any_of(m_Dialogs.begin(), m_Dialogs.end(), IsBlocking);
    if (m_DialogOverlay)
        m_DialogOverlay->SetVisible(blocked);
    m_Snapshot.reset();
    m_SnapshotWanted = blocked;
}

void Screen::ForgetDialog(Actor* dialog)
{
    m_Dialogs.erase(std::remove(m_Dialogs.begin(), m_Dialogs.end(), dialog), m_Dialogs.end());
    UpdateDialogState();
    if (!HasDialogs())
        if (Application* app = Application::GetInstance())
            app->PauseGame(false);
}

// ---------------------------------------------------------------- drawing

void Screen::Draw(Canvas& canvas)
{
    canvas.PushState();
    try {
        if (m_SnapshotWanted)
            RenderSnapshot();
        if (m_Snapshot)
            DrawSnapshot(canvas);
        else
            DrawLive(canvas);
    } catch (...) {
        canvas.PopState();
        throw;
    }
    canvas.PopState();
}

void Screen::RenderSnapshot()
{
    auto snapshot = std::make_unique<Canvas>(WindowWidth(), WindowHeight(), CANVAS_DESTROY_TARGET);
    snapshot->FillImageRect(Colors::Black);
    m_SnapshotWanted = false;
    // The front dialog stays live above the picture; those behind it freeze into it.
    Actor* front = m_Dialogs.empty() ? nullptr : m_Dialogs.back();
    const bool wasVisible = front && front->IsVisible();
    if (front)
        front->SetVisible(false);
    try {
        Draw(*snapshot);
    } catch (...) {
        if (front)
            front->SetVisible(wasVisible);
        throw;
    }
    if (front)
        front->SetVisible(wasVisible);
    m_Snapshot = std::move(snapshot);
}

void Screen::DrawSnapshot(Canvas& canvas)
{
    Image* picture = m_Snapshot->GetTargetSurface();
    const Canvas::DrawState& state = canvas.GetState();
    const Rect source = picture->GetFrameRect(0);
    Rect dest(static_cast<std::int16_t>(state.x), static_cast<std::int16_t>(state.y), source.w, source.h);
    // An opaque picture: copied, unless the canvas is fading what it draws.
    int shader = SHADERTYPE_COPY;
    std::uint8_t alpha = 255;
    if (state.alpha != 1.0f) {
        shader = SHADERTYPE_BLENDCONSTANTALPHA;
        alpha = static_cast<std::uint8_t>(std::clamp(255.0f * state.alpha, 0.0f, 255.0f));
    }
    canvas.GetImageRenderer()->DrawImage(picture, shader, &dest, &source, alpha, 0.0f, false, true);
    VELK_ASSERT(m_Dialogs.empty() == false);
    Actor* front = m_Dialogs.back();
    canvas.PushState();
    if (Actor* parent = front->GetParent()) {
        Point<int> origin = parent->LocalToGlobal(Point<int>(0, 0));
        canvas.Translate(origin.x, origin.y);
    }
    front->Draw(canvas);
    canvas.PopState();
}

void Screen::DrawLive(Canvas& canvas)
{
    // A copy: drawing must not be disturbed by an actor changing its layer meanwhile.
    std::vector<std::pair<int, Actor*>> entries(m_DrawMap.begin(), m_DrawMap.end());
    bool drewTree = false;
    for (const auto& [layer, actor] : entries) {
        if (!drewTree && layer >= 0) {
            Actor::Draw(canvas);
            drewTree = true;
        }
        if (!IsShownInTree(actor))
            continue;
        canvas.PushState();
        if (Actor* parent = actor->GetParent()) {
            Point<int> origin = parent->LocalToGlobal(Point<int>(0, 0));
            canvas.Translate(origin.x, origin.y);
        }
        actor->Draw(canvas);
        canvas.PopState();
    }
    if (!drewTree)
        Actor::Draw(canvas);
}

std::unique_ptr<ActorIterator> Screen::CreateReverseDrawIterator() const
{
    return std::make_unique<Screen_ReverseDrawListIterator>(*this);
}

// ---------------------------------------------------------------- Screen_ReverseDrawListIterator

Screen_ReverseDrawListIterator::Screen_ReverseDrawListIterator(const Screen& screen)
{
    if (screen.IsFrozen()) {
        VELK_ASSERT(screen.GetDialogs().empty() == false);
        Actor* front = screen.GetDialogs().back();
        std::vector<Actor*>& list = m_Lists[STATE_FRONT_DIALOG - 1];
        for (std::unique_ptr<ActorIterator> children = front->CreateReverseDrawIterator(); children->HasValue();
             children->Advance())
            list.push_back(children->GetValue());
        list.push_back(front);
        m_State = STATE_FRONT_DIALOG;
    } else {
        const Screen::DrawMap& map = screen.GetDrawMap();
        for (auto it = map.rbegin(); it != map.rend(); ++it)
            m_Lists[(it->first >= 0 ? STATE_LAYERS_ABOVE : STATE_LAYERS_BELOW) - 1].push_back(it->second);
        // Layered children are drawn at their layer's place, so that is where they are met.
        const Actor::ChildList& children = screen.GetChildren();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            if (!(*it)->HasLayer())
                m_Lists[STATE_CHILDREN - 1].push_back(*it);
        m_State = STATE_LAYERS_ABOVE;
    }
    SettleState();
}

Screen_ReverseDrawListIterator::~Screen_ReverseDrawListIterator() = default;

void Screen_ReverseDrawListIterator::SettleState()
{
    while (m_State != STATE_FINISHED && m_Position >= m_Lists[m_State - 1].size()) {
        // The frozen walk ends with its dialog; the live one runs through the other lists.
        m_State = m_State == STATE_FRONT_DIALOG ? STATE_FINISHED : m_State + 1;
        m_Position = 0;
    }
}

Actor* Screen_ReverseDrawListIterator::GetValue() const
{
    switch (m_State) {
    case STATE_FRONT_DIALOG:
    case STATE_LAYERS_ABOVE:
    case STATE_CHILDREN:
    case STATE_LAYERS_BELOW:
        return m_Lists[m_State - 1][m_Position];
    case STATE_FINISHED:
        VELK_ASSERT(false);
        return nullptr;
    default:
        VELK_ASSERT_MSG(false, "'m_State' is an unknown value");
        return nullptr;
    }
}

void Screen_ReverseDrawListIterator::Advance()
{
    switch (m_State) {
    case STATE_FRONT_DIALOG:
    case STATE_LAYERS_ABOVE:
    case STATE_CHILDREN:
    case STATE_LAYERS_BELOW:
        ++m_Position;
        SettleState();
        return;
    case STATE_FINISHED:
        VELK_ASSERT_MSG(false, "cannot advance a finished iterator");
        return;
    default:
        VELK_ASSERT_MSG(false, "'m_State' is an unknown value");
        return;
    }
}

// ---------------------------------------------------------------- buttons

void Screen::AttachToChildButtons(Actor* root)
{
    VELK_ASSERT(root != 0);
    for (Actor* child : root->GetChildren()) {
        if (auto* button = dynamic_cast<Button*>(child)) {
            button->AddToGroup(this);
            // Once only, however often the screen attaches.
            button->DetachObserver(VELK_BUTTONAPPEARANCECHANGE, this);
            button->AttachObserver(VELK_BUTTONAPPEARANCECHANGE, this);
        }
        AttachToChildButtons(child);
    }
}
