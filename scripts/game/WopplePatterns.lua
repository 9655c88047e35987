-- The patterns of the pattern games: a name and the rows of the shape, top row
-- first, one character a cell from the left: "X" a pattern cell, a space a
-- plain one. A level picks its pattern by number ("patternIndex"). Patterns 1
-- to 50 are for the 5x5 board; 51 to 58 ("boardSize" 7) for the 7x7 board.

WopplePatterns = {
    -- 1 to 10: first shapes.
    { name = "BONUS2", filledCells = { "X   X", "     ", "  X  ", "     ", "X   X" } },
    { name = "Plus", filledCells = { "  X  ", "  X  ", "XXXXX", "  X  ", "  X  " } },
    { name = "Kiss", filledCells = { "X   X", " X X ", "  X  ", " X X ", "X   X" } },
    { name = "Picture Frame", filledCells = { "XXXXX", "X   X", "X   X", "X   X", "XXXXX" } },
    { name = "Diamond", filledCells = { "  X  ", " X X ", "X   X", " X X ", "  X  " } },
    { name = "Letter T", filledCells = { "XXXXX", "  X  ", "  X  ", "  X  ", "  X  " } },
    { name = "Letter L", filledCells = { "X    ", "X    ", "X    ", "X    ", "XXXXX" } },
    { name = "Letter H", filledCells = { "X   X", "X   X", "XXXXX", "X   X", "X   X" } },
    { name = "Letter U", filledCells = { "X   X", "X   X", "X   X", "X   X", " XXX " } },
    { name = "Letter Z", filledCells = { "XXXXX", "   X ", "  X  ", " X   ", "XXXXX" } },

    -- 11 to 20: letters and signs.
    { name = "Letter E", filledCells = { "XXXXX", "X    ", "XXXX ", "X    ", "XXXXX" } },
    { name = "Letter C", filledCells = { " XXXX", "X    ", "X    ", "X    ", " XXXX" } },
    { name = "Letter O", filledCells = { " XXX ", "X   X", "X   X", "X   X", " XXX " } },
    { name = "Letter N", filledCells = { "X   X", "XX  X", "X X X", "X  XX", "X   X" } },
    { name = "Letter W", filledCells = { "X   X", "X   X", "X X X", "XX XX", "X   X" } },
    { name = "Arrow Up", filledCells = { "  X  ", " XXX ", "X X X", "  X  ", "  X  " } },
    { name = "Arrow Right", filledCells = { "  X  ", "   X ", "XXXXX", "   X ", "  X  " } },
    { name = "Chevron", filledCells = { "     ", "X   X", " X X ", "  X  ", "     " } },
    { name = "Hourglass", filledCells = { "XXXXX", " XXX ", "  X  ", " XXX ", "XXXXX" } },
    { name = "Pyramid", filledCells = { "     ", "     ", "  X  ", " XXX ", "XXXXX" } },

    -- 21 to 30: island things.
    { name = "Palm Tree", filledCells = { "XX XX", "  X  ", "  X  ", "  X  ", " XXX " } },
    { name = "Sailboat", filledCells = { "  X  ", "  XX ", "  XXX", "  X  ", "XXXXX" } },
    { name = "Fish", filledCells = { "     ", " XX X", "XXXXX", " XX X", "     " } },
    { name = "Crab", filledCells = { "X   X", " XXX ", "XXXXX", " XXX ", "X   X" } },
    { name = "Starfish", filledCells = { "  X  ", "XXXXX", " XXX ", " X X ", "X   X" } },
    { name = "Coconut", filledCells = { " XXX ", "XXXXX", "XXXXX", "XXXXX", " XXX " } },
    { name = "Heart", filledCells = { " X X ", "XXXXX", "XXXXX", " XXX ", "  X  " } },
    { name = "Sun", filledCells = { "X X X", " XXX ", "XXXXX", " XXX ", "X X X" } },
    { name = "Umbrella", filledCells = { " XXX ", "XXXXX", "  X  ", "  X  ", " XX  " } },
    { name = "Turtle", filledCells = { "  X  ", " XXX ", "XXXXX", " XXX ", "X   X" } },

    -- 31 to 40: bigger shapes.
    { name = "Checkers", filledCells = { "X X X", " X X ", "X X X", " X X ", "X X X" } },
    { name = "Stripes", filledCells = { "XXXXX", "     ", "XXXXX", "     ", "XXXXX" } },
    { name = "Fence", filledCells = { "X X X", "X X X", "X X X", "X X X", "X X X" } },
    { name = "Staircase", filledCells = { "X    ", "XX   ", "XXX  ", "XXXX ", "XXXXX" } },
    { name = "Window", filledCells = { "XXXXX", "X X X", "XXXXX", "X X X", "XXXXX" } },
    { name = "Ladder", filledCells = { "X   X", "XXXXX", "X   X", "XXXXX", "X   X" } },
    { name = "Bridge", filledCells = { "XXXXX", "X   X", "X   X", "     ", "     " } },
    { name = "Four Corners", filledCells = { "XX XX", "XX XX", "     ", "XX XX", "XX XX" } },
    { name = "Ring", filledCells = { "     ", " XXX ", " X X ", " XXX ", "     " } },
    { name = "Big Cross", filledCells = { "XX XX", "XXXXX", " XXX ", "XXXXX", "XX XX" } },

    -- 41 to 50: for the last islands.
    { name = "Spiral", filledCells = { "XXXXX", "    X", "XXX X", "X   X", "XXXXX" } },
    { name = "Zigzag", filledCells = { "X    ", " X   ", "  X X", "   X ", "     " } },
    { name = "Lightning", filledCells = { "   XX", "  XX ", " XXXX", "  XX ", " XX  " } },
    { name = "Anchor", filledCells = { "  X  ", " XXX ", "  X  ", "X X X", " XXX " } },
    { name = "Key", filledCells = { " XXX ", " X X ", " XXX ", "  X  ", "  XX " } },
    { name = "Treasure Chest", filledCells = { " XXX ", "XXXXX", "X   X", "XXXXX", "XXXXX" } },
    { name = "Butterfly", filledCells = { "X   X", "XX XX", "  X  ", "XX XX", "X   X" } },
    { name = "Pirate Flag", filledCells = { "XXXX ", "X X  ", "XXXX ", "X    ", "X    " } },
    { name = "Volcano", filledCells = { " X X ", "  X  ", " XXX ", " XXX ", "XXXXX" } },
    { name = "Full House", filledCells = { "XXXXX", "XXXXX", "XX XX", "XXXXX", "XXXXX" } },

    -- 51 to 58: the 7x7 board.
    {
        name = "Grand Frame",
        boardSize = 7,
        filledCells = { "XXXXXXX", "X     X", "X     X", "X     X", "X     X", "X     X", "XXXXXXX" },
    },
    {
        name = "Grand Cross",
        boardSize = 7,
        filledCells = { "X     X", " X   X ", "  X X  ", "   X   ", "  X X  ", " X   X ", "X     X" },
    },
    {
        name = "Grand Plus",
        boardSize = 7,
        filledCells = { "   X   ", "   X   ", "   X   ", "XXXXXXX", "   X   ", "   X   ", "   X   " },
    },
    {
        name = "Grand Diamond",
        boardSize = 7,
        filledCells = { "   X   ", "  X X  ", " X   X ", "X     X", " X   X ", "  X X  ", "   X   " },
    },
    {
        name = "Target",
        boardSize = 7,
        filledCells = { "XXXXXXX", "X     X", "X XXX X", "X X X X", "X XXX X", "X     X", "XXXXXXX" },
    },
    {
        name = "Island",
        boardSize = 7,
        filledCells = { "       ", "  XXX  ", " XXXXX ", "XXXXXXX", " XXXXX ", "  XXX  ", "       " },
    },
    {
        name = "Big Palm",
        boardSize = 7,
        filledCells = { "XXX XXX", "X  X  X", "   X   ", "   X   ", "   X   ", "  XXX  ", " XXXXX " },
    },
    {
        name = "Grand Checkers",
        boardSize = 7,
        filledCells = { "X X X X", " X X X ", "X X X X", " X X X ", "X X X X", " X X X ", "X X X X" },
    },
}

