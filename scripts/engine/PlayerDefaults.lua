-- What a new player's table holds, and the tables inside it. The game may
-- define CreatePlayer again after this file to add its own keys.

function CreateOptionsTable()
    return {
        ["player.gender"] = "male",
        ["player.picture"] = "female_hs.jpg",
        ["help.finished"] = false,
        m_CurrentRound = 1,
    }
end

function CreateGameModeTable()
    return {
        Medal_Word = 0,
        Medal_Score = 0,
        Medal_Percent = 0,
        Rating = 400,
        Rank = (Config and Config["rank.1"]) or "???",
        Top_Scores = {},
        Top_Percentages = {},
        Top_Words = {},
    }
end

function CreateGameSaveTable()
    return { CurrentRound = 0, Board = {} }
end

-- A fresh player; the fields of overrides (which may be nil) win.
function CreatePlayer(overrides)
    local player = {
        guid = (overrides and overrides.guid) or CreatePlayerGuid(),
        Card_Version = Card_Version,
        Rank = "Novice",
        Game_Modes = {},
        Options = CreateOptionsTable(),
        Game_Saves = {},
        Game_Records = {},
    }
    return JoinTables(player, overrides)
end

-- The placeholder players behind the default top scores: guids 1 to 10,
-- which no card player can have.
local DummyNames = {
    "Hazel", "Otto", "Marigold", "Rufus", "Juniper",
    "Felix", "Poppy", "Barnaby", "Clementine", "Wendell",
}

function CreateDummyPlayersTable()
    local dummies = {}
    for i = 1, table.getn(DummyNames) do
        dummies[i] = CreatePlayer({ guid = i, Name = DummyNames[i] })
    end
    return dummies
end
