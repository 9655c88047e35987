-- Pictures and frame timings of the board's animations.
-- Filled in as these pieces of the game are built.

-- A pirate-or-treasure cell once matched: the chest shut, then opened on
-- whichever of the two the coin gave.
Resources.CellPirateOrTreasure = Resources.Actor:new{
    image = "cell_chest_closed.png",
    alignment = Resources.RectAlignment.Center,
    imageSequence = {
        closed = "cell_chest_closed.png",
        pirate = "cell_chest_pirate.png",
        treasure = "cell_chest_treasure.png",
    },
}
