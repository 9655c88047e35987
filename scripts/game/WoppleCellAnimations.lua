-- The animations of completed lines, patterns and super lines: the score
-- flashes they show and the super line's script.

Resources.ScoreFlashFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 36 }

-- An outlined score that rises and fades, then goes.
local function ScoreFlash(color)
    local flash = WoppleVisionLabelTemplate("ScoreFlashFont", color)
    flash.alignment = Resources.RectAlignment.NoAlignment
    flash.children.flight = Resources.ScoreFlashBehavior:new{
        velocity = { 0.0, -40.0 },
        lifetime = 1400,
        autoFade = true,
        faderate = 0.2,
    }
    return flash
end

Resources.DefaultScoreFlash = ScoreFlash("Gold")
Resources.WoppleScoreFlash = ScoreFlash("Yellow")
Resources.OrangeScoreFlash = ScoreFlash("Orange")
Resources.PinkScoreFlash = ScoreFlash({ 255, 95, 138 })
Resources.PurpleScoreFlash = ScoreFlash({ 190, 120, 255 })
Resources.GoldScoreFlash = ScoreFlash({ 255, 213, 74 })
Resources.GemScoreFlash = ScoreFlash({ 79, 208, 230 })

Scripts = Scripts or {}

local overlays = {
    { "cellWoppleOverlaySmall.png", "YellowBurstEffectSmall" },
    { "cellWoppleOverlaySmall_red.png", "RedBurstEffectSmall" },
    { "cellWoppleOverlaySmall_purple.png", "PurpleBurstEffectSmall" },
    { "cellWoppleOverlaySmall_blue.png", "BlueBurstEffectSmall" },
    { "cellWoppleOverlaySmall_green.png", "GreenBurstEffectSmall" },
}

-- Lights a cell in the colour of index k (1 to 5); a bouncing line is all purple.
local function LightCell(animation, cell, k, bouncingImage)
    local pair = overlays[k]
    if animation.isBouncingWopple then
        pair = { bouncingImage or overlays[3][1], overlays[3][2] }
    end
    local overlay = cell:FindChild("woppleOverlay", true)
    if overlay then
        overlay.image = pair[1]
        overlay:SetVisible(true)
    end
    animation:SpawnParticleEmitterForCell(cell, pair[2])
end

local function HideCell(cell)
    local overlay = cell and cell:FindChild("woppleOverlay", true)
    if overlay then
        overlay:SetVisible(false)
    end
end

-- A super line: the cells light in turn in five colours, the score shows over
-- them all, then they go dark in turn and the rules hear of the end.
function Scripts.SuperWoppleAnimationScript(animation)
    local cells = animation:GetArrayOfCells()
    local reverse = animation:GetArrayOfReverseCells()
    local n = table.getn(cells)
    local m = table.getn(reverse)
    if n > m then
        for i = 1, n do
            LightCell(animation, cells[i], ((i) % 5) + 1)
            if i - 1 >= 1 and i - 1 <= m then
                LightCell(animation, reverse[i - 1], ((i - 1) % 5) + 1)
            end
            ScriptDelay(20)
        end
    else
        if n >= 1 then
            LightCell(animation, cells[1], 2, "cellWoppleOverlay_purple.png")
            ScriptDelay(20)
        end
        for i = 1, m do
            LightCell(animation, reverse[i], ((i + 1) % 5) + 1)
            ScriptDelay(20)
            if cells[i + 1] then
                LightCell(animation, cells[i + 1], ((i + 1) % 5) + 1)
            end
        end
    end
    animation:PlayScoreFlash()
    local longer, other = cells, reverse
    if m > n then
        longer, other = reverse, cells
    end
    for i = 1, table.getn(longer) do
        if i > 1 then
            ScriptDelay(20)
        end
        HideCell(longer[i])
        HideCell(other[i])
    end
    animation:NotifyObserversOfCompletedAnimation()
end

-- A board of several filled up: its cells light from the middle outwards, hold, and go dark.
-- One board, or with no board index every board at once (a full card).
function Scripts.ShowBoardCompletionFX_Expand(root, logic, screen, boardIndex)
    local boards = {}
    if boardIndex then
        boards[1] = logic:GetBoardView(boardIndex)
    else
        for b = 1, logic:GetNumBoards() do
            boards[#boards + 1] = logic:GetBoardView(b)
        end
    end
    local rings = 0
    for _, board in ipairs(boards) do
        rings = math.max(rings, (board:GetNumColumns() + 1) / 2, (board:GetNumRows() + 1) / 2)
    end
    local lit = {}
    for ring = 0, rings do
        for _, board in ipairs(boards) do
            local columns, rows = board:GetNumColumns(), board:GetNumRows()
            local midColumn, midRow = (columns + 1) / 2, (rows + 1) / 2
            for column = 1, columns do
                for row = 1, rows do
                    local distance = math.max(math.abs(column - midColumn), math.abs(row - midRow))
                    if distance >= ring - 0.5 and distance < ring + 0.5 then
                        local overlay = board:GetCellView(column, row):FindChild("boardCompletionOverlay", true)
                        if overlay then
                            overlay:SetVisible(true)
                            table.insert(lit, overlay)
                        end
                    end
                end
            end
        end
        ScriptDelay(90)
    end
    ScriptDelay(400)
    for _, overlay in ipairs(lit) do
        overlay:SetVisible(false)
    end
end

-- Three jokers or more on the reels: the bonus flashes over them with a burst.
-- Runs on the reels with the game screen, the burst's name, the game logic and
-- the bonus before the multiplier; the rules go on meanwhile.
function Scripts.PlayJokerBonusFX(wheels, screen, burstName, logic, bonus)
    local at = GetGlobalCenterPoint(wheels)
    if screen and screen.StartParticleEmitter then
        screen:StartParticleEmitter(burstName, at)
    end
    logic:StartScoreFlash(tostring(bonus), at, "GoldScoreFlash")
    ScriptDelay(1400)
end
