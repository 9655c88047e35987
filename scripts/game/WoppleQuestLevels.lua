-- The quest's levels by number: 1 to 50 are the standard levels, five to an
-- island, and 51 to 60 the bonus levels, one per island (island n holds levels
-- 5n-4 to 5n and bonus level 50 + n). Each entry names the logic that plays it
-- ("class"); its other keys become the logic's properties. "topScore" seeds a
-- level's top-score lists; "starScore" and "starTime" are what its score and
-- time stars ask for. The defaults below stand in for any it leaves out.
--
-- The islands grow harder one after another: larger patterns, devils on the
-- reels and then on the board, a clock on every turn, more lines on the
-- linked boards. Treasure chests ("cellPirateOrTreasure") stay out: the
-- rules take them only in a duel, and there the chest's question stalls
-- the round. A level that brings something new says so in its intro.

BonusLevelsStartAt = 51
DefaultStarScore = 30000
DefaultStarTime = 120
-- The best score of a level's seeded top-score list when the level names none.
DefaultTopScore = 30000

-- The one level music of the score (data/music/Wopple.score): the rules play
-- its "Intro", "Part 1", "Break", "Loop" and "Ending".
local kLevelMusic = "Wopple Theme"

local kFrogs = { resource = "BonusSquaresDefaults", numSquares = 2 }
local kManyFrogs = { resource = "BonusSquaresDefaults", numSquares = 3 }

local function Boxes(words)
    return { boxSpecifics = IncludeBoxes(words) }
end

local function Secret(column, row, board)
    return { position = { column, row }, board = board or 1 }
end

-- The intros, shown once to each player as the level opens.
local kIntro = {
    welcome = {
        "Welcome to the Quest!",
        "Each level marks a pattern on your card. Match every square of the pattern before your spins run out "
            .. "and the way to the next level opens.\n\n"
            .. "Somewhere under the card a secret key is hidden. Match its square to find it: the five keys of an "
            .. "island open its bonus level.",
    },
    coins = {
        "Gold Coins",
        "Gold coins lie hidden under some squares of this card. Match a square with a coin on it and it pays "
            .. "1,000 points at once.",
    },
    boxes = {
        "Treasure Boxes",
        "Treasure boxes sit at the ends of some lines. Complete a line with a box and a butterfly flies out of "
            .. "it.\n\nSet every butterfly of a level free to earn its butterfly star.",
    },
    jokers = {
        "Hidden Jokers",
        "Some squares hide a joker. Match one and you may mark any square you like in the joker's column.",
    },
    frogs = {
        "Bonus Frogs",
        "Frogs hop about the card while the reels spin. Match the square a frog sits on when the reels stop "
            .. "for 5,000 extra points.",
    },
    twoBoards = {
        "Two Cards!",
        "This time you play two cards at once, one above the other. Every reel counts for both.\n\n"
            .. "Lines that run from one card into the other are Super Wopples. Collect the Wopples and Super "
            .. "Wopples shown under the cards to pass the level.",
    },
    multipliers = {
        "Score Multipliers",
        "A few squares hide a multiplier. Match one and the lines it completes are worth two, three or even "
            .. "five times as much.",
    },
    freeSpins = {
        "Free Spins",
        "Free spins hide under some squares. Keep them for later: when your twenty spins are nearly gone, a "
            .. "free spin costs you no points.",
    },
    reelMultipliers = {
        "Multipliers on the Reels",
        "From now on the reels can stop on a multiplier too. Every line you complete on that spin counts "
            .. "double or more.",
    },
    sevenBySeven = {
        "The Big Card",
        "A card of seven by seven squares, with seven reels to match it! Lines are longer, but each one is "
            .. "worth twice as much.",
    },
    vision = {
        "Wopple Vision",
        "Find the Wopple Vision and for a few spins the card shows you which squares will finish a line. Use "
            .. "it well!",
    },
    bonusTimer = {
        "The Bonus Timer",
        "Match quickly! Each square you match while the bonus timer is running adds to your bonus.",
    },
    protection = {
        "Cherub Protection",
        "Devils take points when they come up on the reels. A cherub hidden on the card keeps the next devil "
            .. "away from your score.",
    },
    devils = {
        "Devils on the Card",
        "Careful: devils now hide under some squares. Match one and it takes a bite out of your score. A "
            .. "cherub on the reels chases it away.",
    },
    bounce = {
        "Bouncing Wopples",
        "On this island lines bounce off the edges of the card: a diagonal that reaches the edge turns back "
            .. "and goes on, making Wopples where you would not expect them.",
    },
    threeBoards = {
        "Three Cards!",
        "Three cards, one above and two below. Lines cross from the top card into both cards below.\n\n"
            .. "Collect the Wopples and Super Wopples shown under the cards to pass the level.",
    },
    timeLimit = {
        "Against the Clock",
        "Each turn now has a time limit. Match your squares before the clock runs out, or the spin is gone.",
    },
    devilCherubs = {
        "Devil Cherubs",
        "A devil cherub looks sweet, but it plays tricks. Match it and it may help you, or take points away.",
    },
    fourBoards = {
        "Four Cards!",
        "Four cards in a square, every one linked to its neighbours. Super Wopples can cross from any card "
            .. "into the next.\n\nCollect the Wopples and Super Wopples shown under the cards to pass the level.",
    },
    bonus = {
        "A Bonus Level!",
        "You found all five secret keys of the island, and its bonus level is open. Every spin here is free: "
            .. "play for the highest score you can.",
    },
}

