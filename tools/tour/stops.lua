-- The picture tour's stops, in order. Each stop names its picture
-- (NN-name.png, NN its place here) and opens what it shows on the tour's plain
-- screen; "before" runs on what was opened once it has settled, just before
-- the picture. A stop whose "open" gives nothing is skipped with a line in the
-- log. New screens and dialogs add their stops here.

-- Clicks the named button of a dialog, a pass apart each time.
local function Press(dialog, buttonName, times)
    for i = 1, times do
        local button = dialog:FindChild(buttonName)
        button:ManuallyPressButton()
        button:ManuallyReleaseButton()
        ScriptBreak()
        ScriptBreak()
    end
end

-- Three named players and an empty slot, the first of them current.
local function NamePlayers()
    for index, name in ipairs{ "Marina", "Kai", "Lani" } do
        Players[index].Name = name
    end
    Players[1].Options["game.mode"] = "Classic"
    SetCurrentPlayerFromIndex(1, 1)
end

-- The tour's own level goes again with its game: the quest's score lists know
-- only the real levels.
local function LeaveTourLevel()
    SwitchToScreen("Tour")
    WoppleQuestLevels[101] = nil
end

-- The game's splash, shown as a stop; taking it away goes back to the tour.
-- Loaded, it goes on to the menu, which asks a nameless player for a name.
local function ShowSplash()
    NamePlayers()
    SwitchToScreen("SplashScreen")
    return { Destroy = function() SwitchToScreen("Tour") end }
end

local function WaitForSplashLoaded()
    local start = Screens.SplashScreen:RecursiveFind("StartButton")
    while not start.visible do
        ScriptBreak()
    end
end

TourStops = {
    { name = "splash-loading", screen = "SplashScreen", open = ShowSplash },
    { name = "splash-loaded", screen = "SplashScreen", open = ShowSplash, before = WaitForSplashLoaded },
    { name = "menu", screen = "MenuScreen", open = function()
          NamePlayers()
          SwitchToScreen("MenuScreen")
          return { Destroy = function() SwitchToScreen("Tour") end }
      end },
    { name = "help-tip", open = function()
          return StartHelpDialog("Super Joker!", "A Super Joker! Click any square you like, on any board.")
      end },
    { name = "help-big", open = function()
          return StartHelpDialog("A New Island",
              "You have sailed to a new island! It has five new rounds to play, and a bonus round that opens " ..
              "when you have earned enough stars here.", true)
      end },
    { name = "game-complete", open = function() return StartGameCompleteDialog("finishedQuest") end,
      before = function(dialog)
          for i = 1, 70 do
              ScriptBreak()
          end
      end },
    -- The game's dialogs stand in for the engine's through its dialog library.
    { name = "game-options", open = function() return StartCommonDialog("Options") end },
    { name = "name-entry", open = function() return StartCommonDialog("EnterName", "Marina") end },
    { name = "load-game", open = function() return StartCommonDialog("LoadSavedGame") end },
    { name = "game-quit", open = function() return StartCommonDialog("AreYouSureQuit") end },
    { name = "credits-1", open = function() return StartCommonDialog("Credits") end },
    { name = "credits-2", open = function() return StartCommonDialog("Credits") end,
      before = function(dialog) Press(dialog, "NextButton", 1) end },
    { name = "credits-3", open = function() return StartCommonDialog("Credits") end,
      before = function(dialog) Press(dialog, "NextButton", 2) end },
    { name = "game-choose-player",
      open = function()
          NamePlayers()
          return StartCommonDialog("ChooseActivePlayer", "DefaultWoppleCardView", 2)
      end },
    -- Reel, lever, power-up and character art, laid out by hand until the game screen shows them.
    { name = "reel-art", open = function()
          local parts = {}
          local function Put(name, image, x, y, zorder, frame)
              parts[name] = { class = "Actor", image = image, position = { x, y }, zorder = zorder, frame = frame or 0 }
          end
          local symbols = { "FreeSpin1.png", "cell_s_joker.png", "cell_coin.png", "cell_devil.png", "reel_multiply_bg.png" }
          local stacking = { 1, 2, 3, 2, 1 }
          for i = 1, 5 do
              local cx, cy = 238 + 82 * (i - 1), 544
              Put("face" .. i, "coco_center.png", cx - 44, cy - 38, 1)
              Put("symbol" .. i, symbols[i], cx - 40, cy - 35, 2)
              Put("rim" .. i, string.format("wheelBackground%d.png", i), cx - 44, cy - 38, 4)
              Put("frame" .. i, "reelwithhole.png", cx - 53, cy - 65, 10 + stacking[i])
          end
          Put("multiplier", "reel_text_numbers.png", 566 - 26, 544 - 18, 3, 1)
          Put("times", "reel_text_numbers.png", 566, 544 - 18, 3, 10)
          Put("hilite", "coconut_highlight.png", 320 + 1 - 50, 544 + 2 - 45, 20)
          Put("lever", "cocodrop_blink1.png", 652, 404, 5)
          local faces = { "freespin.png", "multiply_bg.png", "devil_prot.png", "bonusfrog.png", "wopplevision.png", "powerup.png" }
          for k, face in ipairs(faces) do
              local x, y = 8 + ((k - 1) % 3) * 54, 440 + math.floor((k - 1) / 3) * 74
              Put("rope" .. k, "pwrup_rope.png", x + 21, y - 24, 1)
              Put("powerup" .. k, face, x, y, 2)
          end
          Put("powerupDigit", "text_numbers.png", 54 + 12, 440 + 14, 3, 2)
          Put("powerupTimes", "text_numbers.png", 54 + 26, 440 + 14, 3, 10)
          for k, layer in ipairs{ "girl_body.png", "girl_foot_left.png", "girl_foot_right.png", "girl_head.png" } do
              Put("girl" .. k, layer, 10, 190, k)
          end
          Put("girlMouth", "girl_mouth.png", 10, 190, 5, 1)
          Put("cherub", "cherub_bucket.png", 520, 300, 1, 3)
          Put("pirate", "pirate.png", 660, 110, 1, 0)
          local art = CreateObject{ class = "Actor", name = "ReelArt", size = { 800, 600 }, children = parts }
          Screens.Tour:AddChild(art)
          return art
      end },
    -- The new player's wizard, page by page: a name typed, the picture choice, how to play, tips.
    { name = "wizard-1-name", open = function() return StartCommonDialog("EnterName") end,
      before = function(dialog) dialog:SetText("TextBox", "Marina") end },
    { name = "wizard-2-picture", open = function() return StartCommonDialog("EnterName") end,
      before = function(dialog) dialog:ShowPage(2) end },
    { name = "wizard-3-how-to-play", open = function() return StartCommonDialog("EnterName") end,
      before = function(dialog) dialog:ShowPage(3) end },
    { name = "wizard-4-spin-and-match", open = function() return StartCommonDialog("EnterName") end,
      before = function(dialog) dialog:ShowPage(4) end },
    { name = "wizard-5-get-wopples", open = function() return StartCommonDialog("EnterName") end,
      before = function(dialog) dialog:ShowPage(5) end },
    { name = "wizard-6-tips", open = function() return StartCommonDialog("EnterName") end,
      before = function(dialog) dialog:ShowPage(6) end },
}

