-- The reels: the numbers on their squares, one reel, the reel sets and where
-- the game's layouts put them, the progress charts over the reels' faces, and
-- the multiplier's flash.

Resources.WheelFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 40 }
Resources.SevenWheelFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 28 }

Resources.WheelNumberLabel = Resources.Label:new{
    font = "WheelFont",
    fgColor = "Black",
    useActorColorAsBG = false,
    widthLimit = 0,
    wrapLimit = 0,
    text = "",
}

Resources.SevenWheelNumberLabel = Resources.WheelNumberLabel:new{ font = "SevenWheelFont" }

-- ---------------------------------------------------------------- progress charts

local function Dark(x, y, w, h)
    return { class = "Actor", color = "Black", alpha = 128, position = { x, y }, size = { w, h } }
end

local function Overlay(image, x, y)
    return {
        class = "Actor",
        image = image,
        alpha = 128,
        shaderType = "SHADERTYPE_BLENDCOMBINEDALPHA",
        position = { x, y },
    }
end

local function Shapes(list)
    local children = {}
    for i, shape in ipairs(list) do
        children["shape" .. i] = shape
    end
    return { class = "Actor", children = children }
end

-- The chart for one piece count: pieces[count][state of 1][state of 2]... is
-- the dark shapes of the filled pieces; all filled darkens the whole face.
local function PieceChart(pieceShapes, whole)
    local count = table.getn(pieceShapes)
    local function Node(states)
        if table.getn(states) == count then
            local shapes, filled = {}, 0
            for i, state in ipairs(states) do
                if state == "filled" then
                    filled = filled + 1
                    for _, shape in ipairs(pieceShapes[i]) do
                        table.insert(shapes, shape)
                    end
                end
            end
            if filled == count then
                return Shapes({ whole })
            end
            return Shapes(shapes)
        end
        local node = {}
        for _, state in ipairs({ "filled", "unfilled", "ignored" }) do
            local next = {}
            for i, s in ipairs(states) do
                next[i] = s
            end
            table.insert(next, state)
            node[state] = Node(next)
        end
        return node
    end
    return Node({})
end

