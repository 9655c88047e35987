-- The game screen's layout for a Classic game: the board in the middle with
-- the reels under it, the power-ups and the cherub girl on the left, the score
-- sign, the cherub in his bucket and the lever on the right.

Resources.ScoreFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 32 }
Resources.ScoreCaptionFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 16 }
Resources.TimerFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 26 }

local A = Resources.RectAlignment

-- A sign with a caption over its number.
local function Sign(image, position, caption, children, hidden)
    local sign = {
        image = image,
        position = position,
        visible = not hidden,
        zorder = 10,
        children = {
            caption = Resources.Label:new{
                font = "ScoreCaptionFont", fgColor = "White", shadowColor = "Black", useActorColorAsBG = false,
                text = caption, alignment = A.MidTop, alignTo = A.MidTop, alignmentOffset = { 0, 9 },
            },
        },
    }
    for name, child in pairs(children) do
        sign.children[name] = child
    end
    return Resources.Actor:new(sign)
end

Resources.WoppleClassicScreenLayout = WoppleGameLayout("bkgGameClassic.jpg", {
    boardFrame = Resources.Actor:new{ image = "frameBoardClassic.png", position = { 175, 6 }, zorder = 1 },
    theBoard = { resource = "WoppleSingleBoardResourceSet", position = { 187, 18 }, zorder = 2 },
    reelFrame = Resources.Actor:new{ image = "frameReelsClassic.png", position = { 183, 500 }, zorder = 1 },
    woppleWheels = { resource = "WoppleWheels" },
    scoreLabelContainer_0 = Sign("signScore.png", { 612, 52 }, "SCORE", {
        scoreBlink = Resources.Actor:new{ image = "signScoreBlink.png", visible = false, zorder = 1 },
        -- On the sign's dark plate.
        scoreCounter = Resources.ScoreCounter:new{
            resource = "ScoreCounter",
            -- The counter takes its label's size; centred, it stays on the plate as the score grows.
            alignment = A.Center, alignTo = A.Center, alignmentOffset = { 0, 8 },
            zorder = 2,
            labelProperties = Resources.Label:new{
                font = "ScoreFont", fgColor = "White", shadowColor = "Black", useActorColorAsBG = false, text = "0",
                alignment = A.Center, alignTo = A.Center,
            },
        },
    }),
    -- The logic shows it in the rounds against the clock only.
    timerContainer = Sign("signTimer.png", { 638, 128 }, "TIME", {
        timerLabel = Resources.Label:new{
            font = "TimerFont", fgColor = "White", shadowColor = "Black", useActorColorAsBG = false, text = "0:00",
            alignment = A.MidBottom, alignTo = A.MidBottom, alignmentOffset = { 0, -6 },
        },
    }, true),
    wopplePowerupView_0 = { class = "WopplePowerupView", position = { 8, 52 }, zorder = 10 },
    -- Her bubble opens to the right, over the board, not off the screen.
    cherubGirl = {
        resource = "CherubGirlCharacter", position = { 16, 274 }, zorder = 12,
        bubbleAlignment = A.BottomLeft, bubbleAlignTo = A.TopLeft, bubbleAlignmentOffset = { 4, 0 },
    },
    -- His bubble opens to his left, its tail pointing at him: above him it
    -- would run off the screen's right edge.
    cherubBucketGuy = {
        resource = "GuyCherubCharacter", position = { 660, 236 }, zorder = 12,
        bubbleType = 1, bubbleAlignment = A.MidRight, bubbleAlignTo = A.MidLeft, bubbleAlignmentOffset = { -14, -12 },
    },
    spinButton = Resources.Button:new{
        resource = "Button", image = "Button.small.png", text = "Spin", useFrames = true,
        position = { 652, 198 }, shortcutKey = 32, clickSound = "click.ogg", zorder = 14,
    },
    cocoDropButton = { resource = "CocoDropButtonDefaults", position = { 628, 466 }, zorder = 15 },
    -- The extras of the levels that ask for them: the bonus timer's sign on
    -- the water (shown after quick matches), the treasure boxes beside the
    -- board's lines and the jar their butterflies go to.
    WoppleBonusTimer = { resource = "WoppleBonusTimerDefaults", position = { 665, 385 }, zorder = 13 },
    treasureBoxManager = {
        resource = "TreasureBoxManagerDefaults", zorder = 3,
        boxContainerResources = { { resource = "ClassicTreasureBoxContainer" } },
    },
    butterflyBox = Resources.Actor:new{ position = { 700, 96 }, size = { 1, 1 }, zorder = 11 },
    -- The logic plays it while the round is on.
    ambientLoop = Resources.Actor:new{
        class = "AmbientLoop",
        loopFiles = { "Water_OceanLoop.ogg" },
        randomLoopFiles = { "Amb_TropicalForestLoop1.ogg" },
        playing = false,
    },
})

-- The Classic game's intro, shown once to each player.
WoppleClassicLevel = {
    levelIntroTitle = "Welcome To Classic",
    levelIntroDialog = "Pull the lever to spin the five reels. Each reel shows a number for its column: "
        .. "click the matching number on your board to mark it.\n\n"
        .. "Mark five in a row, a column or a diagonal for a Wopple. Watch for jokers, coins and "
        .. "the multiplier on the reels, and fill the whole card for the biggest score!",
}