-- Power-ups and the talking characters: on a stage of the tour's screen with
-- a bubble layer, as the game screen will hold them. Each stop waits for its
-- pictures to be in the data.
local function ViewStage()
    local stage = CreateObject{ class = "Actor", size = { 800, 600 }, color = false }
    stage:AddChild(CreateObject{ class = "Actor", name = "BubbleLayer", layer = 999, color = false })
    Screens.Tour:AddChild(stage)
    return stage
end

local function Character(template, position)
    local stage = ViewStage()
    local character = CreateObject(Resources[template]:new{ resource = template, position = position })
    stage:AddChild(character)
    character:SetVisible(true)
    return stage, character
end

local function HasPictures(names)
    for _, name in ipairs(names) do
        if Resources[name] == nil then
            return false
        end
    end
    return true
end

for _, stop in ipairs{
    { name = "powerups", pictures = { "powerup.png", "freespin.png", "devil_prot.png", "multiply_bg.png" },
      open = function()
          local stage = ViewStage()
          local bar = CreateObject{ class = "WopplePowerupView", position = { 292, 150 } }
          stage:AddChild(bar)
          bar:AddPowerup("free\nspin", "FreeSpin", 0)
          bar:AddPowerup("devil\nguard", "DevilProtection", 0)
          bar:SetMultiplier(3)
          bar:AddPowerup("bonus\n", "Lucky", 2)
          return stage
      end },
    { name = "character-girl", pictures = { "girl_body.png", "girl_head.png", "girl_mouth.png" },
      open = function()
          local stage, girl = Character("CherubGirlCharacter", { 324, 330 })
          girl:SayWithButtons("You won a free spin! Use it now, or keep it for later?\n\n",
              "Now", "useNowButton", "w", "Later", "laterButton", "l", nil, 0)
          return stage
      end },
    { name = "character-cherub", pictures = { "cherub_bucket.png" },
      open = function()
          local stage, cherub = Character("GuyCherubCharacter", { 345, 420 })
          cherub.loopAnimation = "idle"
          cherub:SayWithOneButton("Match the numbers the reels show to the numbers on your board.\n\n",
              "Okay", "cherubOkayButton", "o", nil, 0)
          return stage
      end },
    { name = "character-pirate", pictures = { "pirate.png" },
      open = function()
          local stage, pirate = Character("PirateCharacter", { 315, 340 })
          pirate:SayWithThreeButtons("Arr! Which chest be yours, matey?\n\n",
              "Left", "leftChest", "l", "Middle", "middleChest", "m", "Right", "rightChest", "r", nil, 0)
          return stage
      end },
} do
    if HasPictures(stop.pictures) then
        table.insert(TourStops, stop)
    end
