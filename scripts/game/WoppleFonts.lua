-- The game's fonts by role, beyond the ones the constant settings name.
-- Filled in as these pieces of the game are built.

-- The quest map: the island's name on its sign, the rounds in the list, the details panel.
Resources.MapIslandSignFont = Resources.Font:new{ fontName = "LobsterTwo-Bold.otf", fontSize = 30 }
Resources.MapLevelNameFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 18 }
Resources.MapStarFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 16 }
