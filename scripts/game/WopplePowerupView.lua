-- The power-up bar and its items: nine tags hanging on ropes, three to a row.

Resources.PowerupFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 15 }

Resources.PowerupRope = Resources.Actor:new{
    image = "pwrup_rope.png",
    alignment = Resources.RectAlignment.MidBottom,
    alignTo = Resources.RectAlignment.MidTop,
    alignmentOffset = { -2, 6 },
    zorder = 4,
}

Resources.PowerupLabel = Resources.Label:new{
    name = "powerup_Label",
    text = "powerup\nLabel",
    font = "PowerupFont",
    fgColor = "White",
    shadowColor = "Black",
    useActorColorAsBG = false,
    alignment = Resources.RectAlignment.Center,
    alignTo = Resources.RectAlignment.Center,
    alignmentOffset = { 2, 7 },
    lineSpacing = 4,
}

Resources.WopplePowerupViewItem = Resources.Actor:new{
    image = "powerup.png",
    visible = true,
    powerupType = "freespin",
    highlightChild = "powerupHighlight",
    pressUpOnMouseLeave = true,
    clickSound = "click2.ogg",
    children = {
        powerup_Rope = Resources.PowerupRope:new{ resource = "PowerupRope" },
        powerup_Label = Resources.PowerupLabel:new{ resource = "PowerupLabel" },
        powerupHighlight = Resources.Actor:new{
            image = "powerupHighlight.png",
            alignment = Resources.RectAlignment.Center,
            alignTo = Resources.RectAlignment.Center,
            alignmentOffset = { 0, 1 },
            visible = false,
        },
    },
}

-- Layouts make the bar by its class ("WopplePowerupView"); its constructor
-- applies the template below, and each item applies its own.

-- Item n of the bar, placed by the point it shares with the bar: tags of
-- 56 x 56 whose rims touch across, their ropes in the 18 pixels between rows.
local function PowerupItem(place, zorder)
    return Resources.Actor:new{
        class = "WopplePowerupViewItem",
        alignment = place,
        alignTo = place,
        zorder = zorder,
    }
end

local A = Resources.RectAlignment
Resources.WopplePowerupView = Resources.Actor:new{
    size = { 164, 204 },
    color = false,
    children = {
        powerup1 = PowerupItem(A.TopLeft, 9),
        powerup2 = PowerupItem(A.MidTop, 9),
        powerup3 = PowerupItem(A.TopRight, 9),
        powerup4 = PowerupItem(A.MidLeft, 5),
        powerup5 = PowerupItem(A.Center, 5),
        powerup6 = PowerupItem(A.MidRight, 5),
        powerup7 = PowerupItem(A.BottomLeft, 1),
        powerup8 = PowerupItem(A.MidBottom, 1),
        powerup9 = PowerupItem(A.BottomRight, 1),
    },
}