local function Intro(key)
    return kIntro[key]
end

-- name = the map's name of the level; the rest is the level's own table.
local kLevels = {
    -- Island 1: the first patterns, no devils yet.
    { "Sandy Start", class = "WopplePatternsGameLogic", patternIndex = 1, intro = Intro("welcome"),
      wheelDevils = false, secretSquare = Secret(3, 2), starScore = 12000, starTime = 120 },
    { "Shell Beach", class = "WopplePatternsGameLogic", patternIndex = 18, intro = Intro("coins"),
      wheelDevils = false, secretSquare = Secret(4, 5), cellCoins = 2, starScore = 13500, starTime = 120 },
    { "Palm Grove", class = "WopplePatternsGameLogic", patternIndex = 39, wheelDevils = false,
      secretSquare = Secret(1, 4), cellCoins = 3, starScore = 15000, starTime = 120 },
    { "Crab Cove", class = "WopplePatternsGameLogic", patternIndex = 5, intro = Intro("boxes"),
      wheelDevils = false, secretSquare = Secret(5, 1), cellCoins = 2,
      treasureBoxManagerDetails = Boxes{ "row 3" }, starScore = 16500, starTime = 120 },
    { "Tide Pools", class = "WopplePatternsGameLogic", patternIndex = 2, wheelDevils = false,
      secretSquare = Secret(2, 5), cellCoins = 3,
      treasureBoxManagerDetails = Boxes{ "column 3", "row 3" }, starScore = 18000, starTime = 120 },

    -- Island 2: jokers, frogs, multipliers, free spins and the first two cards.
    { "Coral Steps", class = "WopplePatternsGameLogic", patternIndex = 3, intro = Intro("jokers"),
      secretSquare = Secret(2, 1), cellCoins = 2, cellJokers = 1,
      treasureBoxManagerDetails = Boxes{ "downward" }, starScore = 20000, starTime = 125 },
    { "Starfish Bay", class = "WopplePatternsGameLogic", patternIndex = 20, intro = Intro("frogs"),
      secretSquare = Secret(1, 1), cellCoins = 2, bonusSquares = kFrogs,
      treasureBoxManagerDetails = Boxes{ "row 5", "column 3" }, starScore = 21500, starTime = 125 },
    { "Lagoon Loop", class = "WoppleTwoBoardGameLogic", intro = Intro("twoBoards"),
      numberOfWopplesRequired = 10, numberOfSuperWopplesRequired = 1,
      secretSquare = Secret(3, 3, 2), cellCoins = 3, starScore = 30000, starTime = 190 },
    { "Reef Ride", class = "WopplePatternsGameLogic", patternIndex = 16, intro = Intro("multipliers"),
      secretSquare = Secret(5, 5), cellCoins = 2, cellMultipliers = { { magnitude = 2 }, { magnitude = 3 } },
      treasureBoxManagerDetails = Boxes{ "column 3", "upward" }, starScore = 24500, starTime = 125 },
    { "Pearl Point", class = "WopplePatternsGameLogic", patternIndex = 37, intro = Intro("freeSpins"),
      secretSquare = Secret(3, 5), cellCoins = 2, cellFreeSpins = 2, cellJokers = 1,
      treasureBoxManagerDetails = Boxes{ "row 1", "column 1", "column 5" }, starScore = 26000, starTime = 125 },

    -- Island 3: multipliers on the reels, the big card, vision, the bonus timer.
    { "Mango Walk", class = "WopplePatternsGameLogic", patternIndex = 7, intro = Intro("reelMultipliers"),
      wheelMultipliers = true, secretSquare = Secret(4, 2), cellCoins = 2, cellJokers = 1,
      treasureBoxManagerDetails = Boxes{ "row 5", "column 1" }, starScore = 24000, starTime = 130 },
    { "Parrot Perch", class = "WoppleSevenBySevenLogic", patternIndex = 54, intro = Intro("sevenBySeven"),
      secretSquare = Secret(4, 4), cellCoins = 3, cellJokers = 1,
      treasureBoxManagerDetails = Boxes{ "row 4", "column 4" }, starScore = 40000, starTime = 170 },
    { "Banana Bend", class = "WopplePatternsGameLogic", patternIndex = 17, intro = Intro("vision"),
      wheelWoppleVision = true, cellWoppleVision = 1, secretSquare = Secret(1, 5), cellCoins = 2,
      treasureBoxManagerDetails = Boxes{ "row 3", "column 4" }, starScore = 27000, starTime = 130 },
    { "Coconut Climb", class = "WopplePatternsGameLogic", patternIndex = 21, intro = Intro("bonusTimer"),
      enableBonusTimer = true, secretSquare = Secret(5, 3), cellCoins = 2, cellFreeSpins = 1,
      treasureBoxManagerDetails = Boxes{ "column 3", "row 1", "downward" }, starScore = 28500, starTime = 130 },
    { "Jungle Gate", class = "WopplePatternsGameLogic", patternIndex = 9, intro = Intro("protection"),
      cellDevilProtection = 2, secretSquare = Secret(3, 1), cellCoins = 2, cellJokers = 1,
      bonusSquares = kFrogs, treasureBoxManagerDetails = Boxes{ "column 1", "column 5", "row 5" },
      starScore = 30000, starTime = 130 },

    -- Island 4: devils under the card, bouncing lines, three cards, the clock, the pirate.
    { "Drift Dunes", class = "WopplePatternsGameLogic", patternIndex = 12, intro = Intro("devils"),
      cellDevils = 1, secretSquare = Secret(5, 5), cellCoins = 2, cellJokers = 1,
      treasureBoxManagerDetails = Boxes{ "column 1", "row 1" }, starScore = 30000, starTime = 135 },
    { "Sunny Spit", class = "WopplePatternsGameLogic", patternIndex = 6, intro = Intro("bounce"),
      bounceWopples = true, cellDevils = 1, secretSquare = Secret(1, 2), cellCoins = 2,
      cellMultipliers = { { magnitude = 2 } }, treasureBoxManagerDetails = Boxes{ "row 3", "upward" },
      starScore = 31500, starTime = 135 },
    { "Gull Rock", class = "WoppleThreeBoardGameLogic", intro = Intro("threeBoards"),
      numberOfWopplesRequired = 18, numberOfSuperWopplesRequired = 2,
      secretSquare = Secret(2, 4, 3), cellCoins = 3, cellJokers = 1, starScore = 40000, starTime = 210 },
    { "Kelp Corner", class = "WopplePatternsGameLogic", patternIndex = 44, intro = Intro("timeLimit"),
      timeLimitted = true, timePerTurn = 30, cellDevils = 1, secretSquare = Secret(2, 2), cellCoins = 2,
      cellJokers = 1, treasureBoxManagerDetails = Boxes{ "column 3", "row 5" }, starScore = 34500, starTime = 135 },
    { "Driftwood Den", class = "WopplePiratesFortuneGameLogic",
      intro = { WopplePiratesFortuneLevel.levelIntroTitle, WopplePiratesFortuneLevel.levelIntroDialog },
      secretSquare = Secret(4, 3), cellFreeSpins = 4, cellCoins = 3, cellJokers = 1, starScore = 30000,
      starTime = 240 },

    -- Island 5: devil cherubs and bigger patterns.
    { "Lava Ledge", class = "WopplePatternsGameLogic", patternIndex = 43, intro = Intro("devilCherubs"),
      cellDevilCherubs = 1, cellDevils = 1, secretSquare = Secret(1, 1), cellCoins = 2, cellJokers = 1,
      treasureBoxManagerDetails = Boxes{ "row 3", "column 3" }, starScore = 34000, starTime = 140 },
    { "Ember Path", class = "WopplePatternsGameLogic", patternIndex = 22,
      cellDevils = 1, secretSquare = Secret(5, 2), cellCoins = 2, cellJokers = 1,
      treasureBoxManagerDetails = Boxes{ "row 5", "column 3", "downward" }, starScore = 35500, starTime = 140 },
    { "Smoky Ridge", class = "WoppleSevenBySevenLogic", patternIndex = 52, wheelMultipliers = true,
      cellDevils = 1, secretSquare = Secret(1, 7), cellCoins = 3, cellJokers = 2,
      treasureBoxManagerDetails = Boxes{ "downward", "upward" }, starScore = 50000, starTime = 180 },
    { "Hot Springs", class = "WopplePatternsGameLogic", patternIndex = 29, enableBonusTimer = true,
      cellDevils = 1, cellDevilProtection = 1, secretSquare = Secret(3, 4), cellCoins = 2, cellJokers = 1,
      treasureBoxManagerDetails = Boxes{ "row 2", "column 3" }, starScore = 38500, starTime = 140 },
    { "Crater Rim", class = "WopplePatternsGameLogic", patternIndex = 49, timeLimitted = true, timePerTurn = 28,
      cellDevils = 1, cellDevilCherubs = 1, secretSquare = Secret(3, 1), cellCoins = 2, cellJokers = 1,
      cellFreeSpins = 1, treasureBoxManagerDetails = Boxes{ "row 5", "column 2", "column 4" },
      starScore = 40000, starTime = 140 },

    -- Island 6: four cards, and the devils come in pairs.
    { "Misty Falls", class = "WopplePatternsGameLogic", patternIndex = 8, wheelWoppleVision = true,
      cellDevils = 2, secretSquare = Secret(3, 2), cellCoins = 3, cellJokers = 1,
      treasureBoxManagerDetails = Boxes{ "row 3", "column 1", "column 5" }, starScore = 38000, starTime = 145 },
    { "Fern Hollow", class = "WopplePatternsGameLogic", patternIndex = 10, bounceWopples = true,
      cellDevils = 2, secretSquare = Secret(1, 3), cellCoins = 2, cellJokers = 1,
      cellMultipliers = { { magnitude = 2 }, {} }, bonusSquares = kFrogs,
      treasureBoxManagerDetails = Boxes{ "row 1", "row 5", "downward" }, starScore = 39500, starTime = 145 },
    { "Orchid Glen", class = "WoppleFourBoardGameLogic", intro = Intro("fourBoards"),
      numberOfWopplesRequired = 22, numberOfSuperWopplesRequired = 3,
      secretSquare = Secret(5, 5, 4), cellCoins = 4, cellJokers = 2, starScore = 70000, starTime = 230 },
    { "Rainbow Pool", class = "WopplePatternsGameLogic", patternIndex = 47, wheelMultipliers = true,
      cellDevils = 2, secretSquare = Secret(3, 3), cellCoins = 2, cellJokers = 1, cellDevilProtection = 1,
      treasureBoxManagerDetails = Boxes{ "downward", "upward", "row 3" }, starScore = 42500, starTime = 145 },
    { "Hidden Spring", class = "WopplePatternsGameLogic", patternIndex = 14, timeLimitted = true, timePerTurn = 26,
      cellDevils = 2, secretSquare = Secret(2, 5), cellCoins = 2, cellJokers = 1, cellFreeSpins = 1,
      treasureBoxManagerDetails = Boxes{ "column 1", "column 5", "downward" }, starScore = 44000, starTime = 145 },

    -- Island 7: the wind rises.
    { "Windy Cape", class = "WoppleSevenBySevenLogic", patternIndex = 53, cellDevils = 2,
      secretSquare = Secret(7, 1), cellCoins = 3, cellJokers = 2, cellMultipliers = { {} },
      treasureBoxManagerDetails = Boxes{ "row 4", "column 4", "downward" }, starScore = 65000, starTime = 190 },
    { "Kite Hill", class = "WopplePatternsGameLogic", patternIndex = 25, enableBonusTimer = true,
      wheelMultipliers = true, cellDevils = 2, secretSquare = Secret(5, 4), cellCoins = 2, cellJokers = 1,
      treasureBoxManagerDetails = Boxes{ "row 2", "column 3", "upward" }, starScore = 43500, starTime = 150 },
    { "Lighthouse Lane", class = "WoppleFourBoardGameLogic", numberOfWopplesRequired = 25,
      numberOfSuperWopplesRequired = 4, cellDevils = 2, secretSquare = Secret(1, 1, 2), cellCoins = 4,
      cellJokers = 2, starScore = 75000, starTime = 240 },
    { "Storm Watch", class = "WopplePatternsGameLogic", patternIndex = 45, timeLimitted = true, timePerTurn = 25,
      cellDevils = 2, cellDevilCherubs = 1, secretSquare = Secret(2, 3), cellCoins = 2, cellJokers = 1,
      treasureBoxManagerDetails = Boxes{ "row 1", "row 3", "row 5" }, starScore = 46500, starTime = 150 },
    { "Harbour Lights", class = "WopplePatternsGameLogic", patternIndex = 13, wheelWoppleVision = true,
      cellDevils = 2, secretSquare = Secret(5, 1), cellCoins = 3, cellJokers = 1,
      bonusSquares = kFrogs, treasureBoxManagerDetails = Boxes{ "row 3", "column 3", "downward" },
      starScore = 48000, starTime = 150 },

    -- Island 8: the pirates' waters.
    { "Sunken Ship", class = "WopplePatternsGameLogic", patternIndex = 48, 
      cellDevils = 2, secretSquare = Secret(4, 4), cellCoins = 2, cellJokers = 1,
      treasureBoxManagerDetails = Boxes{ "row 1", "column 1", "row 3" }, starScore = 45000, starTime = 155 },
    { "Cannon Cove", class = "WopplePatternsGameLogic", patternIndex = 24, bounceWopples = true,
      timeLimitted = true, timePerTurn = 25, cellDevils = 2, secretSquare = Secret(3, 5), cellCoins = 2,
      cellJokers = 2, treasureBoxManagerDetails = Boxes{ "row 3", "column 3", "downward", "upward" },
      starScore = 46500, starTime = 155 },
    { "Anchor Alley", class = "WopplePatternsGameLogic", patternIndex = 32, wheelMultipliers = true,
      cellDevils = 3, secretSquare = Secret(2, 2), cellCoins = 2, cellJokers = 2, cellFreeSpins = 1,
      treasureBoxManagerDetails = Boxes{ "row 1", "row 3", "row 5" }, starScore = 48000, starTime = 155 },
    { "Skull Reef", class = "WopplePatternsGameLogic", patternIndex = 33, cellDevils = 3, cellDevilCherubs = 1,
      secretSquare = Secret(4, 1), cellCoins = 2, cellJokers = 2,
      treasureBoxManagerDetails = Boxes{ "column 1", "column 3", "column 5" }, starScore = 49500, starTime = 155 },
    { "Pirate Port", class = "WopplePiratesFortuneGameLogic", cellDevils = 1, secretSquare = Secret(2, 4),
      cellFreeSpins = 3, starScore = 45000, starTime = 240 },

    -- Island 9: the long lines.
    { "Golden Sands", class = "WopplePatternsGameLogic", patternIndex = 15, enableBonusTimer = true,
      cellDevils = 3, secretSquare = Secret(5, 1), cellCoins = 3, cellJokers = 2,
      treasureBoxManagerDetails = Boxes{ "row 5", "column 1", "downward" }, starScore = 48000, starTime = 160 },
    { "Turtle Trail", class = "WopplePatternsGameLogic", patternIndex = 4, timeLimitted = true, timePerTurn = 24,
      cellDevils = 3, secretSquare = Secret(3, 3), cellCoins = 2, cellJokers = 2, cellMultipliers = { {} },
      treasureBoxManagerDetails = Boxes{ "row 1", "row 5", "column 1", "column 5" }, starScore = 49500,
      starTime = 160 },
    { "Moonlit Bay", class = "WoppleFourBoardGameLogic", numberOfWopplesRequired = 28,
      numberOfSuperWopplesRequired = 5, cellDevils = 3, secretSquare = Secret(3, 3, 3), cellCoins = 4,
      cellJokers = 3, wheelMultipliers = true, starScore = 85000, starTime = 260 },
    { "Firefly Forest", class = "WopplePatternsGameLogic", patternIndex = 27, wheelWoppleVision = true,
      cellDevils = 3, cellDevilCherubs = 1, secretSquare = Secret(1, 5), cellCoins = 2, cellJokers = 2,
      bonusSquares = kFrogs, treasureBoxManagerDetails = Boxes{ "row 2", "row 3", "column 3" },
      starScore = 52500, starTime = 160 },
    { "Whale Song", class = "WoppleSevenBySevenLogic", patternIndex = 57, cellDevils = 3, wheelMultipliers = true,
      secretSquare = Secret(7, 7), cellCoins = 3, cellJokers = 3, cellFreeSpins = 1,
      treasureBoxManagerDetails = Boxes{ "column 4", "row 7", "row 1" }, starScore = 60000, starTime = 200 },

    -- Island 10: the summit.
    { "Treasure Isle", class = "WopplePatternsGameLogic", patternIndex = 46, 
      cellDevils = 3, secretSquare = Secret(3, 1), cellCoins = 3, cellJokers = 2,
      treasureBoxManagerDetails = Boxes{ "row 2", "row 4", "row 5", "column 3" }, starScore = 52000,
      starTime = 165 },
    { "Jewel Cave", class = "WopplePatternsGameLogic", patternIndex = 36, timeLimitted = true, timePerTurn = 22,
      bounceWopples = true, cellDevils = 3, secretSquare = Secret(3, 3), cellCoins = 2, cellJokers = 3,
      treasureBoxManagerDetails = Boxes{ "row 2", "row 4", "column 1", "column 5" }, starScore = 53500,
      starTime = 165 },
    { "Crown Cliffs", class = "WoppleFourBoardGameLogic", numberOfWopplesRequired = 30,
      numberOfSuperWopplesRequired = 6, cellDevils = 4, cellDevilCherubs = 1, secretSquare = Secret(5, 1, 2),
      cellCoins = 4, cellJokers = 3, timeLimitted = true, timePerTurn = 30, starScore = 80000, starTime = 270 },
    { "Gold Rush", class = "WopplePatternsGameLogic", patternIndex = 28, enableBonusTimer = true,
      wheelMultipliers = true, cellDevils = 4, secretSquare = Secret(2, 1), cellCoins = 3, cellJokers = 2,
      cellMultipliers = { { magnitude = 5 } }, treasureBoxManagerDetails = Boxes{ "row 1", "row 3", "row 5",
      "downward", "upward" }, starScore = 56500, starTime = 165 },
    { "Wopple Summit", class = "WoppleSevenBySevenLogic", patternIndex = 51, timeLimitted = true, timePerTurn = 25,
      cellDevils = 4, cellDevilCherubs = 1, secretSquare = Secret(4, 4), cellCoins = 3, cellJokers = 3,
      cellFreeSpins = 2, treasureBoxManagerDetails = Boxes{ "row 1", "row 7", "column 1", "column 7" },
      starScore = 75000, starTime = 205 },
}