-- Boards to areas: one the face, two the upper and lower halves, three the top
-- and the two bottom corners (cut along the diagonals through the centre:
-- each quarter's overlay pair is its triangles above and below its diagonal),
-- four the quarters.
local face = Dark(0, 0, 87, 76)
Resources.WheelPieceChart = {
    pieces = {
        PieceChart({ { face } }, face),
        PieceChart({ { Dark(0, 0, 87, 38) }, { Dark(0, 38, 87, 38) } }, face),
        PieceChart({
            { Overlay("overlayTopLeftUpper.png", 0, 0), Overlay("overlayTopRightUpper.png", 44, 0) },
            {
                Overlay("overlayTopLeftLower.png", 0, 0),
                Overlay("overlayBottomLeftUpper.png", 0, 38),
                Overlay("overlayBottomLeftLower.png", 0, 38),
            },
            {
                Overlay("overlayTopRightLower.png", 44, 0),
                Overlay("overlayBottomRightUpper.png", 44, 38),
                Overlay("overlayBottomRightLower.png", 44, 38),
            },
        }, face),
        PieceChart({
            { Dark(0, 0, 44, 38) },
            { Dark(44, 0, 43, 38) },
            { Dark(0, 38, 44, 38) },
            { Dark(44, 38, 43, 38) },
        }, face),
    },
}

local smallFace = Dark(0, 0, 56, 53)
Resources.SevenWheelPieceChart = { pieces = { PieceChart({ { smallFace } }, smallFace) } }

-- ---------------------------------------------------------------- one reel

local function Centered(t)
    t.alignment = "Center"
    t.alignTo = "Center"
    return t
end

-- A reel of the five-reel set; the reel set numbers it and names its button.
Resources.DefaultWheelViewParameters = {
    class = "WoppleWheelView",
    wheelBackgroundFormat = "wheelBackground%1%.png",
    wheelSize = { 88, 77 },
    applyScale = false,
    children = {
        wheelButton = Centered{
            class = "Button",
            image = "coco_center.png",
            text = "",
            clickSound = "",
            alignmentOffset = { -1, 0 },
            useFrames = false,
            zorder = 1,
            highlightChild = "wheelHighlight",
            children = {
                grayTintFull = Centered{
                    class = "Actor",
                    color = "Black",
                    alpha = 128,
                    shaderType = "SHADERTYPE_BLENDPIXELALPHA",
                    zorder = 4,
                    size = { 86, 76 },
                    visible = false,
                },
                progressOverlay = Centered{
                    class = "WoppleWheelProgressOverlay",
                    resource = "WheelPieceChart",
                    size = { 86, 76 },
                    zorder = 4,
                },
                wheelMotionOverlay = Centered{ class = "Actor", image = "coco_motion.png", zorder = 2, visible = false },
                wheelHighlight = Centered{ class = "Actor", image = "cocoHighlight.png", zorder = 5, visible = false },
            },
        },
        wheelCover = Centered{ class = "Actor", zorder = 5 },
        wheelFrame = Centered{ class = "Actor", layer = 1, image = "reelwithhole.png", alignmentOffset = { -1, -9 } },
        wheelHilite = Centered{
            class = "Actor",
            layer = 2,
            image = "coconut_highlight.png",
            alignmentOffset = { 1, 2 },
            visible = false,
        },
    },
}

-- The smaller reel of the seven-reel set.
Resources.SevenWheelViewParameters = {
    class = "WoppleWheelView",
    wheelBackgroundFormat = "wheelSmallBackground%1%.png",
    wheelSize = { 53, 54 },
    size = { 52, 52 },
    labelResource = "SevenWheelNumberLabel",
    applyScale = true,
    children = {
        wheelButton = Centered{
            class = "Button",
            image = "coco_center_small.png",
            text = "",
            clickSound = "",
            useFrames = false,
            zorder = 1,
            highlightChild = "wheelHighlight",
            children = {
                grayTintFull = Centered{
                    class = "Actor",
                    color = "Black",
                    alpha = 128,
                    shaderType = "SHADERTYPE_BLENDPIXELALPHA",
                    zorder = 4,
                    size = { 56, 53 },
                    visible = false,
                },
                progressOverlay = Centered{
                    class = "WoppleWheelProgressOverlay",
                    resource = "SevenWheelPieceChart",
                    size = { 56, 53 },
                    zorder = 4,
                },
                wheelMotionOverlay = Centered{
                    class = "Actor", image = "coco_motion_small.png", zorder = 2, visible = false,
                },
                wheelHighlight = Centered{
                    class = "Actor", image = "cocoHighlightSmall.png", zorder = 5, visible = false,
                },
            },
        },
        wheelCover = Centered{ class = "Actor", zorder = 5 },
        wheelFrame = Centered{ class = "Actor", layer = 1, image = "reelSmallWithHole.png" },
        wheelHilite = Centered{ class = "Actor", layer = 2, image = "coconut_hilight_small.png", visible = false },
    },
}

-- ---------------------------------------------------------------- reel sets

Resources.DefaultWoppleWheelSetView = {
    class = "WoppleWheelSetView",
    numberOfWheels = 5,
    wheelViewParameters = { resource = "DefaultWheelViewParameters" },
    children = {
        wheelContainer = {
            class = "Actor",
            zorder = 1,
            position = { 82 / 2 + 6, 77 / 2 },
            layoutManager = {
                class = "GridLayout",
                rows = 1,
                columns = 5,
                columnWidths = { 82, 82, 82, 82, 82 },
                rowHeights = { 77 },
                autoColumnWidths = false,
                autoRowHeights = false,
            },
        },
    },
}

Resources.WoppleSevenWheelSetView = {
    class = "WoppleWheelSetView",
    numberOfWheels = 7,
    wheelViewParameters = { resource = "SevenWheelViewParameters" },
    children = {
        wheelContainer = {
            class = "Actor",
            zorder = 1,
            position = { 60 / 2 + 4, 54 / 2 },
            layoutManager = {
                class = "GridLayout",
                rows = 1,
                columns = 7,
                columnWidths = { 60, 60, 59, 60, 60, 59, 60 },
                rowHeights = { 54 },
                autoColumnWidths = false,
                autoRowHeights = false,
            },
        },
    },
}

-- "woppleWheels" of the game layouts: one board, several boards, seven by seven.
Resources.WoppleWheels = { resource = "DefaultWoppleWheelSetView", position = { 191, 506 }, zorder = 3 }
Resources.MultiBoardWoppleWheels = {
    resource = "DefaultWoppleWheelSetView",
    position = { 188, 510 },
    zorder = 2,
    wheelViewParameters = {
        resource = "DefaultWheelViewParameters",
        zorder = 1,
        wheelBackgroundFormat = "wheelDesertBackground%1%.png",
    },
}
Resources.SevenWoppleWheels = { resource = "WoppleSevenWheelSetView", position = { 195, 510 }, zorder = 3 }
