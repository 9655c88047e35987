-- The quest's levels by number: 1 to 50 are the standard levels, five to an
-- island, and 51 to 60 the bonus levels, one per island. A level may name its
-- own "topScore", "starScore" and "starTime"; the defaults below stand in for
-- any it leaves out. The rules and the map add their fields as they come.

BonusLevelsStartAt = 51
DefaultStarScore = 30000
DefaultStarTime = 120
-- The best score of a level's seeded high-score list.
DefaultTopScore = 60000

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
for level, name in ipairs(kLevelNames) do
    WoppleQuestLevels[level] = { mapName = name }
end
-- Each island's bonus level, opened by finding all five of its secrets.
for island = 1, 10 do
    WoppleQuestLevels[BonusLevelsStartAt + island - 1] = { mapName = "Bonus " .. island }
end
