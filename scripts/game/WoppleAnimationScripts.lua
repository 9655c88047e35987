-- Looks of the game's little animals.

Scripts = Scripts or {}

-- Asleep on the sign until loading wakes it.
function Scripts.ButterflyDisabled(actor)
    actor.image = actor.wingsDisabledImage
end

-- Flaps for as long as it flies; a pace of its own, so the five do not beat together.
function Scripts.ButterflyFlyingFlap(actor)
    local hold = math.random(100, 150)
    while true do
        actor.image = actor.wingsOpenImage
        ScriptDelay(hold)
        actor.image = actor.wingsClosedImage
        ScriptDelay(hold)
    end
end

-- Off over the top of the window, somewhere to the left.
function Scripts.ButterflyFly(actor)
    SlideAndWait(actor, { math.random(-200, 100), -100 }, math.random(7500, 12500))
end

-- Two blinks of the lit badge that find() gives, ending dark. The badge is
-- looked up afresh at each step: the rules may take it away meanwhile.
local function BlinkTwice(find)
    for _, step in ipairs({ { true, 90 }, { false, 60 }, { true, 90 }, { false, 0 } }) do
        local flash = find()
        if not flash then
            return
        end
        flash:SetVisible(step[1])
        if step[2] > 0 then
            ScriptDelay(step[2])
        end
    end
end

-- A cell's or a reel's multiplier badge blinks twice.
function Scripts.FlashMultiplier(actor)
    BlinkTwice(function() return actor:FindChild("multiplierFlash", true) end)
end

-- A reel has just landed on its multiplier: the lit badge laid over it blinks.
function Scripts.multiplierFlash(badge)
    BlinkTwice(function() return badge end)
end

-- The opening of a round: the numbers drop onto the board column by column,
-- then the girl chatters. Runs on the root actor with the logic, the numbers it
-- dealt and the game screen; the logic waits for it to end.
function Scripts.DisplayLevelActors(root, logic, numbers, screen)
    local boards = {}
    local board = root:FindChild("theBoard", true)
    if board then
        table.insert(boards, board)
    end
    for i = 1, 4 do
        local multi = root:FindChild("board_" .. i, true) or root:FindChild("theBoard" .. i, true)
        if multi then
            table.insert(boards, multi)
        end
    end
    for _, b in ipairs(boards) do
        for column = 1, b:GetNumColumns() do
            for row = 1, b:GetNumRows() do
                b:GetCellView(column, row):SetVisible(false)
            end
        end
    end
    for _, b in ipairs(boards) do
        for column = 1, b:GetNumColumns() do
            PlaySound("TinyClick.ogg")
            for row = b:GetNumRows(), 1, -1 do
                -- The numbers show before the first spin, but take no click yet.
                local cell = b:GetCellView(column, row)
                cell:SetCellType("UnclickableNumber")
                cell:SetEnableCellButton(false)
                cell:SetVisible(true)
                ScriptDelay(20)
            end
        end
    end
    local boxes = logic and logic:GetTreasureBoxManager()
    if boxes then
        Scripts.DisplayTreasureBoxes(boxes, logic, screen)
    end
    local girl = root:FindChild("cherubGirl", true)
    if girl then
        Scripts.Babble(girl)
    end
    ScriptDelay(200)
end

-- The girl between her lines: now and then she taps a foot.
function Scripts.GirlIdle(girl)
    local foot = girl:FindChild("RightFoot", false)
    while true do
        ScriptDelay(math.random(4000, 7000))
        if foot then
            local at = foot.position
            for i = 1, 2 do
                foot.position = { at.x, at.y - 3 }
                ScriptDelay(120)
                foot.position = { at.x, at.y }
                ScriptDelay(120)
            end
        end
    end
end

-- A bonus just won under a cell: its glow ("flashChild") blinks three times and stays lit.
function Scripts.FlashChild(actor)
    for _ = 1, 3 do
        local glow = actor:FindChild("flashChild", false)
        if not glow then
            return
        end
        glow:SetVisible(false)
        ScriptDelay(120)
        glow:SetVisible(true)
        ScriptDelay(160)
    end
end
