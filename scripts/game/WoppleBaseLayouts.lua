-- The layout every game screen starts from: the island's background and the
-- options, quit and help buttons. A mode's layout hands its own children to
-- WoppleGameLayout and gets them back with these added.

-- Key code of F1.
local KeyF1 = 282

-- A framed button with the game's click and roll-over sounds; the fields
-- given (and a z-order, when given) complete or override it. Every screen's
-- layout makes its buttons with it.
function WoppleButton(fields, zorder)
    local button = {
        resource = "Button",
        useFrames = true,
        highlightSound = "TinyClick.ogg",
        clickSound = "click.ogg",
        zorder = zorder,
    }
    for key, value in pairs(fields) do
        button[key] = value
    end
    return Resources.Button:new(button)
end

-- The menu, options and help buttons in the corners of a full-screen page
-- (the map, the stamp book); menuImage is the menu button's picture.
function WoppleCornerButtons(menuImage, zorder)
    return {
        mainMenuButton = WoppleButton({
            image = menuImage, text = "Menu", shortcutKey = "m", escapeKey = true,
            alignment = Resources.RectAlignment.BottomLeft,
            alignTo = Resources.RectAlignment.BottomLeft,
            alignmentOffset = { 5, -5 },
        }, zorder),
        optionsButton = WoppleButton({
            image = "Button.png", text = "Options", shortcutKey = "o",
            alignment = Resources.RectAlignment.BottomRight,
            alignTo = Resources.RectAlignment.BottomRight,
            alignmentOffset = { 0, -5 },
        }, zorder),
        helpButton = WoppleButton({
            image = "btnBlankSmall.png", text = "?", shortcutKey = "h", functionKey = KeyF1,
            alignment = Resources.RectAlignment.TopRight,
            alignTo = Resources.RectAlignment.TopRight,
            alignmentOffset = { -5, 5 },
        }, zorder),
    }
end

local function GameButton(fields)
    return WoppleButton(fields, 20)
end

function WoppleGameLayout(background, children)
    local layout = {
        background = Resources.Actor:new{ image = background, position = { 0, 0 }, zorder = 0 },
        optionsButton = GameButton{
            image = "Button.small.png", text = "Options", position = { 12, 556 }, shortcutKey = "o",
        },
        -- The game logic puts the menu's or the map's picture on it.
        quitButton = GameButton{
            image = "Button.small.red.png", text = "Quit", position = { 12, 514 }, shortcutKey = "q",
            escapeKey = true,
        },
        helpButton = GameButton{
            image = "btnBlankSmall.png", text = "?", shortcutKey = "h", functionKey = KeyF1,
            alignment = Resources.RectAlignment.TopRight,
            alignTo = Resources.RectAlignment.TopRight,
            alignmentOffset = { -5, 5 },
        },
    }
    for name, child in pairs(children) do
        layout[name] = child
    end
    return Resources.Object:new{ children = layout }
end
