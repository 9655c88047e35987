-- Treasure boxes beside the boards' lines: one beside every row, one above
-- every column and one at an end of each diagonal. Completing a line opens
-- its box: the lid flies up, a butterfly flutters out and the box's reward
-- flashes pink. A level names its boxes in "treasureBoxManagerDetails"
-- (IncludeBoxes in the level list); the others stay hidden.

Resources.TreasureBoxDefaults = Resources.Actor:new{
    name = "Butterfly",
    image = "treasureBoxClosed.png",
    wingsOpenImage = "butterfly1.png",
    wingsClosedImage = "butterfly2.png",
    boxSpecifics = {},
    layer = 5,
    visible = false,
    isBox = false,
    closedBoxProperties = { image = "treasureBoxClosed.png" },
    openedBoxProperties = { image = "treasureBoxOpen.png" },
}

local function Box(drawOffset)
    return Resources.TreasureBoxDefaults:new{ resource = "TreasureBoxDefaults", drawOffset = drawOffset }
end

Resources.HorizontalTreasureBoxDefaults = Box({ 0, 0 })
Resources.VerticalTreasureBoxDefaults = Box({ 0, 0 })
Resources.DiagonalTreasureBoxDefaults = Box({ 0, 0 })

Resources.TreasureBoxLootPiece = Resources.Actor:new{ class = "Actor", image = "sparkle_pi.png" }
Resources.TreasureBoxOpeningFlash = Resources.PinkScoreFlash

-- The lid up and the butterfly on its way, where the box stood; it fades.
Resources.TreasureBoxOpening = Resources.Actor:new{
    class = "Actor",
    name = "treasureBoxOpening",
    image = "treasureBoxOpening.png",
    layer = 5,
    zorder = 5,
    scripts = { "OpenTreasureBox" },
}

function Scripts.OpenTreasureBox(lid)
    ScriptDelay(350)
    lid.image = "treasureBoxOpen.png"
    FadeAndWait(lid, 0, 500)
    lid:Destroy()
end

Resources.TreasureBoxAnimationDefaults = {
    class = "WoppleTreasureBoxAnimation",
    lootSlideTime = 250,
    lootCount = 5,
    lootCreationInterval = 150,
    lootResourceName = "TreasureBoxLootPiece",
    openingResource = "TreasureBoxOpening",
    layer = 5,
}

-- Row boxes sit beside the last column, column boxes above the first row,
-- the diagonals' boxes at the top corners.
Resources.TreasureBoxContainerDefaults = Resources.Actor:new{
    class = "WoppleTreasureBoxContainer",
    horizontalBoxDefaults = "HorizontalTreasureBoxDefaults",
    verticalBoxDefaults = "VerticalTreasureBoxDefaults",
    diagonalBoxDefaults = "DiagonalTreasureBoxDefaults",
    openedBoxAnimationDefaults = "TreasureBoxAnimationDefaults",
    rowBoxOffset = { 20, 0 },
    columnBoxOffset = { 0, -10 },
    downwardDiagonalBoxOffset = { -12, -12 },
    upwardDiagonalBoxOffset = { 12, -12 },
}

Resources.SevenBySevenTreasureBoxContainerDefaults = Resources.TreasureBoxContainerDefaults:new{
    resource = "TreasureBoxContainerDefaults",
    rowBoxAlignment = "MidRight",
    rowBoxOffset = { 5, 0 },
    upwardDiagonalBoxAlignment = "TopRight",
    upwardDiagonalBoxOffset = { 5, 0 },
}

Resources.MultiBoardTreasureBoxContainerDefaults = Resources.TreasureBoxContainerDefaults:new{
    resource = "TreasureBoxContainerDefaults",
    rowBoxOffset = { 4, 0 },
}

Resources.MultiBoardTreasureBoxes_ColumnsOnBottom = {
    cellRowForColumnBoxes = -1,
    columnBoxAlignment = "MidBottom",
    columnBoxOffset = { 0, 18 },
}

Resources.MultiBoardTreasureBoxes_RowsOnLeft = {
    cellColumnForRowBoxes = 1,
    rowBoxAlignment = "MidLeft",
    rowBoxOffset = { -14, 0 },
}

Resources.MultiBoardTreasureBoxes_AllDiagonalsOnBottom = {
    cellRowForDownwardDiagonalBoxes = -1,
    downwardDiagonalBoxAlignment = "BottomLeft",
    downwardDiagonalBoxOffset = { -7, 14 },
    cellRowForUpwardDiagonalBoxes = -1,
    upwardDiagonalBoxAlignment = "BottomRight",
    upwardDiagonalBoxOffset = { 5, 14 },
}

-- The game screen's manager (child "treasureBoxManager" of a layout) and the
-- jar that the opened boxes' butterflies go to ("butterflyBox").
Resources.TreasureBoxManagerDefaults = Resources.Actor:new{
    class = "WoppleTreasureBoxManager",
    layer = 5,
}

-- At the start of a level the level's boxes pop up one after another; a
-- level without boxes goes on at once.
function Scripts.DisplayTreasureBoxes(manager, logic, screen)
    local shown = {}
    for b = 1, logic:GetNumBoards() do
        local board = logic:GetBoardView(b)
        local boxes = board and (board:GetNumColumns() + board:GetNumRows() + 2) or 0
        for i = 1, boxes do
            if manager:GetTreasureBox(b, i).isBox then
                table.insert(shown, { b, i })
            end
        end
    end
    if table.getn(shown) == 0 then
        return
    end
    ScriptDelay(200)
    for _, place in ipairs(shown) do
        if manager:SetBoxVisible(place[1], place[2], true) then
            PlaySound("pop3.ogg")
            local at = GetGlobalCenterPoint(manager:GetTreasureBox(place[1], place[2]))
            if screen and screen.StartParticleEmitter then
                screen:StartParticleEmitter("PinkSmallBurstEffect", { (at.x or at[1]) - 20, (at.y or at[2]) - 20 })
            end
            ScriptDelay(200)
        end
    end
    ScriptDelay(200)
end

-- The Classic layout's board: the rows' boxes on the left, clear of the score sign.
Resources.ClassicTreasureBoxContainer = Resources.TreasureBoxContainerDefaults:new{
    resource = "TreasureBoxContainerDefaults",
    cellColumnForRowBoxes = 1,
    rowBoxAlignment = "MidLeft",
    rowBoxOffset = { -12, 0 },
}
