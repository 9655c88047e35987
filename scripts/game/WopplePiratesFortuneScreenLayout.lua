-- The game screen's layout for Pirate's Fortune, the duel against the pirate:
-- the pirate's board in the middle with the reels under it; on the left the
-- player's score sign, power-ups and the cherub girl; on the right the
-- pirate's score sign, the pirate himself, his power-ups, the cherub in his
-- bucket and the lever. The sign of the side whose turn it is lights up.
-- Below the layout: the pirate's lines and the chest's news.

local A = Resources.RectAlignment

-- A duel sign: caption over the score; its rim lights on that side's turn,
-- and the score glows while it counts.
local function DuelSign(image, position, caption)
    return Resources.Actor:new{
        image = image,
        position = position,
        zorder = 10,
        children = {
            caption = Resources.Label:new{
                font = "ScoreCaptionFont", fgColor = "White", shadowColor = "Black", useActorColorAsBG = false,
                text = caption, alignment = A.MidTop, alignTo = A.MidTop, alignmentOffset = { 0, 9 },
            },
            turnGlow = Resources.Actor:new{ image = "signScoreDuelTurn.png", visible = false, zorder = 1 },
            scoreBlink = Resources.Actor:new{ image = "signScoreDuelBlink.png", visible = false, zorder = 1 },
            scoreCounter = Resources.ScoreCounter:new{
                resource = "ScoreCounter",
                alignment = A.Center, alignTo = A.Center, alignmentOffset = { 0, 8 },
                zorder = 2,
                labelProperties = Resources.Label:new{
                    font = "ScoreFont", fgColor = "White", shadowColor = "Black", useActorColorAsBG = false,
                    text = "0", alignment = A.Center, alignTo = A.Center,
                },
            },
        },
    }
end

Resources.WopplePiratesFortuneScreenLayout = WoppleGameLayout("bkgGameClassic.jpg", {
    boardFrame = Resources.Actor:new{ image = "frameBoardClassic.png", position = { 175, 6 }, zorder = 1 },
    theBoard = { resource = "WopplePirateBoardResourceSet", position = { 187, 18 }, zorder = 2 },
    reelFrame = Resources.Actor:new{ image = "frameReelsClassic.png", position = { 183, 500 }, zorder = 1 },
    woppleWheels = { resource = "WoppleWheels" },
    -- The player's side.
    scoreLabelContainer_0 = DuelSign("signScoreDuel.png", { 6, 6 }, "YOU"),
    wopplePowerupView_0 = { class = "WopplePowerupView", position = { 6, 80 }, zorder = 10 },
    cherubGirl = {
        resource = "CherubGirlCharacter", position = { 12, 284 }, zorder = 12,
        bubbleAlignment = A.BottomLeft, bubbleAlignTo = A.TopLeft, bubbleAlignmentOffset = { 4, 0 },
    },
    -- The pirate's side, under the help button. His bubble opens to his left,
    -- over the board.
    scoreLabelContainer_1 = DuelSign("signScorePirate.png", { 630, 52 }, "PIRATE"),
    pirateCharacter = {
        resource = "PirateCharacter", position = { 652, 122 }, zorder = 13,
        bubbleType = 1, bubbleAlignment = A.MidRight, bubbleAlignTo = A.MidLeft, bubbleAlignmentOffset = { -10, -20 },
    },
    wopplePowerupView_1 = { class = "WopplePowerupView", position = { 630, 288 }, zorder = 10 },
    -- In his bucket over the pirate's power-ups, clear of the lever's coconut.
    cherubBucketGuy = {
        resource = "GuyCherubCharacter", position = { 688, 280 }, zorder = 12,
        bubbleType = 1, bubbleAlignment = A.MidRight, bubbleAlignTo = A.MidLeft, bubbleAlignmentOffset = { -14, -12 },
    },
    cocoDropButton = { resource = "CocoDropButtonDefaults", position = { 628, 466 }, zorder = 15 },
    ambientLoop = Resources.Actor:new{
        class = "AmbientLoop",
        loopFiles = { "Water_OceanLoop.ogg" },
        randomLoopFiles = { "Amb_TropicalForestLoop1.ogg" },
        playing = false,
    },
})

-- ---------------------------------------------------------------- the pirate's lines

Scripts = Scripts or {}

local function OneOf(lines)
    return lines[math.random(1, table.getn(lines))]
end

-- A line of his, then his calm face; with a pose while he speaks.
local function PirateLine(pirate, text, time, pose)
    if pirate == nil then
        return
    end
    if pose then
        pirate.loopAnimation = pose
    end
    PirateSayAndBabble(pirate, text, time or 2500)
    pirate.loopAnimation = "calm"
