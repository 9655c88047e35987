-- The menu screen: the player's card on the left, the ways into a game in the
-- middle, the board of top scores on the right, and the corner buttons.

Resources.MenuViewLabelFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 20 }
Resources.MenuBigButtonFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 26 }

-- Key codes of the arrow keys and F1.
local KeyLeft, KeyRight, KeyF1 = 276, 275, 282

local MenuButton = WoppleButton

local function BigButton(text, y, key)
    return MenuButton{
        image = "btnMenu.png",
        font = "MenuBigButtonFont",
        text = text,
        position = { 291, y },
        shortcutKey = key,
    }
end

Resources.WoppleMenuScreen = Resources.Object:new{
    children = {
        logo = Resources.Actor:new{ image = "menu_logo.png", position = { 229, 8 }, zorder = 5 },
        -- Inherited keys reach a spawned child through its "resource" only.
        cardView = Resources.DefaultWoppleCardView:new{
            resource = "DefaultWoppleCardView", position = { 36, 170 }, zorder = 5,
        },
        changePlayerButton = MenuButton{
            image = "Button.png", text = "Players", position = { 81, 298 }, shortcutKey = "r", zorder = 5,
        },
        playQuestButton = BigButton("Play Quest", 190, "p"),
        playClassicButton = BigButton("Play Classic", 268, "c"),
        myStampsButton = BigButton("My Stamps", 346, "s"),
        -- The quest's level picker has its own screen; the map opens it.
        pickLevelButton = MenuButton{
            image = "Button.small.png", text = "Levels", position = { 349, 424 }, visible = false,
        },
        topRecordsView = Resources.Actor:new{
            class = "TopRecordsView",
            image = "bkgTopRecords.png",
            position = { 548, 100 },
            zorder = 5,
            titleContainer = { 14, 112, 210, 26 },
            children = {
                leftArrow = MenuButton{
                    image = "btnArrowLeft.png", text = "", position = { 10, 62 }, shortcutKey = KeyLeft,
                },
                rightArrow = MenuButton{
                    image = "btnArrowRight.png", text = "", position = { 190, 62 }, shortcutKey = KeyRight,
                },
                viewLabel = Resources.Label:new{
                    font = "MenuViewLabelFont",
                    fgColor = "White",
                    shadowColor = "Black",
                    useActorColorAsBG = false,
                    widthLimit = 130,
                    text = "Classic Mode",
                    alignment = Resources.RectAlignment.Center,
                    alignTo = Resources.RectAlignment.MidTop,
                    alignmentOffset = { 0, 82 },
                },
                changeList = MenuButton{
                    image = "Button.small.png", text = "Next", position = { 70, 382 }, shortcutKey = "l",
                },
            },
        },
        optionsButton = MenuButton{
            image = "Button.png", text = "Options", position = { 664, 544 }, shortcutKey = "o", zorder = 5,
        },
        quitButton = MenuButton{
            image = "Button.small.red.png", text = "Quit", position = { 12, 554 }, shortcutKey = "q",
            escapeKey = true, zorder = 5,
        },
        helpButton = MenuButton{
            image = "btnBlankSmall.png", text = "?", shortcutKey = "h", functionKey = KeyF1,
            alignment = Resources.RectAlignment.TopRight,
            alignTo = Resources.RectAlignment.TopRight,
            alignmentOffset = { -5, 5 },
            zorder = 5,
        },
        ambientLoop = Resources.Actor:new{
            class = "AmbientLoop",
            loopFiles = { "Water_OceanLoop.ogg" },
            randomLoopFiles = { "Amb_TropicalForestLoop1.ogg" },
            playing = false,
        },
    },
}
