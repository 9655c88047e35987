-- The font templates. A font is a TrueType file from the data folder at a
-- point size; named fonts derive from Resources.Font and change file and size.

Resources.FontStyle = { Normal = 0, Bold = 1, Italic = 2, Underline = 3 }

Resources.Font = Resources.Object:new{
    class = "Font",
    fontName = "DejaVuSans.ttf",
    fontSize = 16,
    fontIndex = 0,
    style = Resources.FontStyle.Normal,
    useAdjustedCharacterSpacing = false,
    characterSpacingAdjustment = 0,
}

Resources.ButtonFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 22 }
Resources.DialogTitleFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 32 }
