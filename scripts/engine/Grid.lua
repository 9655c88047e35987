-- The grid template. Its "cellsize" (lower-case s) is kept as a plain value:
-- only "cellSize" makes cells, so the template itself builds none.

Resources.Grid = Resources.Actor:new{
    class = "Grid",
    cellsize = { 40, 20 },
    margins = { 0, 0 },
}
