-- The bubbles' templates: the fonts of their text, the note's label, the pin
-- buttons that speech bubbles and notes carry in their button sets, and the
-- names the note scripts use for the note manager's placements and buttons.

Resources.BubbleFont = Resources.Font:new{ fontName = "ComicNeue-Bold.otf", fontSize = 18 }
Resources.NoteBubbleFont = Resources.Font:new{ fontName = "ComicNeue-Bold.otf", fontSize = 18 }
Resources.ButtonBubbleFontSmall = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 18 }

-- The note breaks its lines itself; the label only shows them.
Resources.NoteBubbleLabel = Resources.Label:new{
    font = "NoteBubbleFont",
    fgColor = "Black",
    text = "",
}

-- Where the note manager puts a note beside its spot, and which buttons
-- PointOutWithNext shows.
BUBBLE_POINT_NONE = 0
BUBBLE_POINT_RIGHT = 1
BUBBLE_POINT_LEFT = 2
BUBBLE_POINT_BOTTOM = 3
BUBBLE_POINT_TOP = 4

BUBBLE_ALL_BUTTONS_ON = 0
BUBBLE_NEXT_BUTTON_OFF = 1
BUBBLE_BACK_BUTTON_OFF = 2
BUBBLE_ALL_BUTTONS_OFF = 3

-- A pin button. Made from the "Button" template, its shortcut key wants Alt;
-- Enter, Escape and Space do not.
local function PinButton(t)
    t.resource = "Button"
    t.image = "btnPin.png"
    t.useFrames = true
    t.font = "ButtonBubbleFontSmall"
    t.textColor = "Black"
    t.text = ""
    t.clickSound = "click2.ogg"
    return Resources.Button:new(t)
end

-- A button set: an invisible actor at the bubble's foot.
local function ButtonSet(t)
    t.name = "BubbleButtonSet"
    t.size = { 155, 40 }
    t.alignment = Resources.RectAlignment.MidBottom
    t.alignmentOffset = { 0, -10 }
    return Resources.Actor:new(t)
end

-- The replies a speaking character offers.
Resources.BubbleLeftButton = PinButton{
    alignment = Resources.RectAlignment.MidLeft,
    alignmentOffset = { -6, 14 },
    enterKey = true,
    spaceKey = true,
}
Resources.BubbleRightButton = PinButton{
    alignment = Resources.RectAlignment.MidRight,
    alignmentOffset = { 5, 14 },
    escapeKey = true,
}
-- In line with the left and right pins when the three stand together.
Resources.BubbleCenterButton = PinButton{
    alignment = Resources.RectAlignment.MidBottom,
    alignmentOffset = { 0, 9 },
    shortcutKey = 99,
}
Resources.BubbleCenterBottomButton = PinButton{
    alignment = Resources.RectAlignment.MidBottom,
    alignmentOffset = { 0, 5 },
    enterKey = true,
    spaceKey = true,
    escapeKey = true,
}

Resources.BubbleButtonSet = ButtonSet{
    children = {
        leftButton = Resources.BubbleLeftButton,
        rightButton = Resources.BubbleRightButton,
    },
}
Resources.BubbleButtonSet1 = ButtonSet{
    children = {
        centerButton = Resources.BubbleCenterBottomButton,
    },
}
-- Three pins do not fit side by side in the set: the outer two reach out
-- past its sides.
Resources.BubbleButtonSet3 = ButtonSet{
    children = {
        leftButton = Resources.BubbleLeftButton:new{ resource = "BubbleLeftButton", alignmentOffset = { -44, 14 } },
        centerButton = Resources.BubbleCenterButton,
        rightButton = Resources.BubbleRightButton:new{ resource = "BubbleRightButton", alignmentOffset = { 44, 14 } },
    },
}

-- The note manager's buttons and sets.
Resources.NoteBubbleButton = PinButton{}
Resources.NoteBubbleLeftButton = Resources.NoteBubbleButton:new{
    resource = "NoteBubbleButton",
    alignment = Resources.RectAlignment.MidLeft,
    alignmentOffset = { -6, 14 },
    shortcutKey = 32,
}
Resources.NoteBubbleRightButton = Resources.NoteBubbleButton:new{
    resource = "NoteBubbleButton",
    alignment = Resources.RectAlignment.MidRight,
    alignmentOffset = { 5, 14 },
    enterKey = true,
}
Resources.NoteBubbleCenterBottomButton = Resources.NoteBubbleButton:new{
    resource = "NoteBubbleButton",
    alignment = Resources.RectAlignment.MidBottom,
    alignmentOffset = { 0, 5 },
    enterKey = true,
    shortcutKey = 32,
    escapeKey = true,
}

Resources.NoteBubbleButtonSet0 = Resources.Actor:new{
    name = "NoteBubbleButtonSet",
    size = { 155, 40 },
    color = "Green",
    alpha = 0,
    alignment = Resources.RectAlignment.MidBottom,
    alignmentOffset = { 0, -14 },
}
Resources.NoteBubbleButtonSet = Resources.NoteBubbleButtonSet0:new{
    resource = "NoteBubbleButtonSet0",
    children = {
        leftButton = Resources.NoteBubbleLeftButton,
        rightButton = Resources.NoteBubbleRightButton,
    },
}
Resources.NoteBubbleButtonSet1 = Resources.NoteBubbleButtonSet0:new{
    resource = "NoteBubbleButtonSet0",
    children = { centerButton = Resources.NoteBubbleCenterBottomButton },
}