end

-- Lines run on the root actor with the pirate to say them.
local function Said(lines, time, pose)
    return function(root, pirate)
        PirateLine(pirate, type(lines) == "table" and OneOf(lines) or lines, time, pose)
    end
end

Scripts.SayPiratesFortunePirateIntro = Said(
    "Ahoy! So ye think ye can out-score a pirate? We take turns, twenty spins in all. Most points takes the fortune!",
    5000)
Scripts.SayPirateMyTurn = Said({ "My turn, matey!", "Stand aside. The lever be mine!", "Arr, let me at it!" }, 1800)
Scripts.SayNO_MATCHES = Said({ "Blast! Not a one!", "Arr... the reels be cursed!" }, 2000, "sulk")
Scripts.SayNO_MATCHES_PLAYER = Said({ "Har har! Nothing for ye!", "Ye missed 'em all, landlubber!" }, 2000, "laugh")
Scripts.SayPIRATE_WILL_USE_FREE_SPIN_NOW = Said("A free spin! I'll be usin' it right now!", 2000, "laugh")
Scripts.SayPIRATE_WILL_USE_FREE_SPIN_LATER = Said("I'll be savin' me free spin for later.", 2000)
Scripts.SayPIRATE_I_WON = Said("Har har! The fortune be mine!", 3000, "laugh")
Scripts.SayPIRATE_I_LOST = Said("Ye beat me fair and square... this time!", 3000, "sulk")
Scripts.SayPIRATE_YAR = Said({ "Yarr!", "Ahoy there!", "Arr, matey?" }, 1500)
Scripts.SayPIRATE_STOP_CLICKING = Said("Stop pokin' me, or ye'll walk the plank!", 2500, "sulk")

-- His reactions to a treasure chest, run on him.
function Scripts.SayAI_REACTS_CELL_TREASURE(pirate)
    PirateLine(pirate, "Treasure! Me points be doubled!", 2500, "laugh")
end

function Scripts.SayAI_REACTS_CELL_PIRATE(pirate)
    PirateLine(pirate, "Arr! Half me points, gone!", 2500, "sulk")
end

function Scripts.SayAI_REACTS_PLAYER_GOT_TREASURE(pirate)
    PirateLine(pirate, "Lucky landlubber...", 2500, "sulk")
end

function Scripts.SayAI_REACTS_PLAYER_GOT_DEVIL(pirate)
    PirateLine(pirate, "Har har! That'll teach ye!", 2500, "laugh")
end

-- While the player takes their time, he drums his fingers now and then.
function Scripts.TapFingers(pirate)
    while true do
        ScriptDelay(math.random(2500, 4000))
        pirate.playAnimation = "blink"
        for i = 1, 3 do
            PlaySound("Click6.ogg")
            ScriptDelay(140)
        end
    end
end

function Scripts.ResetFingers(pirate)
    pirate.loopAnimation = "calm"
end

-- ---------------------------------------------------------------- the treasure chest's news

-- The girl asks the pirate what he does with a chest he matched.
function Scripts.AskPirateAboutTreasureGame(girl)
    SayAndWait(girl, "A treasure chest! Pirate, will you open it, or pass it on?", 2500)
end

-- The cherub tells who got what out of the chest; the player by name.
function Scripts.HumanReceivesCellPirateMessage(cherub, name)
    SayAndBabble(cherub, string.format("Oh no, %s! A pirate was in the chest: your score is cut in half.",
        tostring(name or "")), 3000)
end

function Scripts.HumanReceivesCellTreasureMessage(cherub, name)
    SayAndBabble(cherub, string.format("Treasure, %s! Your score is doubled!", tostring(name or "")), 3000)
end

function Scripts.AIReceivesCellPirateMessage(cherub)
    SayAndBabble(cherub, "A pirate was in the chest! The pirate's score is cut in half.", 3000)
end

function Scripts.AIReceivesCellTreasureMessage(cherub)
    SayAndBabble(cherub, "Treasure! The pirate's score is doubled.", 3000)
end

-- The duel's introduction, once per player.
WopplePiratesFortuneLevel = {
    levelIntroTitle = "Pirate's Fortune",
    levelIntroDialog = "The pirate challenges you to a duel on his board! You take turns: pull the lever, "
        .. "then match the numbers on the shared card.\n\n"
        .. "Win a free spin and you may spin again at once. After twenty spins the one with more points wins, "
        .. "and a tie goes to the pirate.",
}
