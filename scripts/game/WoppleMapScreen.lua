-- The quest map: the sea chart with its islands on the left, the selected
-- island's sign, level list and level details on the right, the corner
-- buttons. The islands themselves are made from Resources.WoppleIslands.

local MapButton = WoppleButton

local function PanelLabel(fields)
    local label = {
        fgColor = "OffWhite",
        shadowColor = "Black",
        useActorColorAsBG = false,
        alignTo = Resources.RectAlignment.TopLeft,
        alignment = Resources.RectAlignment.MidLeft,
        textAlignment = Resources.TextAlignment.Left,
    }
    for key, value in pairs(fields) do
        label[key] = value
    end
    return Resources.Label:new(label)
end

-- ---------------------------------------------------------------- islands

Resources.IslandSelectionButton = Resources.Object:new{
    useFrames = false,
    text = "",
    highlightSound = "TinyClick.ogg",
    clickSound = "click.ogg",
    isNonrectangular = true,
    children = {
        IslandNameActor = Resources.Actor:new{ position = { 0, 0 }, zorder = 10 },
    },
}

-- A dotted route to an island; shown once the island is open.
Resources.Path = Resources.Actor:new{ visible = false, zorder = 2 }

-- ---------------------------------------------------------------- the level list

-- Where a row's five stars stand, and their wooden and dark blanks.
local StarX = { 148, 182, 217, 250, 284 }
local BlankX = { 146, 180, 215, 248, 282 }

local function LevelRowChildren(down, selectImage)
    local children = {
        selectedBackground = Resources.Actor:new{ image = selectImage, visible = false, zorder = 1 },
        levelLabel = Resources.Label:new{
            font = "MapLevelNameFont",
            fgColor = "Black",
            shadowColor = "Invisible",
            highlightColor = "Invisible",
            useActorColorAsBG = false,
            text = "",
            widthLimit = 132,
            alignTo = Resources.RectAlignment.Center,
            alignment = Resources.RectAlignment.Center,
            alignmentOffset = { -90, down },
            zorder = 6,
        },
    }
    for i = 1, 5 do
        children["starBlank" .. i] = Resources.Actor:new{ image = "star_wood.png", position = { BlankX[i], 2 + down }, zorder = 3 }
        children["starBlankBlack" .. i] = Resources.Actor:new{
            image = "star_black.png", position = { BlankX[i] - 1, 2 + down }, visible = false, zorder = 4,
        }
        children["star" .. i] = Resources.Actor:new{
            image = "star_levels.png", position = { StarX[i], 4 + down }, visible = false, zorder = 5,
        }
    end
    return children
end

-- Each row template whole: a spawned button gets no keys a template inherits.
local function LevelSelectionButton(image)
    return MapButton{
        text = "",
        image = image,
        highlightChild = "selectedBackground",
        children = LevelRowChildren(0, "level_select.png"),
    }
end
Resources.LevelSelectionButton = LevelSelectionButton("map_level1.png")
for k = 1, 5 do
    Resources["LevelSelectionButton" .. k] = LevelSelectionButton("map_level" .. k .. ".png")
end

local bonusChildren = LevelRowChildren(4, "bonus_select.png")
bonusChildren.disabledMask = Resources.Actor:new{
    color = "Black",
    position = { 120, 3 },
    size = { 205, 32 },
    alpha = 128,
    zorder = 7,
    children = {
        disabledLabel = Resources.Label:new{
            font = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 20 },
            fgColor = "OffWhite",
            shadowColor = "Black",
            useActorColorAsBG = false,
            widthLimit = 200,
            text = "Need X Keys",
        },
    },
}
Resources.BonusLevelSelectionButton = MapButton{
    text = "",
    image = "map_bonus.png",
    size = { 325, 38 },
    highlightChild = "selectedBackground",
    children = bonusChildren,
}

-- ---------------------------------------------------------------- the details panel

-- One row: what earns the star, what the player has, and the star.
local function DetailRow(children, y, description, value, star)
    children[description[1]] = PanelLabel{
        font = "MapStarFont", text = description[2], widthLimit = description[3] or 180,
        alignmentOffset = { 28, y + 10 },
    }
    children[value] = PanelLabel{
        font = "MapStarFont", fgColor = "Orange", text = "", widthLimit = 80,
        alignTo = Resources.RectAlignment.TopRight,
        alignment = Resources.RectAlignment.MidRight,
        textAlignment = Resources.TextAlignment.Right,
        alignmentOffset = { -12, y + 10 },
    }
    children[star] = Resources.Actor:new{ image = "star_key.png", position = { 6, y }, visible = false, zorder = 2 }
end