end

-- The board: a classic board in play, a line lighting up, seven by seven and
-- the vision look, each centred on the tour's plain screen.

-- A board with its numbers dealt as the rules deal them (column c from 15c - 14
-- to 15c, shuffled) and the cells at the given places (counted down the
-- columns from 1) matched.
local function ShowBoard(resource, matched)
    math.randomseed(20261210)
    local board = CreateObject{ resource = resource }
    local columns, rows = board:GetNumColumns(), board:GetNumRows()
    for c = 1, columns do
        local numbers = {}
        for n = 1, 15 do
            numbers[n] = 15 * (c - 1) + n
        end
        for n = 15, 2, -1 do
            local k = math.random(n)
            numbers[n], numbers[k] = numbers[k], numbers[n]
        end
        for r = 1, rows do
            local cell = board:GetCellView(c, r)
            cell:SetCellNumber(numbers[r])
            cell:SetCellType("SelectableAndClickableNumber")
        end
    end
    for _, place in ipairs(matched) do
        local column = math.floor((place - 1) / rows)
        board:GetCellView(column + 1, place - column * rows):SetCellType("Selected")
    end
    Screens.Tour:AddChild(board)
    local size = board.size
    board.position = { math.floor((800 - size.x) / 2), math.floor((600 - size.y) / 2) }
    return board
end

-- A completed row half-way through its lights: the first cells lit in turn.
local function LightLine(board, row, lit)
    for c = 1, board:GetNumColumns() do
        board:GetCellView(c, row):SetCellType("Selected")
    end
    for c = 1, lit do
        local overlay = board:GetCellView(c, row):FindChild("woppleOverlay", true)
        overlay.image = "cellWoppleOverlay.png"
        overlay:SetVisible(true)
    end
end

for _, stop in ipairs{
    { name = "board-classic", open = function()
          local board = ShowBoard("WoppleSingleBoardResourceSet", { 3, 7, 12, 13, 18, 24 })
          -- As the pointer on a cell of the third column lights it.
          board:FindChild("ColumnHilite_3", true):SetVisible(true)
          return board
      end },
    { name = "board-line", open = function()
          local board = ShowBoard("WoppleSingleBoardResourceSet", { 2, 8, 14, 22 })
          LightLine(board, 3, 3)
          return board
      end },
    { name = "board-seven-by-seven", open = function()
          return ShowBoard("WoppleSevenBySevenBoardResourceSet", { 1, 9, 17, 25, 33, 41, 49, 20, 30 })
      end },
    { name = "board-vision", open = function()
          local board = ShowBoard("WoppleSingleBoardResourceSet", { 4, 6, 13, 17, 23 })
          board:SetWoppleVision(true, false)
          return board
      end },
} do
    table.insert(TourStops, stop)
end
-- The reels and the spin lever, on the tour's own screen until the game screen
-- shows them: at rest, mid-spin with their motion blur, and the lever pulled.
local function ShowReels()
    local wheels = CreateObject{ resource = "WoppleWheels" }
    Screens.Tour:AddChild(wheels)
    for i = 1, wheels:GetNumWheels() do
        wheels:GetWheelView(i):SetResult(0, 15 * i - 14 + (i * 4) % 15)
    end
    return wheels
end

-- Numbers and symbols: a joker, the middle reel's multiplier and a coin.
table.insert(TourStops, { name = "reels-at-rest", open = function()
    local wheels = ShowReels()
    for i, type in pairs{ [2] = 2, [3] = 10, [5] = 7 } do
        local wheel = wheels:GetWheelView(i)
        wheel:SetNumberOfTypedSquares(type, 1)
        wheel:BuildStrip()
        wheel:SetResult(type)
    end
    wheels:StartSpin()
    return wheels
end, before = function(wheels)
    -- The last reel shows nothing until it starts, then spins.
    while wheels:GetWheelView(5):GetWheelType() >= 11 do
        ScriptBreak()
    end
end })
table.insert(TourStops, { name = "reels-spinning", open = ShowReels, before = function(wheels)
    wheels:StartSpin()
    for i = 1, 14 do
        ScriptBreak()
    end
end })
table.insert(TourStops, { name = "lever-pulled", open = function()
    local stage = CreateObject{ class = "Actor" }
    local wheels = CreateObject{ resource = "WoppleWheels" }
    stage:AddChild(wheels)
    local lever = CreateObject{ resource = "CocoDropButtonDefaults", position = { 656, 462 } }
    stage:AddChild(lever)
    Screens.Tour:AddChild(stage)
    wheels:StartSpin()
    lever:Present(true)
    return stage
end, before = function(stage)
    local lever = stage:RecursiveFind("cocoDropLever"):GetParent()
    lever:ManuallyPressButton()
    for i = 1, 10 do
        ScriptBreak()
    end
end })

