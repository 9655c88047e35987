-- How the cells of neighbouring boards connect in multi-board games.
-- Each link joins two cells of two boards; each end names the way to it from
-- the other end, so {board 1 at {c, 5}, "North"} and {board 2 at {c, 1},
-- "South"} put board 1 on top of board 2. The diagonal links let bouncing
-- super wopples cross a seam.

local function Link(links, boardA, columnA, rowA, towardsA, boardB, columnB, rowB, towardsB)
    table.insert(links, {
        { boardIndex = boardA, cellPosition = { columnA, rowA }, orientation = towardsA },
        { boardIndex = boardB, cellPosition = { columnB, rowB }, orientation = towardsB },
    })
end

-- Board `top` above board `bottom`; column c of the top board stands over
-- column c + shift of the bottom one. Only columns that exist are joined.
local function JoinVertically(links, top, bottom, columns, shift)
    for _, c in ipairs(columns) do
        local below = c + shift
        if below >= 1 and below <= 5 then
            Link(links, top, c, 5, "North", bottom, below, 1, "South")
        end
        if below + 1 >= 1 and below + 1 <= 5 then
            Link(links, top, c, 5, "Northwest", bottom, below + 1, 1, "Southeast")
        end
        if below - 1 >= 1 and below - 1 <= 5 then
            Link(links, top, c, 5, "Northeast", bottom, below - 1, 1, "Southwest")
        end
    end
end

-- Board `left` beside board `right`, rows level.
local function JoinHorizontally(links, left, right)
    for r = 1, 5 do
        Link(links, left, 5, r, "West", right, 1, r, "East")
        if r < 5 then
            Link(links, left, 5, r, "Northwest", right, 1, r + 1, "Southeast")
        end
        if r > 1 then
            Link(links, left, 5, r, "Southwest", right, 1, r - 1, "Northeast")
        end
    end
end

-- Two boards, one above the other, column to column.
function CreateTwoBoardCellConnections()
    local links = {}
    for c = 1, 5 do
        Link(links, 1, c, 5, "North", 2, c, 1, "South")
    end
    return links
end

-- Board 1 on top, centred over boards 2 and 3 side by side: its columns 1
-- and 2 stand over columns 4 and 5 of board 2, its 4 and 5 over 1 and 2 of
-- board 3, and its middle column over the gap.
function CreateThreeBoardCellConnections()
    local links = {}
    JoinVertically(links, 1, 2, { 1, 2 }, 3)
    JoinVertically(links, 1, 3, { 4, 5 }, -3)
    JoinHorizontally(links, 2, 3)
    return links
end

-- Four boards two by two: 1 and 2 on top, 3 and 4 below.
function CreateFourBoardCellConnections()
    local links = {}
    local all = { 1, 2, 3, 4, 5 }
    JoinVertically(links, 1, 3, all, 0)
    JoinVertically(links, 2, 4, all, 0)
    JoinHorizontally(links, 1, 2)
    JoinHorizontally(links, 3, 4)
    -- Across the middle corner.
    Link(links, 1, 5, 5, "Northwest", 4, 1, 1, "Southeast")
    Link(links, 2, 1, 5, "Northeast", 3, 5, 1, "Southwest")
    return links
end
