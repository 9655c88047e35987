-- The combo meter (a bar that drains over time) and the message board (a
-- text with up to two buttons). The game offers both as templates.

Resources.ComboMeter = Resources.Actor:new{
    class = "ComboMeter",
    size = { 10, 32 },
    image = "comboMeter.png",
    children = {
        -- Grows up from the bottom as the meter fills.
        FillGraphic = Resources.Actor:new{
            class = "Actor",
            color = "Orange",
            size = { 8, 1 },
            alignment = Resources.RectAlignment.MidBottom,
            alignTo = Resources.RectAlignment.MidBottom,
            alignmentOffset = { 0, -1 },
        },
    },
}

-- How fast the meter rises and drains, by level (-1 for any level not listed).
ComboMeterLevels = {
    [-1] = { amountOfIncrease = 0.2, amountOfDecrease = 0.025, timeToDecrease = 1000 },
    [1] = { amountOfIncrease = 0.1, amountOfDecrease = 0.0060, timeToDecrease = 33 },
}

Resources.MessageBoardFont = Resources.Font:new{ fontName = "ComicNeue-Bold.otf", fontSize = 20 }

Resources.WoppleMessageBoard = Resources.Actor:new{
    class = "WoppleMessageBoard",
    image = "bkgMessageBoard.png",
    children = {
        boardTextLabel = Resources.Label:new{
            font = "MessageBoardFont", fgColor = "Black", useActorColorAsBG = false, shadowColor = "Invisible",
            text = "", widthLimit = 30,
            alignment = Resources.RectAlignment.MidTop, alignTo = Resources.RectAlignment.MidTop,
            alignmentOffset = { 0, 16 },
        },
        messageBoardButtonOne = Resources.Button:new{
            resource = "Button", image = "Button.small.png", useFrames = true, text = "", visible = false,
            alignment = Resources.RectAlignment.BottomLeft, alignTo = Resources.RectAlignment.BottomLeft,
            alignmentOffset = { 20, -12 },
        },
        messageBoardButtonTwo = Resources.Button:new{
            resource = "Button", image = "Button.small.png", useFrames = true, text = "", visible = false,
            alignment = Resources.RectAlignment.BottomRight, alignTo = Resources.RectAlignment.BottomRight,
            alignmentOffset = { -20, -12 },
        },
    },
}
