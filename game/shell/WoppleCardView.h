#pragma once

#include "engine/ui/CardView.h"

#include <string>

class Label;
class Player;

// The actor showing a player's photo: the option "player.picture" (a picture
// name or a file path), else "photoPlayer.custom.png". A file that loads is
// filed as a picture under its path, so the next card finds it at once. With
// a target size, the photo is zoomed to fill it.
class PlayerPicture : public Actor
{
    VELK_DECLARE_CLASS(PlayerPicture)
public:
    PlayerPicture();

    // Each of these reloads the photo.
    void SetPlayer(Player* player);
    void SetTargetSize(float width, float height);

    Player* GetPlayer() const { return m_Player; }
    // The picture name (or path) the photo was last read from.
    const std::string& GetPictureName() const { return m_PictureName; }

    void ApplyClassicProperty(const std::string& name, const LuaObject& value) override;

private:
    void Reload();

    float m_TargetWidth = 0.0f;
    float m_TargetHeight = 0.0f;
    Player* m_Player = nullptr;
    std::string m_PictureName;
};

// The game's player card: name, total score, keys, rank, stars and photo,
// laid out by the template "DefaultWoppleCardView". The engine card's own
// fields stay empty; the game's labels are found by name once spawned.
class WoppleCardView : public CardView
{
    VELK_DECLARE_CLASS(WoppleCardView)
public:
    WoppleCardView() = default;

    void OnPostSpawn() override;
    // The card's UpdateFromPlayer: fills the labels and reloads the photo.
    void ReadPlayer() override;

    Label* GetNameLabel() const { return m_NameLabel; }
    Label* GetScoreLabel() const { return m_ScoreLabel; }
    Label* GetKeysLabel() const { return m_KeysLabel; }
    Label* GetRankLabel() const { return m_RankLabel; }
    Label* GetRankText() const { return m_RankText; }
    Label* GetStarLabel() const { return m_StarLabel; }
    PlayerPicture* GetPicture() const { return m_Picture; }

private:
    Label* m_NameLabel = nullptr;
    Label* m_ScoreLabel = nullptr;
    Label* m_KeysLabel = nullptr;
    Label* m_RankLabel = nullptr;
    Label* m_RankText = nullptr;
    Label* m_StarLabel = nullptr;
    PlayerPicture* m_Picture = nullptr;
};
