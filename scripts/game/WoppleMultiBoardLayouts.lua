-- The game screen's layouts for two, three and four boards. The boards sit
-- in one bamboo frame in the middle, with a golden link across each seam
-- where a line may run from one board into the next; the goal strip under
-- them counts down the Wopples and Super Wopples still needed. The controls
-- around them (score, timer, power-ups, the girl, the cherub, the lever) are
-- those of the Classic layout, where a player already knows them.

Resources.GoalCaptionFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 17 }
Resources.GoalCountFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 26 }

local A = Resources.RectAlignment

-- A board tray's cells: 8 in from its corner, columns 39 wide (the last 40), rows 38 high.
local function CellCentre(board, column, row)
    return board[1] + 8 + 39 * (column - 1) + 19.5, board[2] + 8 + 38 * (row - 1) + 19
end

-- One golden link over each straight seam link that the mode's link function
-- makes: from the upper (north) or left (west) end's cell to the other's.
local function SeamLinks(links, boards, children)
    for i, link in ipairs(links) do
        local a, b = link[1], link[2]
        local upright = a.orientation == "North" or a.orientation == "South"
        local across = a.orientation == "West" or a.orientation == "East"
        if upright or across then
            local ax, ay = CellCentre(boards[a.boardIndex], a.cellPosition[1], a.cellPosition[2])
            local bx, by = CellCentre(boards[b.boardIndex], b.cellPosition[1], b.cellPosition[2])
            local image, w, h = "boardLinkV.png", 12, 24
            if across then
                image, w, h = "boardLinkH.png", 24, 12
                if math.abs(ax - bx) > 60 then
                    image, w = "boardLinkHLong.png", 38
                end
            end
            children["seamLink" .. i] = Resources.Actor:new{
                image = image,
                position = { math.floor((ax + bx - w) / 2 + 0.5), math.floor((ay + by - h) / 2 + 0.5) },
                zorder = 3,
            }
        end
    end
end

local function Caption(text, x)
    return Resources.Label:new{
        font = "GoalCaptionFont", fgColor = "White", shadowColor = "Black", useActorColorAsBG = false, text = text,
        alignment = A.MidLeft, alignTo = A.MidLeft, alignmentOffset = { x, 0 }, zorder = 2,
    }
end

-- A count on its plate, centred that far from the strip's centre, and its tick.
local function Count(x)
    return Resources.Label:new{
        font = "GoalCountFont", fgColor = "White", shadowColor = "Black", useActorColorAsBG = false, text = "0",
        alignment = A.Center, alignTo = A.Center, alignmentOffset = { x, -1 }, zorder = 2,
    }
end

local function Tick(x)
    return Resources.Actor:new{
        image = "goalCheck.png", visible = false,
        alignment = A.Center, alignTo = A.Center, alignmentOffset = { x, -1 }, zorder = 3,
    }
end

-- The goal under the boards: the Wopples on the left plate, the Super Wopples on the right.
local function GoalStrip(position)
    return Resources.Actor:new{
        image = "goalStripMulti.png", position = position, zorder = 10,
        children = {
            wopplesCaption = Caption("WOPPLES", 16),
            wopplesLeftValue = Count(-55),
            wopplesLeftCheck = Tick(-55),
            supersCaption = Caption("SUPER WOPPLES", 208),
            supersLeftValue = Count(153),
            supersLeftCheck = Tick(153),
            -- Blinks as a count goes down; stays lit once the goal is reached.
            wopplesNeededBlink = Resources.Actor:new{
                image = "goalStripMultiBlink.png", visible = false,
                alignment = A.Center, alignTo = A.Center, zorder = 1,
            },
        },
    }
end

-- The Classic controls around the boards.
local function ClassicControls(children)
    local classic = Resources.WoppleClassicScreenLayout.children
    for _, name in ipairs{ "scoreLabelContainer_0", "timerContainer", "wopplePowerupView_0", "cherubGirl",
                           "cherubBucketGuy", "spinButton", "cocoDropButton", "ambientLoop" } do
        children[name] = classic[name]
    end
    return children
end

-- frame: the frame's picture and corner; boards: the corner of each board's tray.
local function MultiBoardLayout(frame, framePosition, boards, links)
    local children = ClassicControls{
        boardFrame = Resources.Actor:new{ image = frame, position = framePosition, zorder = 1 },
        reelFrame = Resources.Actor:new{ image = "frameReelsClassic.png", position = { 180, 504 }, zorder = 1 },
        woppleWheels = { resource = "MultiBoardWoppleWheels" },
        wopplesNeededContainer = GoalStrip{ 192, 440 },
    }
    for i, corner in ipairs(boards) do
        children["board_" .. i] = { resource = "WoppleMultiBoardResourceSet", position = corner, zorder = 2 }
    end
    SeamLinks(links, boards, children)
    return WoppleGameLayout("bkgGameClassic.jpg", children)
end

-- Board 1 over board 2.
Resources.WoppleTwoBoardScreenLayout = MultiBoardLayout("frameBoardsTwo.png", { 278, 2 },
    { { 286, 10 }, { 286, 224 } }, CreateTwoBoardCellConnections())

-- Board 1 over the gap between boards 2 and 3: its first two columns over
-- board 2's last two, its last two over board 3's first two.
Resources.WoppleThreeBoardScreenLayout = MultiBoardLayout("frameBoardsThree.png", { 161, 2 },
    { { 286, 10 }, { 169, 224 }, { 403, 224 } }, CreateThreeBoardCellConnections())

-- Two by two.
Resources.WoppleFourBoardScreenLayout = MultiBoardLayout("frameBoardsFour.png", { 168, 2 },
    { { 176, 10 }, { 396, 10 }, { 176, 224 }, { 396, 224 } }, CreateFourBoardCellConnections())

-- ---------------------------------------------------------------- what the girl says

-- A lost multi-board level: which kind of line was still missing.
function Scripts.SayDidNotGetWopples(character)
    SadSayAndWait(character, "Not enough Wopples this time. Try again?", 3000)
end

function Scripts.SayDidNotGetSuperWopples(character)
    SadSayAndWait(character, "So close! You still needed a Super Wopple or two.", 3500)
end
