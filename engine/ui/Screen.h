#pragma once

#include "engine/ui/Actor.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class Canvas;
class NoteManager;
class ViewableTransition;

// Construction flags of a dialog.
enum DialogFlags : std::uint32_t
{
    // The screen beneath stays live: no dimming overlay, no frozen picture.
    DIALOGFLAG_NONBLOCKING = 2,
};

// What a screen asks of the dialogs it shows; the dialog class implements it.
// An actor started as a dialog without it is a blocking dialog with no intro.
class ScreenDialog
{
public:
    virtual ~ScreenDialog() = default;
    virtual std::uint32_t GetDialogFlags() const = 0;
    // Called once the dialog is the screen's child.
    virtual void StartIntro() = 0;
    // Closes and destroys the dialog, at once or at the end of its exit script.
    virtual void StartExit() = 0;
};

// A full-window page of actors: the root of one tree that the screen manager
// shows, updates and routes events to. Beside the ordinary tree it keeps a
// cached background layer, a key-tip layer, the dimming overlay and the stack
// of open dialogs, and it draws every layered actor of its tree itself, below
// or above the whole tree. Under a blocking dialog the screen is drawn once
// into a picture and from then on only that picture and the dialog are drawn.
class Screen : public Actor, public LayerOwner
{
    VELK_DECLARE_CLASS(Screen)
public:
    // Layer -> actor; equal layers keep the order they were registered in.
    using DrawMap = std::multimap<int, Actor*>;

    // For the class registry: no background, no name yet.
    Screen();
    // The background resource may be empty; the screen takes the transition.
    Screen(const std::string& backgroundResource, const std::string& screenName, ViewableTransition* transition);
    ~Screen() override;

    // ---- Actor
    // The children from the topmost down, then the screen's own handlers, then the transition.
    bool OnEvent(const EventRecord& event) override;
    void Update() override;
    void Draw(Canvas& canvas) override;
    std::unique_ptr<ActorIterator> CreateReverseDrawIterator() const override;
    bool OnDialogDelete(const EventRecord& event) override;

    // ---- LayerOwner
    void RegisterLayeredActor(Actor* actor) override;
    void UnregisterLayeredActor(Actor* actor) override;
    void MoveLayeredActor(Actor* actor, int oldLayer, int newLayer) override;
    const DrawMap& GetDrawMap() const { return m_DrawMap; }

    // ---- layers of its own
    virtual void AddToBackgroundLayer(Actor* actor, const std::string& name);
    virtual void RemoveFromBackgroundLayer(Actor* actor);
    // The background layer's direct child "Background".
    Actor* GetBackground() const;
    void ReFlattenBackground();
    Actor* GetBackgroundLayer() const { return m_BackgroundLayer; }
    Actor* GetKeyTipLayer() const { return m_KeyTipLayer; }
    Actor* GetDialogOverlay() const { return m_DialogOverlay; }
    // The screen's hint bubbles, above the tree on layer 1001.
    NoteManager* GetNoteManager() const { return m_NoteManager; }
    ViewableTransition* GetTransition() const { return m_Transition.get(); }

    // ---- dialogs
    // Centres the dialog on layer 1004, adds it as a child and stacks it; it
    // becomes the front dialog.
    virtual void StartDialog(Actor* dialog, bool pauseGame);
    // The dialog must be a direct child.
    virtual void StopDialog(Actor* dialog);
    virtual void StopDialog(const std::string& name);
    // Whether any stacked dialog is visible.
    virtual bool HasDialogs() const;
    // An empty name gives the front dialog (the one started last); a name, the
    // nearest to the front with that name.
    virtual Actor* GetTopDialog(const std::string& name) const;
    virtual Actor* CreateDialogOverlay();
    // The stacked dialogs, the front one last.
    const std::vector<Actor*>& GetDialogs() const { return m_Dialogs; }
    bool IsDialogOpen(const Actor* dialog) const;
    // Every button in the root's subtree reports its events to this screen and
    // tells it of its changes of look.
    void AttachToChildButtons(Actor* root);

    // Whether the screen draws from its frozen picture (or will at the next draw).
    bool IsFrozen() const { return m_Snapshot != nullptr || m_SnapshotWanted; }

private:
    static bool IsBlocking(const Actor* dialog);
    // Shows the overlay and asks for a new frozen picture while a blocking dialog is open.
    void UpdateDialogState();
    // Drops a dialog that is gone; the last visible one resumes the game.
    void ForgetDialog(Actor* dialog);
    void RenderSnapshot();
    void DrawSnapshot(Canvas& canvas);
    void DrawLive(Canvas& canvas);

    Actor* m_BackgroundLayer = nullptr;
    std::unique_ptr<ViewableTransition> m_Transition;
    std::vector<Actor*> m_Dialogs;
    Actor* m_DialogOverlay = nullptr;
    Actor* m_KeyTipLayer = nullptr;
    NoteManager* m_NoteManager = nullptr;
    std::unique_ptr<Canvas> m_Snapshot;
    bool m_SnapshotWanted = false;
    DrawMap m_DrawMap;
};

// A screen's draw list from the top down: with a frozen picture only the front
// dialog's children and the dialog; otherwise the layered actors of layer 0 and
// up (highest first, later ones first among equals), the screen's own children
// from the last to the first (layered ones stand at their layer's place
// instead), then the layered actors below 0.
class Screen_ReverseDrawListIterator : public ActorIterator
{
public:
    explicit Screen_ReverseDrawListIterator(const Screen& screen);
    ~Screen_ReverseDrawListIterator() override;

    Actor* GetValue() const override;
    bool HasValue() const override { return m_State != STATE_FINISHED; }
    void Advance() override;

private:
    enum State
    {
        STATE_FRONT_DIALOG = 1,
        STATE_LAYERS_ABOVE = 2,
        STATE_CHILDREN = 3,
        STATE_LAYERS_BELOW = 4,
        STATE_FINISHED = 5,
    };
    void SettleState();

    // Each state's actors, in the order they are yielded.
    std::vector<Actor*> m_Lists[4];
    std::size_t m_Position = 0;
    int m_State = STATE_FINISHED;
};