-- The game screen: a Classic game just started, the cherub explaining the
-- game, and the lever waiting for the first pull. The game screen pumps the
-- tour while it is current.
local function StartClassic()
    NamePlayers()
    Players[1].Options["ClassicGame.levelIntroDialog.shown"] = true
    Debug_StartClassicGame()
    local root = Screens.GameScreen:FindChild("RootActor", true)
    assert(root ~= nil, "no game on the game screen")
    return root, { Destroy = function() SwitchToScreen("Tour") end }
end

-- Steps the tour until the test holds (or a long while has passed).
local function WaitUntil(test)
    for i = 1, 900 do
        if test() then
            return
        end
        ScriptBreak()
    end
end

local function GameRoot()
    return Screens.GameScreen:FindChild("RootActor", true)
end

-- The last number dealt is the top of the last column.
local function NumbersDealt()
    local root = GameRoot()
    local board = root and root:FindChild("theBoard", true)
    return board == nil or board:GetCellView(board:GetNumColumns(), 1).visible
end

local function Passes(n)
    for i = 1, n do
        ScriptBreak()
    end
end

for _, stop in ipairs{
    { name = "game-classic-start", screen = "GameScreen", open = function()
          local root, shown = StartClassic()
          return shown
      end, before = function()
          WaitUntil(NumbersDealt)
      end },
    -- His explanation stays half a second before the lever comes.
    { name = "game-cherub-explains", screen = "GameScreen", open = function()
          local root, shown = StartClassic()
          return shown
      end, before = function()
          WaitUntil(function()
              return Screens.GameScreen:RecursiveFind("SpeechBubbleCloseButton") ~= nil
          end)
          Passes(4)
      end },
    { name = "game-lever-waits", screen = "GameScreen", open = function()
          local root, shown = StartClassic()
          return shown
      end, before = function()
          local lever = GameRoot() and GameRoot():FindChild("cocoDropButton", true)
          WaitUntil(function()
              return lever == nil or (lever.visible and not lever:IsSliding())
          end)
          local close = Screens.GameScreen:RecursiveFind("SpeechBubbleCloseButton")
          if close ~= nil then
              close:ManuallyPressButton()
              close:ManuallyReleaseButton()
          end
          Passes(12)
      end },
} do
    table.insert(TourStops, stop)
end

-- The end of a round: the end-of-level tally partway through (stars won, one
-- missed, one held from before still dimmed, the last row still to come), and
-- a stamp awarded.
for _, stop in ipairs{
    { name = "end-level-tally", open = function()
          return StartEndLevelDialog{
              level = 0, levelName = "Classic Mode", score = 48250, starScore = 40000, secondsTaken = 131, starTime = 150,
              butterfliesFound = 2, butterflyGoal = 3, secretFound = false, cardCovered = true,
              previousTopScore = 41900, starsHeldBefore = { false, false, false, true, false },
          }
      end, before = function()
          Passes(3 * 1000 / 32 + 20)
      end },
    -- A lost round at the end of its tally: "Try Again", no Next, the goal in the footer.
    { name = "end-level-lost", open = function()
          return StartEndLevelDialog{
              level = 0, levelName = "Classic Mode", score = 21780, starScore = 30000, secondsTaken = 95,
              starTime = 120, butterfliesFound = 3, butterflyGoal = 3, roundCompleted = false,
              goalText = "Score 30,000 points before the last spin to finish the round.",
              starsHeldBefore = { true, false, false, false, false },
          }
      end, before = function()
          Passes(7 * 1000 / 32 + 40)
      end },
    { name = "award-stamp", open = function()
          Players[1].Achievements = Players[1].Achievements or {}
          Players[1].Achievements.classicScore = 21400
          return StartAwardDialog("classic")
      end, before = function()
          Passes(40)
      end },
} do
    table.insert(TourStops, stop)
end

-- A Classic round played by the automated player: the reels landing after a
-- pull, then a line being scored on a board of matched cells with the score
-- rolling up. The player stops by itself once the game screen is left.
local function AutoPlayClassic(seed)
    Debug_AutoPlay(seed, { stallPasses = 400, maxPasses = 20000 })
end

local function Reel(i)
    local root = GameRoot()
    return root and root:FindChild("woppleWheels", true):GetWheelView(i)
end

local kSpinning = 11

local function LineBeingScored()
    local root = GameRoot()
    local board = root and root:FindChild("theBoard", true)
    if board == nil then
        return true
    end
    for c = 1, board:GetNumColumns() do
        for r = 1, board:GetNumRows() do
            local overlay = board:GetCellView(c, r):FindChild("woppleOverlay", true)
            if overlay and overlay.visible then
                return true
            end
        end
    end
    return false
end

-- The first spin of a player's first round lands where the walkthrough wants
-- it: cells (1, 3) and (3, 3) among them. With the rest of row 3 marked
-- before the pull, matching those two scores the row.
local function MarkRestOfRowThree()
    local board = GameRoot():FindChild("theBoard", true)
    for _, column in ipairs{ 2, 4, 5 } do
        board:GetCellView(column, 3):SetCellType("Selected")
    end
