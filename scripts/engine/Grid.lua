-- The grid of cells and the grid layout of an actor's children.

-- "cellsize" is not the grid's "cellSize": it is kept as a plain value and
-- builds no cells.
Resources.Grid = Resources.Actor:new{
    class = "Grid",
    cellsize = { 40, 20 },
    margins = { 0, 0 },
}

Resources.LayoutManager = Resources.Object:new{
    class = "GridLayout",
    autoColumnWidths = true,
    autoRowHeights = true,
    columns = 2,
    columnWidths = {},
    defaultColumnWidth = 100,
    defaultRowHeight = 30,
    orientation = Resources.LayoutOrientation.LeftToRightTopToBottom,
    rowHeights = {},
    rows = 2,
}
