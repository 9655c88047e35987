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
          -- The engine's own card until the game brings its card template.
          return StartCommonDialog("ChooseActivePlayer", "CardView", 2)
      end },
}

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
