-- The award screen: the stamp book. The stamps sit on the left page where
-- WoppleAwardsList places them ("WoppleAwards.lua"), the info card of the
-- stamp clicked last on the right page, the corner buttons below.

Resources.StampNameFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 14 }
Resources.StampBookTitleFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 23 }
Resources.StampBookPromptFont = Resources.Font:new{ fontName = "ComicNeue-Bold.otf", fontSize = 20 }
Resources.StampInfoHeaderFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 25 }
Resources.StampInfoTextFont = Resources.Font:new{ fontName = "ComicNeue-Bold.otf", fontSize = 16 }

-- The highlight colours of the stamps that the engine's colours lack.
Colors{ Pink = { 255, 95, 138 } }

local Ink = { 59, 35, 20 }

-- A centred text in ink; the fields given change the rest.
local function Text(fields)
    local label = {
        fgColor = Ink,
        useActorColorAsBG = false,
        widthLimit = 0,
        wrapLimit = 0,
        textAlignment = Resources.TextAlignment.Center,
    }
    for key, value in pairs(fields) do
        label[key] = value
    end
    return Resources.Label:new(label)
end

-- A text of the book itself, centred on a point of the screen.
local function BookText(text, font, x, y)
    return Text{
        text = text, font = font, zorder = 5,
        alignment = Resources.RectAlignment.Center,
        alignTo = Resources.RectAlignment.TopLeft,
        alignmentOffset = { x, y },
    }
end

-- A text of the info column, hidden until a stamp is shown.
local function InfoText(text, font, wrapLimit, alignment, y)
    return Text{
        text = text, font = font, wrapLimit = wrapLimit, visible = false,
        alignment = alignment,
        alignTo = Resources.RectAlignment.MidTop,
        alignmentOffset = { 0, y },
    }
end

Resources.WoppleAwardScreen = Resources.Object:new{
    children = {
        backgroundComposite = Resources.Actor:new{ image = "stampbook.jpg", position = { 0, 0 }, zorder = 1 },
        logo = Resources.Actor:new{ image = "stampbookLogo.png", position = { 428, 0 }, zorder = 5 },
        cornerButtonsLayer = Resources.Actor:new{
            color = false,
            size = { 800, 600 },
            position = { 0, 0 },
            zorder = 4,
            children = WoppleCornerButtons("Button.png", 5),
        },
        stampInfo = Resources.Actor:new{
            color = false,
            position = { 560, 80 },
            size = { 220, 480 },
            zorder = 5,
            children = {
                -- Grows upwards, so that a name on two lines stays above the picture.
                Header = InfoText("Stamp Info", "StampInfoHeaderFont", 15, Resources.RectAlignment.MidBottom, 36),
                stampImage = Resources.Actor:new{
                    alignment = Resources.RectAlignment.MidTop,
                    alignTo = Resources.RectAlignment.MidTop,
                    alignmentOffset = { 0, 40 },
                    shaderType = "SHADERTYPE_BLENDCOMBINEDALPHA",
                    visible = false,
                },
                Text = InfoText("", "StampInfoTextFont", 20, Resources.RectAlignment.MidTop, 200),
            },
        },
        HeaderText = BookText("Here are the stamps you have won!", "StampBookTitleFont", 209, 29),
        PromptText = BookText("Click on stamps for more info", "StampBookPromptFont", 209, 496),
    },
}

-- One badge of the book; the screen gives it its stamp, place and tint.
Resources.BadgeTemplate = Resources.Button:new{
    resource = "Button",
    useFrames = false,
    text = "",
    zorder = 5,
    clickSound = "Click6.ogg",
    highlightSound = "TinyClick.ogg",
    children = {
        hilightLayer = Resources.Actor:new{
            position = { 0, 0 },
            alignment = Resources.RectAlignment.TopLeft,
            alignTo = Resources.RectAlignment.TopLeft,
            zorder = 6,
            alpha = 128,
            visible = false,
        },
        stampScreenTip = Text{
            text = "",
            font = "StampNameFont",
            fgColor = "Black",
            color = "White",
            useActorColorAsBG = true,
            zorder = 7,
            alignment = Resources.RectAlignment.MidTop,
            alignTo = Resources.RectAlignment.MidBottom,
            visible = false,
        },
    },
}