end

for _, stop in ipairs{
    { name = "game-line-scored", screen = "GameScreen", open = function()
          local root, shown = StartClassic()
          return shown
      end, before = function()
          WaitUntil(NumbersDealt)
          Passes(4)
          MarkRestOfRowThree()
          AutoPlayClassic(5)
          WaitUntil(LineBeingScored)
          Passes(8)
      end },
    { name = "game-reels-landing", screen = "GameScreen", open = function()
          local root, shown = StartClassic()
          return shown
      end, before = function()
          AutoPlayClassic(5)
          WaitUntil(function() return Reel(5) == nil or Reel(5):GetWheelType() == kSpinning end)
          -- The first reels have stopped, the last still turn.
          WaitUntil(function() return Reel(1) == nil or Reel(1):GetWheelType() ~= kSpinning end)
      end },
} do
    table.insert(TourStops, stop)
end

-- The special symbols and the end of a Classic round, played by the automated
-- player. The walkthrough's seventh spin lands a super joker on the middle
-- reel; devils come at random, so the player spins on until one lands. The
-- last stop plays a whole round to the Classic top-ten dialog. From the devil
-- on the game runs on a fast clock: the waits count passes, so they are as
-- long as ever in game time.
local function AllReelsStopped()
    for i = 1, 5 do
        local reel = Reel(i)
        if reel == nil or reel:GetWheelType() == kSpinning then
            return false
        end
    end
    return true
end

local function ReelShowing(kind)
    for i = 1, 5 do
        local reel = Reel(i)
        if reel ~= nil and reel:GetWheelType(true) == kind then
            return reel
        end
    end
    return nil
end

local kDevil, kSuperJoker = 4, 3

local function PassesUntil(test, limit)
    for i = 1, limit do
        if test() then
            return true
        end
        ScriptBreak()
    end
    return false
end

for _, stop in ipairs{
    { name = "game-super-joker-offered", screen = "GameScreen", open = function()
          local root, shown = StartClassic()
          return shown
      end, before = function()
          Debug_AutoPlay(9, { stallPasses = 600, maxPasses = 20000 })
          PassesUntil(function() return AllReelsStopped() and ReelShowing(kSuperJoker) ~= nil end, 6000)
          Debug_AutoPlay(false)
          local first = Reel(1) and Reel(1):FindChild("grayTintFull", true)
          PassesUntil(function() return first == nil or first.visible end, 200)
          Passes(20)
      end },
    { name = "game-devil-takes-points", screen = "GameScreen", open = function()
          local root, shown = StartClassic()
          return shown
      end, before = function()
          Debug_AutoPlay(13, { stallPasses = 600, maxPasses = 60000, fastClock = true })
          PassesUntil(function() return AllReelsStopped() and ReelShowing(kDevil) ~= nil end, 40000)
          Debug_AutoPlay(false)
          -- The threat, then the points going.
          Passes(1500 / 32 + 12)
      end },
    { name = "game-classic-top-ten", screen = "GameScreen", open = function()
          local root, shown = StartClassic()
          return shown
      end, before = function()
          Debug_AutoPlay(21, { stallPasses = 600, maxPasses = 60000, fastClock = true })
          -- The round's only help dialog: its top-ten list heading.
          PassesUntil(function() return Screens.GameScreen:RecursiveFind("WoppleHelpDialog") ~= nil end, 40000)
          Debug_AutoPlay(false)
          -- Stamps the round earned open over it: the player closes them.
          for i = 1, 12 do
              local stamp = Screens.GameScreen:RecursiveFind("WoppleAwardDialog")
              if stamp == nil then
                  break
              end
              Press(stamp, "OkayButton", 1)
              Passes(30)
          end
          Passes(30)
      end },
} do
    table.insert(TourStops, stop)
end

-- The multi-board modes mid-round: a level of each set up at the console (the
-- quest gets its own levels later), a row of every board nearly marked, then
-- the automated player spins until lines have been scored and counted off the
-- goal under the boards.
local function StartMultiBoard(class, wopples, supers)
    NamePlayers()
    WoppleQuestLevels[101] = {
        class = class, mapName = "Tour of the Boards",
        numberOfWopplesRequired = wopples, numberOfSuperWopplesRequired = supers,
    }
    Debug_StartQuestGame(101)
    local root = Screens.GameScreen:FindChild("RootActor", true)
    assert(root ~= nil, "no multi-board game on the game screen")
    return root, { Destroy = LeaveTourLevel }
end

local function MultiBoardsDealt()
    local root = GameRoot()
    local board = root and root:FindChild("board_1", true)
    return board == nil or board:GetCellView(board:GetNumColumns(), 1).visible
end

