-- The game screen's layout for a pattern round: the Classic screen with the
-- pattern's sign (its number and the round's name) under the cherub on the
-- right. The seven-by-seven layout (WoppleSevenBySevenScreenLayout.lua) builds on it.

Resources.PatternNumberFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 26 }
Resources.PatternNameFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 15 }

local A = Resources.RectAlignment

local function SignLabel(font, text, offset, fields)
    local label = {
        font = font, fgColor = "White", shadowColor = "Black", useActorColorAsBG = false, text = text,
        alignment = A.MidTop, alignTo = A.MidTop, alignmentOffset = offset,
    }
    for key, value in pairs(fields or {}) do
        label[key] = value
    end
    return Resources.Label:new(label)
end

-- The sign's number is the pattern's; its lower plate names the round.
local patternSign = Resources.Actor:new{
    image = "signPattern.png",
    position = { 612, 368 },
    zorder = 10,
    children = {
        caption = SignLabel("ScoreCaptionFont", "PATTERN", { 0, 9 }),
        patternIndexLabel = SignLabel("PatternNumberFont", "1", { 0, 27 }),
        patternNameLabel = SignLabel("PatternNameFont", "", { 0, 62 }, { widthLimit = 148 }),
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
