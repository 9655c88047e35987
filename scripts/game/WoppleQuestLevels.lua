-- The quest's levels: fifty standard levels on ten islands of five, and one
-- bonus level per island from BonusLevelsStartAt on. Each level's topScore
-- seeds its top-score lists; a level without one takes DefaultTopScore.

BonusLevelsStartAt = 51
DefaultStarScore = 30000
DefaultStarTime = 120
DefaultTopScore = 30000

local islandNames = {
    "Pebble Cove", "Coconut Key", "Parrot Point", "Lagoon Reef", "Seashell Sands",
    "Mango Bluff", "Pirate Bay", "Coral Castle", "Volcano Rim", "Treasure Isle",
}

WoppleQuestLevels = {}

for island = 1, 10 do
    for step = 1, 5 do
        local number = 5 * (island - 1) + step
        WoppleQuestLevels[number] = {
            number = number,
            mapName = islandNames[island] .. " " .. step,
            -- Later levels score higher; the seeded lists follow.
            topScore = 20000 + 2000 * number,
        }
    end
    local bonus = BonusLevelsStartAt - 1 + island
    WoppleQuestLevels[bonus] = {
        number = bonus,
        mapName = islandNames[island] .. " Bonus",
        topScore = 60000 + 5000 * island,
    }
end
