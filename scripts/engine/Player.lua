-- The players as the script state holds them: the Players table, loading a
-- card, lookups by guid, making guids, and table helpers.

Card_Version = 4
GameNames = { "Solitaire", "Compete", "Blast" }
last_error = nil

-- A card file is one call of this function with the player's table.
function Player(player)
    table.insert(Players, player)
end

-- Reads a card as data; false when it cannot be used (see GetLastError).
function LoadFile(path)
    local loaded, message = Do_LoadFile(path)
    if not loaded then
        last_error = message
        return false
    end
    return true
end

function GetLastError()
    return last_error
end

function CreatePlayersTable()
    return { current = {} }
end

function SaveGameData()
    assert(IsDirectory(Paths.PlayerData), "The folder of player cards is missing: " .. tostring(Paths.PlayerData))
    for i = 1, 4 do
        local folder = Paths.PlayerData
        if string.sub(folder, -1) ~= "/" then
            folder = folder .. "/"
        end
        local path = folder .. "Player" .. i .. ".card"
        Serialize(Players[i], path, "Player ")
        print("Saved card " .. i .. " to " .. path)
    end
end

function IsCardEmpty(player)
    return player == nil or player.Name == nil or player.guid == nil
end

function GetPlayerWithGuid(guid, disable_error_check)
    for _, player in ipairs(Players or {}) do
        if player.guid == guid then
            return player
        end
    end
    for _, player in ipairs(DummyPlayers or {}) do
        if player.guid == guid then
            return player
        end
    end
    if disable_error_check then
        return nil
    end
    error("GetPlayerWithGuid failed, invalid guid=" .. tostring(guid))
end

function GetPlayerIndexWithGuid(guid)
    for index, player in ipairs(Players or {}) do
        if player.guid == guid then
            return index
        end
    end
    for index, player in ipairs(DummyPlayers or {}) do
        if player.guid == guid then
            return index
        end
    end
    return nil
end

-- Guids 1 to 1000 belong to the engine.
function CreatePlayerGuid()
    while true do
        local guid = math.random(2000000000) + 1000
        if GetPlayerWithGuid(guid, true) == nil then
            return guid
        end
    end
end

-- A new table with every key of every table argument; later arguments win.
function JoinTables(...)
    local joined = {}
    for i = 1, arg.n do
        local t = arg[i]
        if type(t) == "table" then
            for k, v in t do
                joined[k] = v
            end
        end
    end
    return joined
end

function DeepCopy(value)
    if type(value) ~= "table" then
        return value
    end
    local copy = {}
    for k, v in value do
        copy[k] = DeepCopy(v)
    end
    return copy
end

-- The player's High_Scores and Best_Words seen as a titled list. The title is
-- label text: the player's name in it is shown as typed, never run.
local function ListView(player, field, view)
    return setmetatable(view, {
        __index = function(_, key)
            local list = player[field]
            return list and list[key]
        end,
        __newindex = function(_, key, value)
            player[field] = player[field] or {}
            player[field][key] = value
        end,
    })
end

function GetPlayerHighScores(index)
    local player = Players[index]
    return ListView(player, "High_Scores", { name = PlainLabelText(tostring(player.Name)) .. "'s Top Ten" })
end

function GetPlayerBestWords(index)
    local player = Players[index]
    return ListView(player, "Best_Words", { name = PlainLabelText(tostring(player.Name)) .. "'s Top Words", is_word_list = true })
end
