-- The game's help: each screen's tour, step by step, and the one-time tips
-- that introduce a feature the first time it turns up. A section is a list of
-- steps in tour order; each step is also found by its name. A step has the
-- text of its note, the spot it points at (800 x 600) and the side of the
-- spot the note sits on.

local function Section(steps)
    for _, step in ipairs(steps) do
        steps[step.name] = step
    end
    return steps
end

HelpScripts = {
    MenuScreen = Section{
        { name = "play", spot = { 400, 330 }, direction = BUBBLE_POINT_RIGHT,
          text = "Pick a game to play: sail the islands in the Quest, or try a Classic round." },
        { name = "player", spot = { 130, 120 }, direction = BUBBLE_POINT_RIGHT,
          text = "Click your name card to change players or to make a new one." },
        { name = "options", spot = { 700, 560 }, direction = BUBBLE_POINT_TOP,
          text = "The Options button sets the music, the sounds and the screen." },
        { name = "scores", spot = { 640, 200 }, direction = BUBBLE_POINT_LEFT,
          text = "Here are the best scores. Can you get your name on the list?" },
    },

    MapScreen = Section{
        { name = "islands", spot = { 220, 300 }, direction = BUBBLE_POINT_RIGHT,
          text = "Each island has five rounds. Finish them to sail on to the next island." },
        { name = "levels", spot = { 600, 160 }, direction = BUBBLE_POINT_LEFT,
          text = "Click a round to choose it. Rounds you have played show their stars." },
        { name = "stars", spot = { 600, 420 }, direction = BUBBLE_POINT_LEFT,
          text = "Score well, find the secret key, play fast and fill the card to earn up to five stars." },
        { name = "bonus", spot = { 600, 300 }, direction = BUBBLE_POINT_LEFT,
          text = "Find the secret keys of all five rounds of an island and its bonus round opens up." },
        { name = "play", spot = { 610, 530 }, direction = BUBBLE_POINT_LEFT,
          text = "Press Play to start the chosen round. The arrow keys move you around the map too." },
    },

    AwardScreen = Section{
        { name = "stamps", spot = { 360, 250 }, direction = BUBBLE_POINT_RIGHT,
          text = "These are your stamps. You earn one each time you reach a special goal." },
        { name = "requirements", spot = { 580, 320 }, direction = BUBBLE_POINT_LEFT,
          text = "Click a stamp to see here what it takes to earn it." },
    },

    GameScreen = Section{
        { name = "lever", spot = { 720, 300 }, direction = BUBBLE_POINT_LEFT,
          text = "Pull the lever to spin the reels." },
        { name = "reels", spot = { 400, 90 }, direction = BUBBLE_POINT_BOTTOM,
          text = "Each reel shows a number. Find it on your boards and click it to mark it." },
        { name = "boards", spot = { 300, 330 }, direction = BUBBLE_POINT_RIGHT,
          text = "Mark five in a row, across, down or corner to corner, to make a Wopple!" },
        { name = "score", spot = { 120, 40 }, direction = BUBBLE_POINT_RIGHT,
          text = "Your score. Quick Wopples and combos are worth the most." },
        { name = "spins", spot = { 680, 40 }, direction = BUBBLE_POINT_LEFT,
          text = "This shows how many spins you have left in the round." },
    },

    gameIntroduceFeature = Section{
        { name = "joker", spot = { 400, 90 }, direction = BUBBLE_POINT_BOTTOM,
          text = "A Joker! Click any square in that reel's column on any board." },
        { name = "superjoker", spot = { 400, 90 }, direction = BUBBLE_POINT_BOTTOM,
          text = "A Super Joker! Click any square you like, on any board." },
        { name = "bonusSquare", spot = { 300, 330 }, direction = BUBBLE_POINT_RIGHT,
          text = "Mark a bonus square for extra points." },
        { name = "bonusTimer", spot = { 700, 140 }, direction = BUBBLE_POINT_LEFT,
          text = "Make a Wopple before this runs out for a big bonus!" },
        { name = "treasureBox", spot = { 560, 330 }, direction = BUBBLE_POINT_LEFT,
          text = "Finish the row beside a treasure box to open it and win what is inside." },
        { name = "powerUp", spot = { 400, 560 }, direction = BUBBLE_POINT_TOP,
          text = "You won a power-up! Click it down here when you want to use it." },
        { name = "combo", spot = { 120, 120 }, direction = BUBBLE_POINT_RIGHT,
          text = "Wopples one after another make a combo, worth more each time." },
        { name = "pattern", spot = { 300, 330 }, direction = BUBBLE_POINT_RIGHT,
          text = "Mark every square of the pattern for a pattern bonus." },
        { name = "multiplier", spot = { 400, 90 }, direction = BUBBLE_POINT_BOTTOM,
          text = "A multiplier! It multiplies the points of every Wopple you make with this spin." },
        { name = "lastSpins", spot = { 680, 40 }, direction = BUBBLE_POINT_LEFT,
          text = "Only %1% spins left. Make them count!" },
        { name = "waitForReels", spot = { 400, 90 }, direction = BUBBLE_POINT_BOTTOM,
          text = "The reels are spinning..." },
        { name = "goldcoin", spot = { 400, 90 }, direction = BUBBLE_POINT_BOTTOM,
          text = "A gold coin! It adds 1,000 points to your score." },
        { name = "wopplevision", spot = { 400, 90 }, direction = BUBBLE_POINT_BOTTOM,
          text = "Wopple Vision! For five turns the best squares to mark light up." },
        { name = "celljoker", spot = { 300, 330 }, direction = BUBBLE_POINT_BOTTOM,
          text = "A joker was hiding in that square! Click any number on any board to mark it." },
        { name = "cellmultiplier", spot = { 300, 330 }, direction = BUBBLE_POINT_BOTTOM,
          text = "A multiplier square! Mark it and your points are multiplied." },
        { name = "secret", spot = { 300, 330 }, direction = BUBBLE_POINT_BOTTOM,
          text = "You found a secret key! Find every key on an island to open its bonus round." },
        { name = "multiboard1", spot = { 300, 330 }, direction = BUBBLE_POINT_BOTTOM,
          text = "Each reel serves every board: mark its number on each board that has it." },
        { name = "multiboard2", spot = { 300, 330 }, direction = BUBBLE_POINT_BOTTOM,
          text = "The boards are linked: a line can run from one board into the next." },
    },
}

