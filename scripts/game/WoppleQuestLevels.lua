-- The quest's levels by number: 1 to 50 are the standard levels, five to an
-- island, and 51 to 60 the bonus levels, one per island. Each level's topScore
-- seeds its top-score lists; a level may also name its own "starScore" and
-- "starTime". The defaults below stand in for any it leaves out. The rules and
-- the map add their fields as they come.

BonusLevelsStartAt = 51
DefaultStarScore = 30000
DefaultStarTime = 120
-- The best score of a level's seeded top-score list when the level names none.
DefaultTopScore = 30000

local kLevelNames = {
    "Sandy Start", "Shell Beach", "Palm Grove", "Crab Cove", "Tide Pools",
    "Coral Steps", "Starfish Bay", "Lagoon Loop", "Reef Ride", "Pearl Point",
    "Mango Walk", "Parrot Perch", "Banana Bend", "Coconut Climb", "Jungle Gate",
    "Drift Dunes", "Sunny Spit", "Gull Rock", "Kelp Corner", "Driftwood Den",
    "Lava Ledge", "Ember Path", "Smoky Ridge", "Hot Springs", "Crater Rim",
    "Misty Falls", "Fern Hollow", "Orchid Glen", "Rainbow Pool", "Hidden Spring",
    "Windy Cape", "Kite Hill", "Lighthouse Lane", "Storm Watch", "Harbour Lights",
    "Sunken Ship", "Cannon Cove", "Anchor Alley", "Skull Reef", "Pirate Port",
    "Golden Sands", "Turtle Trail", "Moonlit Bay", "Firefly Forest", "Whale Song",
    "Treasure Isle", "Jewel Cave", "Crown Cliffs", "Gold Rush", "Wopple Summit",
}

WoppleQuestLevels = {}
for number, name in ipairs(kLevelNames) do
    -- Later levels score higher; the seeded lists follow.
    WoppleQuestLevels[number] = { number = number, mapName = name, topScore = 20000 + 2000 * number }
end
-- Each island's bonus level, opened by finding all five of its secrets.
for island = 1, 10 do
    local number = BonusLevelsStartAt + island - 1
    WoppleQuestLevels[number] = { number = number, mapName = "Bonus " .. island, topScore = 60000 + 5000 * island }
end