-- Every pattern must fit its board: a row too long or a row too many would
-- mark cells that are not there. Checked as the table is loaded, so a bad
-- pattern stops the game at once and says which pattern and which cell.
function CheckWopplePatterns(patterns)
    assert(type(patterns) == "table", "WopplePatterns must be a table.")
    for index = 1, table.getn(patterns) do
        local pattern = patterns[index]
        assert(type(pattern) == "table", string.format("Pattern %d is not a table.", index))
        local name = pattern.name
        assert(type(name) == "string", string.format("Pattern %d has no name.", index))
        local size = pattern.boardSize or 5
        local rows = pattern.filledCells
        assert(type(rows) == "table", string.format("Pattern %d (\"%s\") has no filledCells.", index, name))
        local cells = 0
        for row = 1, table.getn(rows) do
            local text = rows[row]
            assert(type(text) == "string",
                string.format("Pattern %d (\"%s\"): row %d is not a string.", index, name, row))
            for column = 1, string.len(text) do
                local mark = string.sub(text, column, column)
                assert(column <= size and row <= size,
                    string.format("Pattern %d (\"%s\"): the cell at {col=%d, row=%d} lies outside its %d by %d board.",
                        index, name, column, row, size, size))
                assert(mark == "X" or mark == " ",
                    string.format("Invalid character '%s' found in pattern \"%s\" at {col=%d, row=%d}.",
                        mark, name, column, row))
                if mark == "X" then
                    cells = cells + 1
                end
            end
        end
        assert(cells > 0, string.format("Pattern %d (\"%s\") has no cells.", index, name))
    end
end

CheckWopplePatterns(WopplePatterns)