-- The round's own tips: the lever at the start, and what a power-up or a reel
-- means when the player clicks it ("%1%" is the count it shows).
local function Tips(spot, direction, texts)
    local steps = {}
    for name, text in texts do
        table.insert(steps, { name = name, spot = spot, direction = direction, text = text })
    end
    return Section(steps)
end

HelpScripts.gameWalkthrough = Section{
    -- Beside the lever, on its left: the screen ends on its right.
    { name = "spin", spot = { 640, 500 }, direction = BUBBLE_POINT_LEFT,
      text = "Pull the lever to spin the reels and start the game!" },
    -- Over the board's left half, pointing down at the row it sits on.
    { name = "match", spot = { 330, 250 }, direction = BUBBLE_POINT_BOTTOM,
      text = "Find the reels' numbers on the board and click them to mark them!" },
}

HelpScripts.powerupHelp = Tips({ 100, 200 }, BUBBLE_POINT_LEFT, {
    DevilProtection = "Devil protection: the next devil cannot take any of your points.",
    FreeSpin = "A free spin: use it when you run out of spins.",
    AllSpinsFree = "Every spin in this round is free.",
    BounceWopples = "Bounce Wopples: rows that bounce off an edge count too.",
    woppleVision = "Wopple Vision shows you the best cells for %1% more turns.",
    woppleVisionSingular = "Wopple Vision shows you the best cells for one more turn.",
    BonusFrog = "Find the frogs hiding under the board for bonus points.",
    Multiplier = "Your points are multiplied by %1%.",
})

HelpScripts.wheelHelp = Tips({ 400, 120 }, BUBBLE_POINT_TOP, {
    WheelTypeNumber = "Find this number in the reel's column to mark it.",
    WheelTypeFreeSpin = "A free spin for later.",
    WheelTypeJoker = "A joker: mark any number in this column.",
    WheelTypeSuperJoker = "A super joker: mark any number on the board.",
    WheelTypeDevil = "A devil! He may take some of your points.",
    WheelTypeDevilCherub = "A cherub chases the devil away.",
    WheelTypeCherub = "A cherub: she may double your points.",
    WheelTypeCoin = "A gold coin for bonus points.",
    WheelTypeGem = "A gem for bonus points.",
    WheelTypeWoppleVision = "Wopple Vision: the best cells light up.",
    WheelTypeMultiplier = "This reel multiplies your points by %1%.",
    WheelTypeSpinning = "The reel is spinning. Watch where it stops!",
    WheelTypeBlank = "Pull the lever to spin the reels.",
})

