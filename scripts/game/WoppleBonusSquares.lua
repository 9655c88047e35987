-- The bonus squares on the boards (frogs sitting on free cells, hopping while
-- the reels spin) and the bonus timer's sign for quick matches.

Resources.BonusFrogSquare = Resources.Actor:new{
    class = "Actor",
    size = { 93, 91 },
    image = "bonus_square_overlays_frog.png",
    defaultImage = "bonus_square_overlays_frog.png",
    flashImages = { "bonus_square_overlays_frog.png", "bonus_square_overlays_frog_flash.png" },
    -- The square's own pace; the bonus squares keep theirs.
    rearrangeDelayTime = 90,
}

-- A level names it as its "bonusSquares" with the number of frogs, e.g.
-- bonusSquares = { resource = "BonusSquaresDefaults", numSquares = 2 }.
Resources.BonusSquaresDefaults = Resources.Actor:new{
    class = "WoppleBonusSquares",
    name = "bonusSquares",
    squareTemplate = Resources.BonusFrogSquare,
}

-- While the reels spin the frogs hop about, "bounce.ogg" at every hop.
function Scripts.RearrangeBonusSquares(squares)
    while true do
        PlaySound("bounce.ogg")
        squares:RearrangeAllSquares()
        ScriptDelay(squares.rearrangeDelayTime)
    end
end

-- A frog that a match landed on blinks, then sits still again.
function Scripts.BonusSquareSelected(square)
    local images = square.flashImages
    for i = 1, 6 do
        square.image = images[math.fmod(i - 1, table.getn(images)) + 1]
        ScriptDelay(90)
    end
    square.image = square.defaultImage
end

-- The bonus timer: a ripple on the water under a little wooden sign that
-- shows the bonus a quick match earns. Hidden until the second quick match.
Resources.BonusTimerFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 24 }

local function BonusTimer(fields)
    local timer = {
        class = "WoppleBonusTimer",
        image = "ripple3.png",
        visible = false,
        scoreTable = { 100, 200, 300, 500, 800, 1300, 1800, 2800 },
        timeToAppear = 3000,
        timeToStartFlashing = 2000,
        timeToExpire = 1000,
        flashLength = 160,
        children = {
            SignImage = Resources.Actor:new{
                image = "WoppleBonusTimer.png",
                alignment = Resources.RectAlignment.MidBottom,
                alignTo = Resources.RectAlignment.Center,
                alignmentOffset = { 0, 6 },
                children = {
                    ScoreLabel = Resources.Label:new{
                        font = "BonusTimerFont", fgColor = "OffWhite", shadowColor = "Black",
                        useActorColorAsBG = false, text = "100",
                        alignment = Resources.RectAlignment.Center, alignTo = Resources.RectAlignment.Center,
                        alignmentOffset = { 0, -20 },
                    },
                },
            },
        },
    }
    for key, value in pairs(fields) do
        timer[key] = value
    end
    return Resources.Actor:new(timer)
end

Resources.WoppleBonusTimerDefaults = BonusTimer{}
-- Several boards take longer to scan: more time between quick matches.
Resources.MultiBoardWoppleBonusTimer = BonusTimer{ timeToAppear = 5000, timeToStartFlashing = 4000 }

-- The treasure boxes of a quest level, for its "treasureBoxManagerDetails":
-- boxSpecifics = IncludeBoxes{ "row 3", "column 4", "downward", "upward", "board 2", "row 1" }
-- gives each named line of the board named last (board 1 first) a box that
-- shows. Here, not with the boxes, because the level list is read before them.
function IncludeBoxes(words)
    local boxes = {}
    local board = 1
    local shown = function() return { isBox = true, visible = true } end
    for _, word in ipairs(words) do
        local kind, number = string.match(word, "^(%a+)%s*(%d*)$")
        number = tonumber(number)
        assert(kind, "IncludeBoxes: cannot read \"" .. tostring(word) .. "\"")
        if kind == "board" then
            assert(number, "IncludeBoxes: \"" .. word .. "\" needs its number")
            board = number
        else
            boxes[board] = boxes[board] or {}
            local specifics = boxes[board]
            if kind == "row" or kind == "column" then
                assert(number, "IncludeBoxes: \"" .. word .. "\" needs its number")
                local key = kind .. "s"
                specifics[key] = specifics[key] or {}
                specifics[key][number] = shown()
            elseif kind == "downward" then
                specifics.downwardDiagonal = shown()
            elseif kind == "upward" then
                specifics.upwardDiagonal = shown()
            else
                error("IncludeBoxes: no box for \"" .. word .. "\"")
            end
        end
    end
    return boxes
end
