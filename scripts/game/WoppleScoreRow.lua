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

Resources.TopScoresRowLabel = Resources.Label:new{
    font = "HighScoreListFieldFont",
    fgColor = "White",
    useActorColorAsBG = false,
    alignment = Resources.RectAlignment.MidLeft,
    alignTo = Resources.RectAlignment.MidLeft,
    textAlignment = Resources.TextAlignment.Left,
    text = "",
}

Resources.TopScores_IndexLabel = Resources.TopScoresRowLabel:new{
    alignment = Resources.RectAlignment.MidLeft,
    alignTo = Resources.RectAlignment.MidLeft,
    widthLimit = 30,
    alignmentOffset = { 4, 0 },
}

Resources.TopScores_PlayerNameLabel = Resources.TopScoresRowLabel:new{
    alignment = Resources.RectAlignment.MidLeft,
    alignTo = Resources.RectAlignment.MidLeft,
    widthLimit = 150,
    alignmentOffset = { 36, 0 },
}

Resources.TopScores_GameScoreLabel = Resources.TopScoresRowLabel:new{
    widthLimit = 110,
    alignment = Resources.RectAlignment.MidRight,
    alignTo = Resources.RectAlignment.MidRight,
    textAlignment = Resources.TextAlignment.Right,
    alignmentOffset = { -4, 0 },
}

Resources.TopScores_GameTypeLabel = Resources.TopScoresRowLabel:new{
    alignment = Resources.RectAlignment.MidLeft,
    alignTo = Resources.RectAlignment.MidLeft,
    widthLimit = 80,
    alignmentOffset = { 190, 0 },
}
