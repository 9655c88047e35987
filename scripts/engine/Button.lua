-- The button templates: buttons, radio buttons with their groups and grids,
-- and the engine's named buttons. A template applies the "Button" template
-- first (its "resource"), so every button made from one needs Alt with its
-- shortcut key.

Resources.Button = Resources.Actor:new{
    class = "Button",
    textColor = "White",
    text = "Button",
    useFrames = false,
    font = Resources.ButtonFont,
    textAlignment = Resources.TextAlignment.Center,
    textBackground1 = nil,
    textBackground2 = nil,
    pressUpOnMouseLeave = true,
    shortcutKey = "",
    enterKey = false,
    escapeKey = false,
    functionKey = 0,
    altFunctionKey = 0,
    useAltShortcutKey = false,
    active = true,
    clickSound = "",
    highlightSound = "",
    blink = false,
    image = nil,
    ignoreUserInput = false,
    isNonrectangular = false,
}

Resources.RadioButton = Resources.Button:new{
    resource = "Button",
    class = "RadioButton",
    radioButtonGroup = {},
}

Resources.RadioButtonGroup = Resources.ActorGroup:new{ class = "RadioButtonGroup" }

Resources.RadioButtonGrid = Resources.Grid:new{
    resource = "Grid",
    class = "RadioButtonGrid",
    radioButtons = {},
}

Resources.ButtonTemplates = {}

-- A named button: the "Button" template, then a picture of four frames.
local function NamedButton(t)
    t.resource = "Button"
    t.useFrames = true
    return Resources.Button:new(t)
end

-- Shortcut keys are SDL key numbers: 275 right arrow, 276 left arrow, and a
-- letter's own code.
Resources.NextArrowButton = NamedButton{ image = "btnBlankSmall.png", text = ">", name = "NextArrowButton", shortcutKey = 275 }
Resources.PrevArrowButton = NamedButton{ image = "btnBlankSmall.png", text = "<", name = "PrevArrowButton", shortcutKey = 276 }
Resources.CancelButton = NamedButton{ image = "Button.png", text = "Cancel", name = "CancelButton", shortcutKey = 99 }
Resources.YesButton = NamedButton{ image = "Button.png", text = "Yes", name = "YesButton", shortcutKey = 121 }
Resources.NoButton = NamedButton{ image = "Button.png", text = "No", name = "NoButton", shortcutKey = 110 }
Resources.ChangeNameButton = NamedButton{ image = "Button.small.png", text = "Rename", name = "ChangeNameButton",
                                          shortcutKey = 114, font = Resources.SmallButtonFont }
Resources.ClearPlayerButton = NamedButton{ image = "Button.small.png", text = "Clear", name = "ClearPlayerButton",
                                           shortcutKey = 99, font = Resources.SmallButtonFont }
Resources.ChangeButton = NamedButton{ image = "Button.small.png", text = "Change", name = "ChangeButton",
                                      shortcutKey = 99, font = Resources.SmallButtonFont }
Resources.UpdateButton = NamedButton{ image = "Button.small.png", text = "Update", name = "UpdateButton",
                                      shortcutKey = 117, font = Resources.SmallButtonFont }
Resources.OkayButton = NamedButton{ image = "Button.png", text = "Okay", name = "OkayButton", shortcutKey = 111 }
Resources.OptionsButton = NamedButton{ image = "Button.png", text = "Options", name = "OptionsButton", shortcutKey = 111 }
Resources.QuitButton = NamedButton{ image = "Button.png", text = "Quit", name = "QuitButton", shortcutKey = 113 }
-- The small ones keep the names of the large ones.
Resources.SmallOptionsButton = NamedButton{ image = "Button.small.png", text = "Options", name = "OptionsButton",
                                            shortcutKey = 111 }
Resources.SmallQuitButton = NamedButton{ image = "Button.small.red.png", text = "Quit", name = "QuitButton",
                                         shortcutKey = 113 }
