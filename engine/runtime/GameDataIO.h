#pragma once

#include "platform/lua/LuaObject.h"

#include <memory>
#include <string>

// Reads the four player cards once at start-up and hands their game records to
// the record manager; writes the cards back on request and at shutdown. Before
// writing, each player's records are rebuilt from those that still stand in a
// top-records list. The application owns the one instance.
class GameDataIO
{
public:
    GameDataIO();
    GameDataIO(const GameDataIO&) = delete;
    GameDataIO& operator=(const GameDataIO&) = delete;
    virtual ~GameDataIO();

    static GameDataIO* GetInstance();

    // Loads the cards (PlayerManager::LoadGameData) and files every record of
    // the players and dummy players. Only once, unless forced. Returns true.
    virtual bool LoadAllPlayerData(bool force);
    // Writes "Player1.card" to "Player4.card". A card that cannot be written
    // leaves its old file as it was; the others are still written, then the
    // first failure is thrown. Until a load has finished it writes nothing, so
    // a start-up that failed early leaves the cards on disk alone.
    virtual void SaveAllPlayerData();

private:
    struct Internal
    {
        GameDataIO* m_Owner = nullptr;
        bool m_Loaded = false;
    };
    std::unique_ptr<Internal> m_Internal;
};

// The folder of player cards, Paths.PlayerData; an assertion failure when it
// is not set, so that no card is ever written to some other folder.
std::string PlayerCardFolder(LuaState state);
// The card file of a player position in the folder of player cards.
std::string PlayerCardPath(const std::string& folder, int index);

// Reads a card as data: the file may only call Player with a player table,
// which then goes to the script's Player (it joins Players). Returns false
// with the reason when the file is missing or cannot be used; a file that is
// there but unusable is kept aside as ".bad" with a warning in the log.
bool LoadPlayerCard(LuaState state, const std::string& path, std::string& error);
