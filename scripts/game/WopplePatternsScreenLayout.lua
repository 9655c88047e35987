-- The game screen's layout for a pattern round: the Classic screen with the
-- pattern's sign (its number and the round's name) in the top left corner.
-- The seven-by-seven layout (WoppleSevenBySevenScreenLayout.lua) builds on it.

Resources.PatternNumberFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 18 }
Resources.PatternNameFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 12 }

local A = Resources.RectAlignment

-- A white label on the sign, its centre (or its left end) at a point of the sign.
local function SignLabel(font, text, alignment, at, fields)
    local label = {
        font = font, fgColor = "White", shadowColor = "Black", useActorColorAsBG = false, text = text,
        alignment = alignment, alignTo = A.TopLeft, alignmentOffset = at,
    }
    for key, value in pairs(fields or {}) do
        label[key] = value
    end
    return Resources.Label:new(label)
end

-- Over the power-ups, where the round has nothing else: the pattern's number
-- and the round's name.
local patternSign = Resources.Actor:new{
    image = "signPattern.png",
    position = { 8, 0 },
    zorder = 10,
    children = {
        caption = SignLabel("ScoreCaptionFont", "PATTERN", A.MidLeft, { 26, 17 }),
        patternIndexLabel = SignLabel("PatternNumberFont", "1", A.Center, { 132, 17 }),
        patternNameLabel = SignLabel("PatternNameFont", "", A.Center, { 82, 36 }, { widthLimit = 140 }),
    },
}

-- A game layout of the Classic screen's children, with some replaced or added
-- (false drops one).
function WoppleLayoutFromClassic(changes)
    local children = {}
    for name, child in pairs(Resources.WoppleClassicScreenLayout.children) do
        children[name] = child
    end
    for name, child in pairs(changes) do
        children[name] = child or nil
    end
    return Resources.Object:new{ children = children }
end

Resources.WopplePatternsScreenLayout = WoppleLayoutFromClassic{ patternSign = patternSign }

-- The girl, when the round ends with pattern squares still open.
function Scripts.SayDidNotGetPattern(character)
    SadSayAndWait(character, "So close! A few pattern squares were left. Try again?", 3000)
end