-- Every board: row 2 marked but for one cell, so a line comes soon.
local function NearlyMarkBoards()
    for i = 1, 4 do
        local board = GameRoot():FindChild("board_" .. i, true)
        if board ~= nil then
            for k = 1, 5 do
                if k ~= i then
                    board:GetCellView(k, 2):SetCellType("Selected")
                end
            end
        end
    end
end

local function PlayUntilLinesCounted(seed, wopples, lines)
    local label = GameRoot():FindChild("wopplesLeftValue", true)
    Debug_AutoPlay(seed, { stallPasses = 600, maxPasses = 40000, fastClock = true })
    PassesUntil(function() return tonumber(label.text) <= wopples - lines end, 20000)
    Debug_AutoPlay(false)
    Passes(90)
end

-- A stop of a mode's level: its goal, and the player's seed and the lines it plays for.
local function MultiBoardStop(name, class, wopples, supers, seed, lines)
    return { name = name, screen = "GameScreen", open = function()
        local root, shown = StartMultiBoard(class, wopples, supers)
        return shown
    end, before = function()
        WaitUntil(MultiBoardsDealt)
        Passes(4)
        NearlyMarkBoards()
        PlayUntilLinesCounted(seed, wopples, lines)
    end }
end

for _, stop in ipairs{
    MultiBoardStop("game-two-boards", "WoppleTwoBoardGameLogic", 15, 1, 3, 2),
    MultiBoardStop("game-three-boards", "WoppleThreeBoardGameLogic", 25, 3, 4, 2),
    MultiBoardStop("game-four-boards", "WoppleFourBoardGameLogic", 30, 6, 5, 3),
} do
    table.insert(TourStops, stop)
end

-- Pattern rounds: a pattern half matched by the automated player, the
-- celebration of a completed pattern, and the seven-by-seven board mid-round.
-- The levels' tables are replaced here for the stop; the
-- celebration's round has every other square of the pattern, and of the
-- column of its last square, matched from the start, so a number or a joker
-- on that reel soon completes it.
for _, stop in ipairs((function()
    local function StartLevel(level, fields)
        NamePlayers()
        Players[1].Options["game.mode"] = "Vevev"
        -- The level's own table comes back with the stop's end.
        local shipped = WoppleQuestLevels[level]
        WoppleQuestLevels[level] = fields
        Debug_StartQuestGame(level)
        local root = Screens.GameScreen:FindChild("RootActor", true)
        assert(root ~= nil, "no game on the game screen")
        return root, { Destroy = function()
            SwitchToScreen("Tour")
            WoppleQuestLevels[level] = shipped
        end }
    end
    local function Board()
        local root = GameRoot()
        return root and root:FindChild("theBoard", true)
    end
    -- A cell shows its pattern face by name; frame 1 is the matched face.
    local function MatchedPatternCells()
        local board, count = Board(), 0
        for c = 1, board and board:GetNumColumns() or 0 do
            for r = 1, board:GetNumRows() do
                local cell = board:GetCellView(c, r)
                if cell.name == "PatternCell" and cell.frame == 1 then
                    count = count + 1
                end
            end
        end
        return count
    end
    return {
        { name = "game-patterns", screen = "GameScreen", open = function()
              local root, shown = StartLevel(12, { number = 12, class = "WopplePatternsGameLogic", patternIndex = 27,
                                                    mapName = "Coral Steps" })
              return shown
          end, before = function()
              Debug_AutoPlay(3, { stallPasses = 600, maxPasses = 60000, fastClock = true })
              PassesUntil(function() return AllReelsStopped() and MatchedPatternCells() >= 5 end, 40000)
              Debug_AutoPlay(false)
              Passes(40)
          end },
        { name = "game-pattern-complete", screen = "GameScreen", open = function()
              local root, shown = StartLevel(13, { number = 13, class = "WopplePatternsGameLogic", patternIndex = 27,
                                                    mapName = "Starfish Bay" })
              return shown
          end, before = function()
              -- The pattern is marked and the numbers dealt once the lever comes.
              local board = Board()
              local lever = GameRoot():FindChild("cocoDropButton", true)
              WaitUntil(function()
                  return board:GetCellView(3, 5).name == "PatternCell" and lever.visible and not lever:IsSliding()
              end)
              -- The heart's tip, (3, 5), is left to play for.
              for c = 1, 5 do
                  for r = 1, 5 do
                      local cell = board:GetCellView(c, r)
                      if (cell.name == "PatternCell" or c == 3) and not (c == 3 and r == 5) then
                          cell:SetCellType("Selected")
                      end
                  end
              end
              Debug_AutoPlay(5, { stallPasses = 600, maxPasses = 60000, fastClock = true })
              local star = board:GetCellView(3, 5):FindChild("patternCompletionOverlay", true)
              PassesUntil(function() return star.visible end, 40000)
              Debug_AutoPlay(false)
              -- The flash over the stars' second blink.
              Passes(9)
          end },
        { name = "game-seven-by-seven", screen = "GameScreen", open = function()
              local root, shown = StartLevel(22, { number = 22, class = "WoppleSevenBySevenLogic", patternIndex = 55,
                                                    mapName = "Whale Song" })
              return shown
          end, before = function()
              Debug_AutoPlay(7, { stallPasses = 600, maxPasses = 60000, fastClock = true })
              PassesUntil(function() return AllReelsStopped() and MatchedPatternCells() >= 5 end, 40000)
              Debug_AutoPlay(false)
              Passes(40)
          end },
    }
end)()) do
    table.insert(TourStops, stop)
