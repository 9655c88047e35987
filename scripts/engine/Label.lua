-- The label template and what it names: the font of informative text and the
-- two greys of a label's shadow and highlight.

Colors{
    DarkGray = { 169, 169, 169 },
    LightGray = { 211, 211, 211 },
}

Resources.InfoTextFont = Resources.Font:new{ fontName = "ComicNeue-Bold.otf", fontSize = 16 }

Resources.Label = Resources.Actor:new{
    class = "Label",
    font = "InfoTextFont",
    textAlignment = Resources.TextAlignment.Center,
    alignment = Resources.RectAlignment.Center,
    alignTo = Resources.RectAlignment.Center,
    alignmentOffset = { 0, 0 },
    visible = true,
    color = "White",
    fgColor = "Black",
    text = "Label",
    useActorColorAsBG = true,
    lineSpacing = 1,
    widthLimit = 100,
    textOffset = { 0, 0 },
    shadowColor = "DarkGray",
    highlightColor = "LightGray",
    wrapLimit = 80,
}

-- The "HW: " or "SW: " before the frame rate of the developer overlay.
Resources.CounterLabel = Resources.Label:new{
    font = Resources.Font:new{ fontName = "DejaVuSansCondensed.ttf", fontSize = 18 },
    fgColor = "Red",
    useActorColorAsBG = false,
    text = "",
}
