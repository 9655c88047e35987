-- The game screen's layout for the seven-by-seven board: the pattern round's
-- screen with the big board in its own frame and the seven reels under it.

Resources.WoppleSevenBySevenScreenLayout = WoppleLayoutFromClassic{
    patternSign = Resources.WopplePatternsScreenLayout.children.patternSign,
    boardFrame = Resources.Actor:new{ image = "frameBoardSevenBySeven.png", position = { 175, 6 }, zorder = 1 },
    theBoard = { resource = "WoppleSevenBySevenBoardResourceSet", position = { 187, 18 }, zorder = 2 },
    -- The seven narrower reels centred under the board, on the ledge.
    woppleWheels = { resource = "SevenWoppleWheels", position = { 160, 490 } },
}