end

-- The board extras on the Classic board, in a quest level made for the tour
-- and played by the automated player: the frogs hopping while the reels
-- spin, the bonus timer's sign after quick matches, and a treasure box
-- opening as its row is completed.
local function StartExtrasLevel(fields)
    NamePlayers()
    local level = { class = "WoppleClassicGameLogic", mapName = "Lily Pond", timeLimitted = false }
    for key, value in pairs(fields) do
        level[key] = value
    end
    WoppleQuestLevels[101] = level
    Debug_StartQuestGame(101)
    assert(GameRoot() ~= nil, "no game on the game screen")
    return { Destroy = LeaveTourLevel }
end

local function ExtrasActor(name)
    local root = GameRoot()
    return root and root:FindChild(name, true)
end

for _, stop in ipairs{
    { name = "game-frogs", screen = "GameScreen", open = function()
          return StartExtrasLevel{ bonusSquares = { resource = "BonusSquaresDefaults", numSquares = 3 } }
      end, before = function()
          AutoPlayClassic(3)
          WaitUntil(function() return Reel(5) == nil or Reel(5):GetWheelType() == kSpinning end)
          Passes(3)
      end },
    { name = "game-bonus-timer", screen = "GameScreen", open = function()
          return StartExtrasLevel{ enableBonusTimer = true }
      end, before = function()
          AutoPlayClassic(3)
          WaitUntil(function()
              local timer = ExtrasActor("WoppleBonusTimer")
              return timer == nil or (timer.visible and timer.hasAppeared)
          end)
          Passes(4)
      end },
    { name = "game-treasure-box-opening", screen = "GameScreen", open = function()
          return StartExtrasLevel{ treasureBoxManagerDetails = { boxSpecifics = IncludeBoxes{
              "row 1", "row 2", "row 3", "row 4", "row 5", "column 1", "column 2", "column 4", "column 5",
              "downward", "upward" } } }
      end, before = function()
          WaitUntil(NumbersDealt)
          local boxes = ExtrasActor("treasureBoxManager")
          WaitUntil(function() return boxes == nil or boxes:GetTreasureBox(1, 1).visible end)
          Passes(60)
          -- Every column but the middle one marked: a match there completes its row.
          local board = ExtrasActor("theBoard")
          for column = 1, 5 do
              for row = 1, 5 do
                  if column ~= 3 then
                      board:GetCellView(column, row):SetCellType("Selected")
                  end
              end
          end
          AutoPlayClassic(5)
          WaitUntil(function() return boxes == nil or boxes:FindChild("treasureBoxOpening", true) ~= nil end)
          Passes(6)
      end },
} do
    table.insert(TourStops, stop)
end

-- Pirate's Fortune: the duel mid-round, the pirate speaking. The level table
-- is set up here on a level that has its score lists (the quest's levels come
-- later) and played by the automated player for the person, the pirate by his
-- own decisions.
local function StartPiratesFortune()
    NamePlayers()
    Players[1].Options["game.mode"] = "Vevev"
    WoppleQuestLevels[10] = {
        class = "WopplePiratesFortuneGameLogic", mapName = "Pirate Port", cellFreeSpins = 4,
        levelIntroTitle = WopplePiratesFortuneLevel.levelIntroTitle,
        levelIntroDialog = WopplePiratesFortuneLevel.levelIntroDialog,
    }
    Debug_StartQuestGame(10)
    assert(GameRoot() ~= nil, "no duel on the game screen")
    return { Destroy = function() SwitchToScreen("Tour") end }
end

for _, stop in ipairs{
    { name = "game-pirates-fortune", screen = "GameScreen", open = StartPiratesFortune, before = function()
          Debug_AutoPlay(5, { stallPasses = 600, maxPasses = 40000 })
          -- His introduction, then his turns: the fourth time he speaks up.
          local pirate = GameRoot():FindChild("pirateCharacter", true)
          local spoken, speaking = 0, false
          PassesUntil(function()
              local now = pirate:IsBubbleVisible()
              if now and not speaking then
                  spoken = spoken + 1
              end
              speaking = now
              return spoken >= 4
          end, 20000)
          Debug_AutoPlay(false)
          Passes(12)
      end },
} do
    table.insert(TourStops, stop)
end

