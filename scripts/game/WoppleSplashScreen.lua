-- The splash screen's layout: the start button, the loading sign, five
-- butterflies resting on the sign's edge, the sea and the forest behind, and
-- the legal line at the bottom.

Resources.SplashLegalFont = Resources.Font:new{ fontName = "DejaVuSansCondensed.ttf", fontSize = 14 }

local function Butterfly(n)
    return Resources.Actor:new{
        image = "butterfly1.disabled.png",
        zorder = 10,
        position = { 140 + 40 * (n - 1), 365 },
        wingsOpenImage = "butterfly1.png",
        wingsClosedImage = "butterfly2.png",
        wingsDisabledImage = "butterfly1.disabled.png",
        scripts = { "ButterflyDisabled" },
    }
end

Resources.WoppleSplashScreen = Resources.Object:new{
    children = {
        StartButton = Resources.Button:new{
            resource = "Button",
            image = "start_frames.png",
            useFrames = true,
            text = "Play!",
            position = { 225, 395 },
            visible = false,
            shortcutKey = "s",
            enterKey = true,
            highlightSound = "TinyClick.ogg",
            clickSound = "click.ogg",
        },
        LoadingText = Resources.Actor:new{ image = "loading.png", position = { 185, 398 } },
        Butterfly1 = Butterfly(1),
        Butterfly2 = Butterfly(2),
        Butterfly3 = Butterfly(3),
        Butterfly4 = Butterfly(4),
        Butterfly5 = Butterfly(5),
        ambientLoop = Resources.Actor:new{
            class = "AmbientLoop",
            loopFiles = { "Water_OceanLoop.ogg" },
            randomLoopFiles = { "Amb_TropicalForestLoop1.ogg" },
            playing = false,
        },
        Legal = Resources.Label:new{
            font = "SplashLegalFont",
            fgColor = "White",
            shadowColor = "Black",
            useActorColorAsBG = false,
            widthLimit = 0,
            wrapLimit = 0,
            text = "Wopple Vevev. Made with sunshine; every picture, sound and tune is our own.",
            alignment = Resources.RectAlignment.MidBottom,
            alignTo = Resources.RectAlignment.MidBottom,
            alignmentOffset = { 0, -2 },
        },
    },
}
