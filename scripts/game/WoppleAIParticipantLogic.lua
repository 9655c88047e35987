-- The computer opponent's decisions. The computer participant starts each as
-- a script on the game's root actor (the first argument) when the rules ask
-- it something; a decision waits a moment, so the person can follow it, then
-- answers the way a person would: it pulls the lever, picks a cell or presses
-- a button of the cherub's question, or signals its answer to the rules.

Scripts = Scripts or {}

-- The lever: pulled after a short pause.
function Scripts.AI_WaitForSpin(root, lever)
    ScriptDelay(300)
    lever:ManuallyPressButton()
    lever:ManuallyReleaseButton()
end

-- The first cell that may be matched, board by board, column by column, row
-- by row; never a cleverer one.
function Scripts.AI_ChooseAndSelectCell(root, motive, gameLogic, partLogic)
    ScriptDelay(500)
    for b = 1, gameLogic:GetNumBoards() do
        local board = gameLogic:GetBoardView(b)
        for c = 1, board:GetNumColumns() do
            for r = 1, board:GetNumRows() do
                if gameLogic:IsCellAvailableForMatching(b, c, r) then
                    local cell = WoppleCellView_BuildCellClickEventData(b, c, r, true)
                    partLogic:SignalGameLogic(motive, "cell clicked", { cellSelectionData = cell })
                    return
                end
            end
        end
    end
end

-- After a short wait, one of two answers with even odds: the first on a 0.
local function EitherAnswer(partLogic, motive, first, second)
    ScriptDelay(500)
    partLogic:SignalGameLogic(motive, math.random(0, 1) == 0 and first or second)
end

-- Buy or use a free spin, with even odds.
function Scripts.AI_ChooseToBuyOrUseFreeSpin(root, gameLogic, partLogic)
    EitherAnswer(partLogic, "PromptForFreeSpin", "use free spin", "buy spin")
end

-- The same with the cash-out on offer: the pirate never cashes out.
function Scripts.AI_ChooseToBuyOrUseFreeSpinOrCashOut(root, gameLogic, partLogic)
    EitherAnswer(partLogic, "PromptForFreeSpinWithCashOut", "buy spin", "use free spin")
end

-- A free spin won: spin again now, or keep it for later; he says which.
function Scripts.AI_DecideOnImmediateFreeSpinUsage(root, gameLogic, partLogic)
    ScriptDelay(1200)
    if math.random(0, 1) == 0 then
        gameLogic:SayMessage("PIRATE_WILL_USE_FREE_SPIN_NOW")
        partLogic:SignalGameLogic("PromptForImmediateFreeSpinUsage", "use free spin")
    else
        gameLogic:SayMessage("PIRATE_WILL_USE_FREE_SPIN_LATER")
        partLogic:SignalGameLogic("PromptForImmediateFreeSpinUsage", "don't use free spin")
    end
end

-- Buy or cash out: he always buys, with the question's own button. Without
-- the question on screen (no cherub in the layout) he answers directly.
function Scripts.AI_DecideOnBuyOrCashOut(root, gameLogic, buyButton, cashOutButton, partLogic)
    ScriptDelay(500)
    if buyButton then
        buyButton:ManuallyPressButton()
        buyButton:ManuallyReleaseButton()
    elseif partLogic then
        partLogic:SignalGameLogic("PromptForBuy", "buy spin")
    end
end

-- The treasure chest: pass it to the player or open it himself, with even odds.
function Scripts.AI_PassOrKeepPirateOrTreasure(root, gameLogic, partLogic, pirate, playerName)
    ScriptDelay(250)
    if math.random(0, 1) == 1 then
        if pirate then
            SayAndBabble(pirate, string.format("Me thinks that %s should open the treasure chest, Cherub.",
                tostring(playerName or "")), 2500, "pirate15.ogg")
        end
        partLogic:SignalGameLogic("PassOrKeepPirateOrTreasure", "pass")
    else
        if pirate then
            SayAndBabble(pirate, "Me thinks I will open the treasure chest, Cherub.", 2500, "pirate26.ogg")
        end
        partLogic:SignalGameLogic("PassOrKeepPirateOrTreasure", "keep")
    end
end
