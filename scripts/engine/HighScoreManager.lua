-- The application-wide high-score tables and the rotation through them that
-- the high-score screens show.

HighScores = HighScores or {}

DefaultRatingsList = { name = "Top Ratings", is_rating_list = true }

local function CopyOf(t)
    local copy = {}
    for k, v in t do
        copy[k] = v
    end
    return copy
end

function ClearHighScores()
    HighScores.BlastScores = { name = "Top Blast Scores" }
    HighScores.CompeteScores = { name = "Top Compete Scores" }
    HighScores.SolitaireScores = { name = "Top Solitaire Scores" }
    HighScores.Percentages = { name = "Top Percentages", is_percentage_list = true }
    HighScores.Ratings = CopyOf(DefaultRatingsList)
    HighScores.WordsByScore = { name = "Top Words (by score)", is_word_list = true }
    HighScores.WordsByLength = {
        name = "Top Words (by length)",
        is_word_list = true,
        display_field_as_score = "word_length",
    }
end

function ClearRatingsList()
    HighScores.Ratings = CopyOf(DefaultRatingsList)
end

-- Entries 1 to 10 of one of the player's lists for the player's current game mode.
local function PlayerList(index, listName, suffix)
    local player = Players and Players[index]
    if player == nil or player.Name == nil then
        return { name = "Player " .. index .. suffix, skippable = true }
    end
    -- A list's name is a label text: the player's name shows as typed, never runs.
    local list = { name = PlainLabelText(player.Name) .. suffix }
    local mode = player.Options and player.Options["game.mode"]
    local modeTable = mode and player.Game_Modes and player.Game_Modes[mode]
    local entries = (modeTable and modeTable[listName]) or {}
    for i = 1, 10 do
        list[i] = entries[i]
    end
    return list
end

function GetPlayerHighScores(index)
    return PlayerList(index, "Top_Scores", "'s Top Scores")
end

function GetPlayerTopWords(index)
    local list = PlayerList(index, "Top_Words", "'s Top Words")
    if not list.skippable then
        list.is_word_list = true
    end
    return list
end

local function Listed(key)
    return function() return HighScores[key] end
end

HighScores.DisplayIndex = 1
HighScores.DisplayOrder = {
    { "SolitaireScores", Listed("SolitaireScores") },
    { "CompeteScores", Listed("CompeteScores") },
    { "BlastScores", Listed("BlastScores") },
    { "WordsByScore", Listed("WordsByScore") },
    { "WordsByLength", Listed("WordsByLength") },
    { "Percentages", Listed("Percentages") },
    { "Ratings", Listed("Ratings") },
}
for i = 1, 4 do
    local index = i
    table.insert(HighScores.DisplayOrder, { "Player" .. index .. "Words", function() return GetPlayerTopWords(index) end })
end
for i = 1, 4 do
    local index = i
    table.insert(HighScores.DisplayOrder, { "Player" .. index .. "Scores", function() return GetPlayerHighScores(index) end })
end

function HighScores.GetDisplayed()
    local entry = HighScores.DisplayOrder[HighScores.DisplayIndex]
    return entry and entry[2]()
end

function IsCurrentListSkippable()
    local entry = HighScores.DisplayOrder[HighScores.DisplayIndex]
    if entry == nil or type(entry[2]) ~= "function" then
        return false
    end
    local list = entry[2]()
    return type(list) == "table" and list.skippable == true
end

-- Moves the display by step (1 or -1), wrapping, past lists with nothing to show.
local function StepDisplay(step)
    local count = table.getn(HighScores.DisplayOrder)
    for _ = 1, count do
        HighScores.DisplayIndex = HighScores.DisplayIndex + step
        if HighScores.DisplayIndex > count then
            HighScores.DisplayIndex = 1
        elseif HighScores.DisplayIndex < 1 then
            HighScores.DisplayIndex = count
        end
        if not IsCurrentListSkippable() then
            break
        end
    end
    AppPostEvent("VELK_HIGHSCORESUPDATED")
end

function ShowNextHighScore()
    StepDisplay(1)
end

function ShowPrevHighScore()
    StepDisplay(-1)
end

function DisplayList(name)
    for index, entry in ipairs(HighScores.DisplayOrder) do
        if entry[1] == name then
            HighScores.DisplayIndex = index
            AppPostEvent("VELK_HIGHSCORESUPDATED")
            return
        end
    end
end
