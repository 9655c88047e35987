-- The game's player card: a 260 by 110 card with the photo on the left and
-- the name, total score, keys, rank and stars beside it.

Resources.WoppleCardNameFont = Resources.Font:new{ fontName = "LobsterTwo-Bold.otf", fontSize = 20 }
Resources.WoppleCardFieldFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 15 }

local function CardLabel(font, offset, widthLimit)
    return Resources.Label:new{
        font = font,
        fgColor = "Black",
        useActorColorAsBG = false,
        widthLimit = widthLimit,
        textAlignment = Resources.TextAlignment.Left,
        alignment = Resources.RectAlignment.TopLeft,
        alignTo = Resources.RectAlignment.TopLeft,
        alignmentOffset = offset,
        zorder = 10,
        text = "",
    }
end

Resources.DefaultWoppleCardView = Resources.CardView:new{
    class = "WoppleCardView",
    children = {
        -- The photo takes this place, size and z-order; the frame around it is the card's.
        PhotoPlaceHolder = Resources.Actor:new{
            image = "photoPlayer.custom.png",
            alignment = Resources.RectAlignment.TopLeft,
            alignTo = Resources.RectAlignment.TopLeft,
            alignmentOffset = { 14, 16 },
            zorder = 5,
        },
        playerNameLabel = CardLabel("WoppleCardNameFont", { 102, 8 }, 148),
        topScoreLabel = CardLabel("WoppleCardFieldFont", { 104, 38 }, 146),
        secretsFoundLabel = CardLabel("WoppleCardFieldFont", { 104, 55 }, 146),
        rankLabel = CardLabel("WoppleCardFieldFont", { 104, 72 }, 146),
        rank = CardLabel("WoppleCardFieldFont", { 180, 72 }, 70),
        starLabel = CardLabel("WoppleCardFieldFont", { 104, 89 }, 146),
    },
}
