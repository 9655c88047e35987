-- The quest's ten islands on the map, in map order: each holds five levels
-- and one bonus level that its five secret keys open.

-- Where the five small level stars sit on an island, from its top-left corner.
local StarPositions = { { 14, 30 }, { 38, 35 }, { 50, 13 }, { 110, 23 }, { 123, 6 } }

local function Island(n, name, position, nameOffset, starPositions)
    local levels = {}
    for k = 1, 5 do
        levels[k] = 5 * n - 5 + k
    end
    local stars = {}
    for k, at in ipairs(starPositions or StarPositions) do
        stars[k] = { at[1], at[2] }
    end
    -- Each picture's name is the island's number between a stem and a suffix.
    local function Picture(stem, suffix)
        return stem .. n .. suffix .. ".png"
    end
    return {
        islandName = name,
        islandNameActor = Picture("islandName", ""),
        islandNameActorUnlocked = Picture("islandName", "Unlocked"),
        islandNameActorLocked = Picture("islandName", "Locked"),
        islandLevels = levels,
        starPositions = stars,
        lockedImage = Picture("island", "_bw"),
        unlockedImage = Picture("island", "_b"),
        completedImage = Picture("island", "_g"),
        islandVisualProperties = {
            position = position,
            children = {
                rollOverHilight = Resources.Actor:new{ image = Picture("island", "_hl"), visible = false, zorder = 1 },
                selectHilight = Resources.Actor:new{ image = Picture("island", "_sl"), visible = false, zorder = 2 },
            },
        },
        islandNameActorOffset = nameOffset,
        bonusLevel = 50 + n,
    }
end

Resources.WoppleIslands = {
    Island(1, "St. Wopple", { 46, 107 }, { 21, -19 }),
    Island(2, "Treasure Island", { 227, 95 }, { 40, -15 }),
    Island(3, "Devil's Isle", { 238, 198 }, { 40, 0 }),
    Island(4, "Jokerville", { 28, 186 }, { 20, 10 }),
    Island(5, "Cherub Point", { 169, 256 }, { 40, 10 }),
    -- Narrow, to stay left of the level panel: its last stars sit lower down.
    Island(6, "Puerto Wopple", { 365, 291 }, { -70, 35 }, { { 14, 30 }, { 38, 35 }, { 50, 13 }, { 26, 58 }, { 54, 56 } }),
    Island(7, "Bounce Island", { 162, 349 }, { 30, 25 }),
    Island(8, "Little Wopple", { 32, 301 }, { 0, 18 }),
    Island(9, "Triple Trouble", { 6, 414 }, { -10, 18 }),
    Island(10, "Pirate's Hideout", { 147, 474 }, { 60, -15 }),
}