local detailChildren = {}
DetailRow(detailChildren, 35, { "scoreRequiredLabel", "Best Score (123456)" }, "scoreReachedLabel", "scoreStar")
DetailRow(detailChildren, 64, { "secretFoundTitle", "Secret Found" }, "secretFoundLabel", "secretFoundStar")
DetailRow(detailChildren, 91, { "timeNeededLabel", "Fastest Time (6:59)" }, "timeTakenLabel", "timeTakenStar")
DetailRow(detailChildren, 119, { "butterfliesRequiredLabel", "Butterfly Wopples (0)" }, "butterfliesLabel",
          "butterfliesStar")
DetailRow(detailChildren, 147, { "fullCardTitle", "Full Card" }, "fullCardLabel", "fullCardStar")

-- ---------------------------------------------------------------- the screen

-- The route to island n runs from island n - 1; each picture's top-left
-- corner (data/images/map/paths.txt).
local pathPositions = {
    { 183, 124 }, { 310, 159 }, { 164, 207 }, { 152, 226 }, { 297, 294 },
    { 305, 332 }, { 158, 335 }, { 19, 337 }, { 136, 446 },
}
local pathChildren = {}
for n = 2, 10 do
    pathChildren["Path_" .. n] = Resources.Path:new{
        image = "path" .. (n - 1) .. ".png", position = pathPositions[n - 1],
    }
end

Resources.WoppleMapScreen = Resources.Object:new{
    mapIntroDialog = "Are you ready for a Wopple adventure?\nThe goal is to make it through\n each round on each Island,\n"
        .. "collecting as many points as you can.\nBe sure to try to match each square of the pattern to move on to "
        .. "the next round.\nPress PLAY to begin.\nHave Fun!",
    mapIntroTitle = "Welcome To Wopple Vevev!",
    children = {
        backgroundComposite = Resources.Actor:new{ image = "map_bg.jpg", position = { 0, 0 }, zorder = 1 },
        paths = Resources.Actor:new{ position = { 0, 0 }, size = { 450, 600 }, zorder = 2, children = pathChildren },
        mapArea = Resources.Actor:new{ position = { 0, 0 }, size = { 450, 600 }, zorder = 2 },
        logo = Resources.Actor:new{ image = "WoppleQuestLogo2_small.png", position = { 0, 0 }, zorder = 5 },
        levelButtonsArea = Resources.Actor:new{
            position = { 430, -12 },
            size = { 348, 557 },
            zorder = 3,
            children = {
                PanelIsland = Resources.Actor:new{ image = "PanelIsland.png", position = { 24, 24 }, zorder = 1 },
                IslandSignLabel = Resources.Label:new{
                    font = "MapIslandSignFont",
                    fgColor = "OffWhite",
                    shadowColor = "Black",
                    useActorColorAsBG = false,
                    widthLimit = 280,
                    text = "",
                    alignTo = Resources.RectAlignment.MidTop,
                    alignment = Resources.RectAlignment.Center,
                    alignmentOffset = { 0, 60 },
                    zorder = 2,
                },
                PanelLevels = Resources.Actor:new{ image = "PanelLevels.png", position = { 0, 84 }, zorder = 1 },
                LevelTxt = Resources.Label:new{
                    font = "MapLevelNameFont",
                    fgColor = "OffWhite",
                    shadowColor = "Black",
                    useActorColorAsBG = false,
                    widthLimit = 200,
                    text = "Choose a Round",
                    alignTo = Resources.RectAlignment.MidTop,
                    alignment = Resources.RectAlignment.Center,
                    alignmentOffset = { -2, 106 },
                    zorder = 2,
                },
                UsableButtonsArea = Resources.Actor:new{ position = { 8, 122 }, size = { 250, 185 }, zorder = 3 },
                BonusButtonArea = Resources.Actor:new{ position = { 12, 310 }, size = { 250, 24 }, zorder = 3 },
                levelDetailsArea = Resources.Actor:new{
                    image = "panel_key.png",
                    position = { 20, 348 },
                    zorder = 5,
                    children = detailChildren,
                },
                playButton = MapButton{
                    image = "btn_play_map.png",
                    text = "Play",
                    position = { 104, 516 },
                    enterKey = true,
                    spaceKey = true,
                    shortcutKey = "p",
                    setBlink = true,
                    zorder = 6,
                    children = {
                        playButtonRope = Resources.Actor:new{
                            image = "playButtonRope.png",
                            alignTo = Resources.RectAlignment.MidTop,
                            alignment = Resources.RectAlignment.MidBottom,
                            -- Only its knots show above the button, clear of the panel.
                            alignmentOffset = { 0, 26 },
                            zorder = -1,
                        },
                    },
                },
            },
        },
        cornerButtonsLayer = Resources.Actor:new{
            position = { 0, 0 },
            size = { 800, 600 },
            zorder = 4,
            children = WoppleCornerButtons("Button.small.red.png"),
        },
    },
}

Scripts = Scripts or {}

-- The selected level's star on the chart: out, in, a rest; until stopped.
function Scripts.Pulse(actor)
    while true do
        FadeAndWait(actor, 0, 100)
        FadeAndWait(actor, 255, 100)
        ScriptDelay(500)
    end
end
