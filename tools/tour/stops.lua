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
