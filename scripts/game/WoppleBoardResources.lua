-- Templates of the boards and their cells: the classic board (five columns of
-- 81 by 79 cells), the pirate's board, the small boards of the multi-board
-- games and the seven-by-seven board, each with its cell and outlined labels.

-- The numbers on the cells, by board.
Resources.CellFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 40 }
Resources.CellFontSmall = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 20 }
Resources.CellFontSevenBySeven = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 30 }

-- The vision aura's two looks, applied to a cell's "isCellSelectableIndicator":
-- its halo picture shown or see-through. No colour: a colour would replace the
-- picture by a filled rectangle.
Resources.WoppleVisionSelectableAura = { alpha = 255 }
Resources.WoppleVisionUnselectableAura = { alpha = 0 }

-- An outlined number: eight black copies around the coloured one.
local outlineOffsets = { { 4, 4 }, { 0, 4 }, { 4, 0 }, { 0, 0 }, { 2, 0 }, { 2, 4 }, { 0, 2 }, { 4, 2 } }

local function OutlinedLabel(font, color, offset, zorder)
    return Resources.Label:new{
        font = font,
        fgColor = color,
        useActorColorAsBG = false,
        widthLimit = 0,
        wrapLimit = 0,
        text = "",
        alignment = Resources.RectAlignment.TopLeft,
        alignTo = Resources.RectAlignment.TopLeft,
        alignmentOffset = offset,
        zorder = zorder,
    }
end

function WoppleVisionLabelTemplate(font, color)
    local outlines = {}
    for i, offset in ipairs(outlineOffsets) do
        outlines["outlineLabel" .. i] = OutlinedLabel(font, "Black", offset, i)
    end
    return Resources.Actor:new{
        class = "WoppleVisionLabel",
        fgColor = color,
        alignment = Resources.RectAlignment.Center,
        alignTo = Resources.RectAlignment.Center,
        children = {
            outlineLabelContainer = Resources.Actor:new{
                alignment = Resources.RectAlignment.TopLeft,
                alignTo = Resources.RectAlignment.TopLeft,
                zorder = 0,
                children = outlines,
            },
            primaryLabel = OutlinedLabel(font, color, { 2, 2 }, 1),
        },
    }
end

Resources.LargeWoppleVisionLabelDefaults = WoppleVisionLabelTemplate("CellFont", "Gold")
Resources.SmallWoppleVisionLabelDefaults = WoppleVisionLabelTemplate("CellFontSmall", "Gold")
Resources.SevenBySevenWoppleVisionLabelDefaults = WoppleVisionLabelTemplate("CellFontSevenBySeven", "Gold")

-- A cell of the given look: its face (frames 0 open, 1 matched, 2 hovered,
-- 3 pressed, 4 blank) under the number's button, the vision aura over the
-- face, and the contents and the three overlays on top.
function WoppleCellViewTemplate(look)
    -- Inherited keys do not reach an object, only a template's own and those
    -- of its "resource": so each child is written out whole.
    local overlay = function(image, zorder)
        return Resources.Actor:new{ image = image, visible = false, zorder = zorder }
    end
    return Resources.Actor:new{
        class = "WoppleCellView",
        alignment = Resources.RectAlignment.NoAlignment,
        cellImage = look.face,
        patternImage = look.patternFace,
        cellNormalLabelFgColor = "Black",
        cellPatternLabelFgColor = { 234, 218, 159 },
        image = look.face,
        children = {
            cellButton = Resources.Button:new{
                image = look.face,
                font = look.font,
                text = "",
                textColor = "Black",
                useFrames = true,
                pressUpOnMouseLeave = true,
                zorder = 2,
                children = {
                    woppleVisionLabel = { resource = look.visionLabel, visible = false, zorder = 3 },
                    superJokerLabel = { resource = look.visionLabel, fgColor = "Orange", visible = false, zorder = 4 },
                },
            },
            isCellSelectableIndicator = Resources.Actor:new{ image = look.aura, visible = false, zorder = 3 },
            cellContents = Resources.Actor:new{ size = look.size, zorder = 4 },
            -- Its picture comes with each lit line; the corner keeps it on the cell.
            woppleOverlay = Resources.Actor:new{
                visible = false,
                zorder = 5,
                alignment = Resources.RectAlignment.TopLeft,
                alignTo = Resources.RectAlignment.TopLeft,
            },
            patternCompletionOverlay = overlay(look.patternOverlay, 6),
            boardCompletionOverlay = overlay(look.boardOverlay, 7),
        },
    }