-- The bonus levels, one per island: every spin free, treasure everywhere.
local kBonusLevels = {
    { class = "WopplePatternsGameLogic", patternIndex = 42, intro = Intro("bonus"),
      allSpinsFree = true, wheelDevils = false, secretSquare = Secret(5, 5), cellCoins = 5,
      bonusSquares = kFrogs, treasureBoxManagerDetails = Boxes{ "row 3", "column 3" },
      starScore = 40000, starTime = 120 },
    { class = "WopplePatternsGameLogic", patternIndex = 23, allSpinsFree = true,
      secretSquare = Secret(1, 1), cellCoins = 5, cellMultipliers = { { magnitude = 3 }, {} },
      treasureBoxManagerDetails = Boxes{ "row 1", "column 3", "downward" }, starScore = 50000, starTime = 120 },
    { class = "WopplePatternsGameLogic", patternIndex = 19, allSpinsFree = true,
      wheelMultipliers = true, secretSquare = Secret(3, 3), cellCoins = 5, cellJokers = 2, bonusSquares = kFrogs,
      treasureBoxManagerDetails = Boxes{ "row 1", "row 5", "downward", "upward" }, starScore = 60000,
      starTime = 130 },
    { class = "WopplePatternsGameLogic", patternIndex = 31, allSpinsFree = true,
      enableBonusTimer = true, cellDevils = 1, secretSquare = Secret(5, 3), cellCoins = 5, cellJokers = 2,
      treasureBoxManagerDetails = Boxes{ "row 1", "row 3", "column 3" }, starScore = 65000, starTime = 130 },
    { class = "WopplePatternsGameLogic", patternIndex = 30, allSpinsFree = true,
      wheelMultipliers = true, cellDevils = 1, cellDevilCherubs = 1, secretSquare = Secret(3, 5), cellCoins = 5,
      cellJokers = 2, cellMultipliers = { {}, {} }, treasureBoxManagerDetails = Boxes{ "column 1", "column 5",
      "row 3" }, starScore = 75000, starTime = 140 },
    { class = "WopplePatternsGameLogic", patternIndex = 34, allSpinsFree = true,
      bounceWopples = true, cellDevils = 2, secretSquare = Secret(1, 5), cellCoins = 5, cellJokers = 4,
      bonusSquares = kManyFrogs, treasureBoxManagerDetails = Boxes{ "row 1", "row 5", "downward", "upward" },
      starScore = 80000, starTime = 140 },
    { class = "WopplePiratesFortuneGameLogic", secretSquare = Secret(5, 5), cellFreeSpins = 5,
      cellCoins = 4, cellJokers = 2, starScore = 40000, starTime = 240 },
    { class = "WoppleFourBoardGameLogic", allSpinsFree = true, numberOfWopplesRequired = 30,
      numberOfSuperWopplesRequired = 5, cellDevils = 2, secretSquare = Secret(3, 3, 1), cellCoins = 8,
      cellJokers = 3, wheelMultipliers = true, starScore = 110000, starTime = 240 },
    { class = "WopplePatternsGameLogic", patternIndex = 11, allSpinsFree = true,
      wheelMultipliers = true, timeLimitted = true, timePerTurn = 25, cellDevils = 2, secretSquare = Secret(4, 3),
      cellCoins = 6, cellJokers = 3, bonusSquares = kManyFrogs,
      treasureBoxManagerDetails = Boxes{ "row 1", "row 3", "row 5", "column 1" }, starScore = 90000,
      starTime = 150 },
    { class = "WoppleSevenBySevenLogic", patternIndex = 56, allSpinsFree = true,
      wheelMultipliers = true, cellDevils = 3, cellDevilCherubs = 1, secretSquare = Secret(4, 1), cellCoins = 8,
      cellJokers = 3, cellMultipliers = { { magnitude = 5 }, {} },
      treasureBoxManagerDetails = Boxes{ "row 4", "column 4", "downward", "upward" }, starScore = 140000,
      starTime = 200 },
}

-- A level's table from its line above: its name goes to "mapName", the intro
-- to its title and text, and every level plays the level music.
local function MakeLevel(number, name, line, topScore)
    local level = { number = number, mapName = name, topScore = topScore, levelMusic = kLevelMusic }
    for key, value in pairs(line) do
        if key == "intro" then
            level.levelIntroTitle = value[1]
            level.levelIntroDialog = value[2]
        elseif type(key) ~= "number" then
            level[key] = value
        end
    end
    return level
end

WoppleQuestLevels = {}
for number, line in ipairs(kLevels) do
    -- Later levels score higher; the seeded lists follow.
    WoppleQuestLevels[number] = MakeLevel(number, line[1], line, 20000 + 2000 * number)
end
-- Each island's bonus level, opened by finding all five of its secrets.
for island, line in ipairs(kBonusLevels) do
    local number = BonusLevelsStartAt + island - 1
    WoppleQuestLevels[number] = MakeLevel(number, "Bonus " .. island, line, 60000 + 5000 * island)
end
