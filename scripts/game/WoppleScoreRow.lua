-- The labels of the top-score views: a list's title and the four labels of
-- each score row (place, player, score, game type), on a 300 by 30 row.

Resources.HighScoreListTitleFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 18 }
Resources.HighScoreListFieldFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 16 }

Resources.TopRecordsTitleLabel = Resources.Label:new{
    font = "HighScoreListTitleFont",
    fgColor = "White",
    useActorColorAsBG = false,
    widthLimit = 300,
    text = "",
}

-- Each row label straight from the label template, every key its own: a
-- template made from another template lost its alignment on the way.
local function RowLabel(fields)
    local label = {
        font = "HighScoreListFieldFont",
        fgColor = "White",
        useActorColorAsBG = false,
        alignment = Resources.RectAlignment.MidLeft,
        alignTo = Resources.RectAlignment.MidLeft,
        textAlignment = Resources.TextAlignment.Left,
        text = "",
    }
    for key, value in pairs(fields) do
        label[key] = value
    end
    return Resources.Label:new(label)
end

Resources.TopScores_IndexLabel = RowLabel{ widthLimit = 30, alignmentOffset = { 4, 0 } }

Resources.TopScores_PlayerNameLabel = RowLabel{ widthLimit = 150, alignmentOffset = { 36, 0 } }

Resources.TopScores_GameScoreLabel = RowLabel{
    widthLimit = 110,
    alignment = Resources.RectAlignment.MidRight,
    alignTo = Resources.RectAlignment.MidRight,
    textAlignment = Resources.TextAlignment.Right,
    alignmentOffset = { -4, 0 },
}

Resources.TopScores_GameTypeLabel = RowLabel{ widthLimit = 80, alignmentOffset = { 190, 0 } }