end

Resources.WoppleCellViewDefaults = WoppleCellViewTemplate{
    face = "cellFace.png",
    patternFace = "cellPatternFace.png",
    aura = "cellVisionAura.png",
    patternOverlay = "cellPatternCompletionOverlay.png",
    boardOverlay = "cellBoardCompletionOverlay.png",
    font = "CellFont",
    visionLabel = "LargeWoppleVisionLabelDefaults",
    size = { 81, 79 },
}

Resources.WoppleCellViewSmallDefaults = WoppleCellViewTemplate{
    face = "cellFaceSmall.png",
    patternFace = "cellPatternFaceSmall.png",
    aura = "cellVisionAuraSmall.png",
    patternOverlay = "cellPatternCompletionOverlaySmall.png",
    boardOverlay = "cellBoardCompletionOverlaySmall.png",
    font = "CellFontSmall",
    visionLabel = "SmallWoppleVisionLabelDefaults",
    size = { 39, 38 },
}

Resources.WoppleCellViewSevenBySevenDefaults = WoppleCellViewTemplate{
    face = "cellFace7x7.png",
    patternFace = "cellPatternFace7x7.png",
    aura = "cellVisionAura7x7.png",
    patternOverlay = "cellPatternGlow7x7.png",
    boardOverlay = "cellBoardCompletionOverlay7x7.png",
    font = "CellFontSevenBySeven",
    visionLabel = "SevenBySevenWoppleVisionLabelDefaults",
    size = { 58, 57 },
}

-- A board on its background, its cells placed down each column by the
-- container's grid, and a highlight per column over the cells.
function WoppleBoardViewTemplate(board)
    return Resources.Actor:new{
        class = "WoppleBoardView",
        alignment = Resources.RectAlignment.NoAlignment,
        image = board.background,
        gridSize = board.gridSize,
        cellViewParameters = { resource = board.cell },
        columnHiliteParameters = { image = board.hilite, zorder = 2, alignment = "NoAlignment" },
        children = {
            cellContainer = Resources.Actor:new{
                alignment = Resources.RectAlignment.NoAlignment,
                position = board.margins,
                zorder = 1,
                layoutManager = Resources.LayoutManager:new{
                    autoColumnWidths = false,
                    autoRowHeights = false,
                    columns = table.getn(board.columnWidths),
                    rows = table.getn(board.rowHeights),
                    columnWidths = board.columnWidths,
                    rowHeights = board.rowHeights,
                    orientation = Resources.LayoutOrientation.RightToLeftBottomToTop,
                },
            },
        },
    }
end

Resources.WoppleSingleBoardResourceSet = WoppleBoardViewTemplate{
    background = "bkgBoardSingle.png",
    cell = "WoppleCellViewDefaults",
    hilite = "columnHilite.png",
    margins = { 10, 10 },
    columnWidths = { 81, 82, 81, 82, 81 },
    rowHeights = { 79, 80, 80, 80, 80 },
}

Resources.WopplePirateBoardResourceSet = WoppleBoardViewTemplate{
    background = "bkgBoardPirate.png",
    cell = "WoppleCellViewDefaults",
    hilite = "columnHilite.png",
    margins = { 10, 10 },
    columnWidths = { 81, 82, 81, 82, 81 },
    rowHeights = { 79, 80, 80, 80, 80 },
}

Resources.WoppleMultiBoardResourceSet = WoppleBoardViewTemplate{
    background = "bkgBoardMulti.png",
    cell = "WoppleCellViewSmallDefaults",
    hilite = "columnHiliteSmall.png",
    margins = { 8, 8 },
    columnWidths = { 39, 39, 39, 39, 40 },
    rowHeights = { 38, 38, 38, 38, 38 },
}

Resources.WoppleSevenBySevenBoardResourceSet = WoppleBoardViewTemplate{
    background = "bkgBoardSevenBySeven.png",
    cell = "WoppleCellViewSevenBySevenDefaults",
    hilite = "columnHilite7x7.png",
    gridSize = 7,
    margins = { 10, 10 },
    columnWidths = { 58, 58, 58, 58, 58, 58, 58 },
    rowHeights = { 57, 57, 57, 57, 57, 57, 57 },
}