-- The help button of a round: the game screen's tour with a first step for
-- the mode's own goal.
local function RoundHelp(first)
    local steps = { first }
    for _, step in ipairs(HelpScripts.GameScreen) do
        table.insert(steps, step)
    end
    return Section(steps)
end

HelpScripts["gameHelp.Classic"] = RoundHelp(
    { name = "goal", spot = { 300, 330 }, direction = BUBBLE_POINT_RIGHT,
      text = "Make as many Wopples as you can before your spins run out." })
HelpScripts["gameHelp.Two Board"] = RoundHelp(
    { name = "goal", spot = { 400, 330 }, direction = BUBBLE_POINT_TOP,
      text = "Two boards side by side: a line may run from one into the other. The goal shows how many lines are left to make." })
HelpScripts["gameHelp.Three Board"] = RoundHelp(
    { name = "goal", spot = { 400, 330 }, direction = BUBBLE_POINT_TOP,
      text = "Three linked boards: lines that cross from one board into the next are Super Wopples. The goal shows what is left." })
HelpScripts["gameHelp.Four Board"] = RoundHelp(
    { name = "goal", spot = { 400, 330 }, direction = BUBBLE_POINT_TOP,
      text = "Four linked boards: lines that cross from one board into the next are Super Wopples. The goal shows what is left." })
HelpScripts["gameHelp.Patterns"] = RoundHelp(
    { name = "goal", spot = { 120, 90 }, direction = BUBBLE_POINT_RIGHT,
      text = "Mark every square of the pattern shown on the board to win the round." })
HelpScripts["gameHelp.SevenBySeven"] = RoundHelp(
    { name = "goal", spot = { 300, 330 }, direction = BUBBLE_POINT_RIGHT,
      text = "The big board: seven reels and seven in a row. Each Wopple is worth twice the one before." })
HelpScripts["gameHelp.Pirate's Fortune"] = RoundHelp(
    { name = "goal", spot = { 400, 330 }, direction = BUBBLE_POINT_TOP,
      text = "You and the pirate take turns on your own boards. After twenty spins the higher score wins; a tie goes to the pirate." })

-- The step, or an error that names what is missing.
function HelpStep(section, tip)
    local steps = HelpScripts[section]
    assert(steps, "No help section \"" .. tostring(section) .. "\".")
    local step = steps[tip]
    assert(step, "No tip \"" .. tostring(tip) .. "\" in the help section \"" .. tostring(section) .. "\".")
    return step
end

local function WaitForNote(notes)
    while notes:IsNoteBubbleVisible() do
        ScriptBreak()
    end
    return notes.lastButtonPressed
end

local function SpotOf(step, x, y)
    if x == nil or x == -1 then
        return step.spot
    end
    return { x, y }
end

Scripts = Scripts or {}

-- The screen's tour: Next and Back walk the steps, Close or F1 ends it.
function Scripts.PointOutScreen(notes, section, screen)
    local steps = HelpScripts[section]
    assert(steps, "No help section \"" .. tostring(section) .. "\".")
    local i = 1
    while i >= 1 and i <= table.getn(steps) do
        local step = steps[i]
        local mode = BUBBLE_ALL_BUTTONS_ON
        if i == table.getn(steps) then
            mode = BUBBLE_NEXT_BUTTON_OFF
        elseif i == 1 then
            mode = BUBBLE_BACK_BUTTON_OFF
        end
        notes:PointOutWithNext(step.text, step.spot, step.direction, mode)
        local pressed = WaitForNote(notes)
        if pressed == "nextButton" then
            i = i + 1
        elseif pressed == "backButton" then
            i = i - 1
        else
            break
        end
    end
end

function Scripts.PointOutOneThing(notes, section, tip, x, y)
    local step = HelpStep(section, tip)
    notes:PointOutWithOkay(step.text, SpotOf(step, x, y), step.direction)
    WaitForNote(notes)
end

function Scripts.PointOutFormatted(notes, section, tip, x, y, argument)
    local step = HelpStep(section, tip)
    local text = string.gsub(step.text, "%%1%%", function() return tostring(argument) end)
    notes:PointOutWithOkay(text, SpotOf(step, x, y), step.direction)
    WaitForNote(notes)
end

-- Stays until the program closes it (ClosePointOut).
function Scripts.PointOutNoButtonOneThing(notes, section, tip)
    local step = HelpStep(section, tip)
    notes:PointOutNoButton(step.text, step.spot, step.direction)
    WaitForNote(notes)
end
