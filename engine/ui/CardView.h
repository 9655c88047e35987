#pragma once

#include "engine/ui/Actor.h"

#include <cstdint>
#include <string>
#include <vector>

class CardView;
class Label;
class Player;

// The looks a card moves through with the pointer: "Active" (no highlight),
// "Highlighted" under the pointer, "Pressed" while the primary button holds it.
namespace CardViewStates {

class Active : public State
{
public:
    explicit Active(CardView& card) : m_Card(card) {}
    std::string GetName() const override { return "Active"; }
    void OnEnterState() override;
    void OnExitState() override;
    bool OnMouseEnter(const EventRecord& event) override;
    bool OnMouseButtonUp(const EventRecord& event) override;

private:
    CardView& m_Card;
};

class Highlighted : public State
{
public:
    explicit Highlighted(CardView& card) : m_Card(card) {}
    std::string GetName() const override { return "Highlighted"; }
    bool OnMouseLeave(const EventRecord& event) override;
    bool OnMouseButtonDown(const EventRecord& event) override;

private:
    CardView& m_Card;
};

class Pressed : public State
{
public:
    explicit Pressed(CardView& card) : m_Card(card) {}
    std::string GetName() const override { return "Pressed"; }
    void OnEnterState() override;
    void OnExitState() override;
    bool OnMouseLeave(const EventRecord& event) override;
    bool OnMouseButtonUp(const EventRecord& event) override;

private:
    CardView& m_Card;
};

} // namespace CardViewStates

// A clickable card showing one player's profile: the card picture
// "bkgCard.png", nine text fields (name, best results, rank, game mode), a rank
// picture ("bkgCardRank.png", a frame per rank) and a game-mode picture
// ("bkgCardMode.png", a frame per mode). It behaves like a button: a press and
// a release of the primary mouse button over it post VELK_CARDCLICK, with the
// card as first data word, to the receivers it was added to (AddToGroup).
// While pressed the whole card is drawn 2 pixels right and down.
class CardView : public Actor
{
    VELK_DECLARE_CLASS(CardView)
public:
    enum Field
    {
        FIELD_NAME = 0,
        FIELD_BEST_SCORE = 1,
        FIELD_BEST_LEVEL = 2,
        FIELD_WORD = 5,
        FIELD_RANK = 6,
        FIELD_RATING = 7,
        FIELD_MODE = 8,
        NUM_FIELDS = 9,
    };

    // Builds the card: the template "CardView", its pictures, fields and states.
    CardView();
    ~CardView() override;

    // Shows the player (null: nothing, as an empty slot) and reads its fields.
    void SetPlayer(Player* player);
    Player* GetPlayer() const { return m_Player; }
    // No player, or a player without a "Name".
    bool IsEmptySlot() const;

    virtual void Build();
    // Fills every field from the player, or empties them for an empty slot.
    virtual void ReadPlayer();
    virtual void FillFields(int index);
    virtual void ClearFields();
    // Places the fields, then shows the rank and the game mode in the pictures.
    virtual void UpdateRank();
    virtual void SwitchState(const std::string& name);

    void Update() override;
    void Draw(Canvas& canvas) override;

    // The parts, each null once something else has deleted it.
    Label* GetField(int index) const;
    Actor* GetBackground() const;
    Actor* GetHighlight() const;
    Actor* GetShade() const;
    Actor* GetRankPicture() const;
    Actor* GetModePicture() const;
    bool IsHeld() const { return m_Held != 0; }
    void SetHeld(bool held) { m_Held = held ? 1 : 0; }
    bool IsEnabled() const { return m_Enabled != 0; }
    void SetEnabled(bool enabled) { m_Enabled = enabled ? 1 : 0; }
    Point<int> GetDrawOffset() const { return Point<int>(m_DrawOffsetX, m_DrawOffsetY); }
    void SetDrawOffset(int x, int y);

    // The frame of "bkgCardRank.png" for a rank name; -1 for a name it does not know.
    static int RankFrame(const std::string& rank);

protected:
    // The game mode of current player 1 ("game.mode"); empty when there is none.
    static std::string CurrentGameMode();
    // This player's table for the current mode; nil without a mode or a player.
    LuaObject GameModeTable() const;
    void RefreshPictures();
    void PlaceFields();
    void SetFieldText(int index, const std::string& text);

private:
    // A child made here, added under the card and held by its script self.
    LuaObject AddPart(Actor* part, int zorder);

    Player* m_Player = nullptr;
    // The parts are held through their script selves, which read as nothing
    // once something else has deleted them.
    LuaObject m_Background;
    LuaObject m_Highlight;
    LuaObject m_Shade;
    LuaObject m_RankPicture;
    LuaObject m_ModePicture;
    std::vector<LuaObject> m_Fields;
    std::uint8_t m_Held = 0;
    std::uint8_t m_Enabled = 0;
    std::int32_t m_DrawOffsetX = 0;
    std::int32_t m_DrawOffsetY = 0;
};