-- The quest's own levels as they ship: the first level's welcome, the intro
-- of the first four-card level, and the summit's big card mid-round with its
-- treasure boxes and the turn clock.
for _, stop in ipairs((function()
    local function StartShippedLevel(level)
        NamePlayers()
        Players[1].Options["game.mode"] = "Vevev"
        Debug_StartQuestGame(level)
        assert(GameRoot() ~= nil, "no quest level on the game screen")
        return { Destroy = function()
            Debug_AutoPlay(false)
            SwitchToScreen("Tour")
        end }
    end
    local function IntroStop(name, level)
        return { name = name, screen = "GameScreen", open = function()
            return StartShippedLevel(level)
        end, before = function()
            PassesUntil(function() return Screens.GameScreen:RecursiveFind("WoppleHelpDialog") ~= nil end, 600)
            Passes(30)
        end }
    end
    return {
        IntroStop("quest-level-1-intro", 1),
        IntroStop("quest-level-28-intro", 28),
        { name = "quest-level-50-round", screen = "GameScreen", open = function()
              return StartShippedLevel(50)
          end, before = function()
              -- Some forty seconds of the round: a few spins matched.
              Debug_AutoPlay(8, { stallPasses = 600, maxPasses = 40000 })
              Passes(1200)
              Debug_AutoPlay(false)
              Passes(30)
          end },
    }
end)()) do
    table.insert(TourStops, stop)
end

-- The stamp book of a player with some stamps: five held, the rest faded; then
-- the card of a held stamp clicked, and of one still to earn.
local function ShowStampBook()
    NamePlayers()
    Players[1].Awards = { fullSpin = true, classic = true, matchMaker = true, speedDemon = true, cardRush = true }
    Players[1].Achievements = { jokers = 3, simultaneousWopples = 2, stamps = 5 }
    Players[1].Options.AwardScreenStats = { seenHelpBlink = true }
    SwitchToScreen("AwardScreen")
    return { Destroy = function() SwitchToScreen("Tour") end }
end

local function ClickStamp(key)
    return function()
        Passes(4)
        local badge = Screens.AwardScreen:RecursiveFind(key)
        badge:ManuallyPressButton()
        badge:ManuallyReleaseButton()
        Passes(6)
    end
end

for _, stop in ipairs {
    { name = "award-screen", screen = "AwardScreen", open = ShowStampBook, before = function() Passes(10) end },
    { name = "award-screen-stamp-info", screen = "AwardScreen", open = ShowStampBook,
      before = ClickStamp("matchMaker") },
    { name = "award-screen-stamp-to-earn", screen = "AwardScreen", open = ShowStampBook,
      before = ClickStamp("tenMillion") },
} do table.insert(TourStops, stop) end

-- The quest map. The first player's quest starts afresh; "progress" gives
-- levels 1 to n completed (each with its secret when keys), the introduction
-- and the help blink seen, and the level the map opens on.
local function QuestTable()
    local modes = Players[1].Game_Modes
    modes.Vevev = modes.Vevev or CreateGameModeTable()
    return modes.Vevev
end

local function MapProgress(n, keys, currentLevel)
    NamePlayers()
    Players[1].Options["game.mode"] = "Vevev"
    Players[1].Options.MapScreenStats = { seenHelpBlink = true }
    local records = {}
    for level = 1, n do
        records[level] = { Completed = true, SecretFound = keys, SecondsTaken = 95, NumberOfButterflies = 2 }
    end
    local vevev = QuestTable()
    vevev.LevelRecords = records
    vevev.MapStats = { seenIntro = true }
    vevev.currentLevel = currentLevel
    vevev.IslandsKnownUnlocked = {}
end

-- Answers the map's dialogs, so the next stop finds the map clear, and goes back to the tour.
local function LeaveMap()
    return { Destroy = function()
        for i = 1, 3 do
            local okay = Screens.MapScreen:RecursiveFind("OkayButton")
            if okay == nil then
                break
            end
            okay:ManuallyPressButton()
            okay:ManuallyReleaseButton()
            for pass = 1, 40 do
                ScriptBreak()
            end
        end
        SwitchToScreen("Tour")
    end }
end

for _, stop in ipairs{
    { name = "map-first-visit", screen = "MapScreen", open = function()
          NamePlayers()
          local vevev = QuestTable()
          vevev.LevelRecords, vevev.MapStats, vevev.currentLevel = {}, nil, nil
          Players[1].Options.MapScreenStats = nil
          SwitchToScreen("MapScreen")
          return LeaveMap()
      end },
    { name = "map-island-selected", screen = "MapScreen", open = function()
          MapProgress(7, true, 7)
          SwitchToScreen("MapScreen")
          return LeaveMap()
      end },
    { name = "map-new-island", screen = "MapScreen", open = function()
          MapProgress(10, false, 11)
          SwitchToScreen("MenuScreen")
          return LeaveMap()
      end,
      before = function()
          local quest = Screens.MenuScreen:RecursiveFind("playQuestButton")
          quest:ManuallyPressButton()
          quest:ManuallyReleaseButton()
          for pass = 1, 40 do
              ScriptBreak()
          end
      end },
} do
    table.insert(TourStops, stop)
end
