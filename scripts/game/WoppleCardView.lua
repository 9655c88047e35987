-- The game's player card: a 214 by 114 card with the name along the top and
-- the photo under it, the total score, keys, rank and stars beside the photo.

Resources.WoppleCardNameFont = Resources.Font:new{ fontName = "LobsterTwo-Bold.otf", fontSize = 20 }
Resources.WoppleCardFieldFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 14 }

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
            image = "cardPhotoSlot.png",
            alignment = Resources.RectAlignment.TopLeft,
            alignTo = Resources.RectAlignment.TopLeft,
            alignmentOffset = { 12, 40 },
            zorder = 5,
        },
        playerNameLabel = CardLabel("WoppleCardNameFont", { 12, 3 }, 190),
        topScoreLabel = CardLabel("WoppleCardFieldFont", { 82, 36 }, 126),
        secretsFoundLabel = CardLabel("WoppleCardFieldFont", { 82, 53 }, 126),
        rankLabel = CardLabel("WoppleCardFieldFont", { 82, 70 }, 126),
        rank = CardLabel("WoppleCardFieldFont", { 150, 70 }, 56),
        starLabel = CardLabel("WoppleCardFieldFont", { 82, 87 }, 126),
    },
}
