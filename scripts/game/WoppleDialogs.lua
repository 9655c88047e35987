-- The game's help dialogs and the game-complete dialog: their templates, the
-- milestone texts and the celebration the game-complete dialog plays.

Resources.DialogLabelFont = Resources.Font:new{ fontName = "ComicNeue-Bold.otf", fontSize = 20 }
Resources.GameCompleteTitleFont = Resources.Font:new{ fontName = "LobsterTwo-Bold.otf", fontSize = 40 }
Resources.GameCompleteTextFont = Resources.Font:new{ fontName = "ComicNeue-Bold.otf", fontSize = 22 }

Resources.StaticButterfly = Resources.Actor:new{ image = "butterfly1.png" }

local function HelpDialog(background, ropeOffset, frogOffset, headerOffset, wrapLimit, textOffset)
    return Resources.Dialog:new{
        name = "WoppleHelpDialog",
        image = background,
        title = "",
        titleAlignmentOffset = { 0, 0 },
        introScriptName = "DropDialog",
        exitAndDestroyScriptName = "RaiseAndDestroyDialog",
        alignment = Resources.RectAlignment.MidTop,
        alignTo = Resources.RectAlignment.MidTop,
        children = {
            ropeBackground = Resources.Actor:new{
                image = "dialogRope.png",
                alignTo = Resources.RectAlignment.MidTop,
                alignment = Resources.RectAlignment.MidBottom,
                alignmentOffset = ropeOffset,
            },
            Frog = Resources.Frog:new{
                resource = "Frog",
                timerGroup = "dialog",
                alignTo = Resources.RectAlignment.TopLeft,
                alignment = Resources.RectAlignment.TopLeft,
                alignmentOffset = frogOffset,
            },
            butterfly1 = Resources.StaticButterfly:new{
                resource = "StaticButterfly",
                zorder = 4,
                rotation = 270,
                alignTo = Resources.RectAlignment.BottomRight,
                alignment = Resources.RectAlignment.BottomRight,
                alignmentOffset = { -55, -55 },
            },
            Header = Resources.Label:new{
                fgColor = "Black",
                font = "DialogTitleFont",
                useActorColorAsBG = false,
                widthLimit = 0,
                alignTo = Resources.RectAlignment.MidTop,
                alignment = Resources.RectAlignment.MidTop,
                alignmentOffset = headerOffset,
                text = "Game Tip!",
            },
            Text = Resources.Label:new{
                fgColor = "Black",
                font = "DialogLabelFont",
                useActorColorAsBG = false,
                widthLimit = 0,
                wrapLimit = wrapLimit,
                textAlignment = Resources.TextAlignment.Center,
                alignTo = Resources.RectAlignment.Center,
                alignment = Resources.RectAlignment.Center,
                alignmentOffset = textOffset,
                text = "Insert real help text here",
            },
        },
    }
end

Resources.WoppleHelpDialog = HelpDialog("bkgDialogLarge.png", { 0, 84 }, { -34, 96 }, { 0, 118 }, 30, { 0, 14 })
Resources.WoppleBigHelpDialog = HelpDialog("bkgDialogLarger.png", { -10, 83 }, { -34, 96 }, { 0, 110 }, 40, { 0, 25 })

WoppleGameCompleteList = {
    finishedQuest = {
        title = "Congrats!",
        text = "You have finished the Vevev!\nCan you now get 5 stars in each Round?",
    },
    gotAllStandardFiveStars = {
        title = "Standard Five Stars!!!",
        text = "You have got 5 stars in each standard level!\nWow!!!",
    },
    gotAllBonusFiveStars = {
        title = "Bonus Five Stars!!!",
        text = "You have got 5 stars in each bonus level!\nWow!!!",
    },
    gotAllFiveStars = {
        title = "Complete Five Stars!!!",
        text = "You have got 5 stars in each standard and bonus levels!\nWow!!!",
    },
    gotAllStamps = {
        title = "Wow!!!",
        text = "You have gotten every stamp!\nAmazing!!!",
    },
    completedAllLevels = {
        title = "All Levels Completed",
        text = "You have finished every standard and bonus level!\nWow!!!",
    },
}

local function Star(x)
    return Resources.Actor:new{
        image = "cellPatternCompletionOverlay7x7.png",
        alignTo = Resources.RectAlignment.TopLeft,
        alignment = Resources.RectAlignment.Center,
        alignmentOffset = { x, 100 },
        visible = false,
    }
end

Resources.WoppleGameCompleteDialog = Resources.Dialog:new{
    name = "WoppleGameCompleteDialog",
    title = "",
    timerGroup = "dialog",
    image = "end.png",
    introScriptName = "DropDialog",
    exitAndDestroyScriptName = "RaiseAndDestroyDialog",
    alignment = Resources.RectAlignment.Center,
    alignTo = Resources.RectAlignment.Center,
    children = {
        ropeBackground = Resources.Actor:new{
            image = "dialogRope.png",
            alignTo = Resources.RectAlignment.MidTop,
            alignment = Resources.RectAlignment.MidBottom,
            alignmentOffset = { 0, 10 },
        },
        Title = Resources.Label:new{
            font = "GameCompleteTitleFont",
            fgColor = "OffWhite",
            shadowColor = "Black",
            useActorColorAsBG = false,
            widthLimit = 0,
            alignTo = Resources.RectAlignment.MidTop,
            alignment = Resources.RectAlignment.MidTop,
            alignmentOffset = { 35, 60 },
            text = "Congrats!",
        },
        Text = Resources.Label:new{
            font = "GameCompleteTextFont",
            wrapLimit = 15,
            widthLimit = 0,
            fgColor = "OffWhite",
            shadowColor = "Black",
            useActorColorAsBG = false,
            alignTo = Resources.RectAlignment.MidTop,
            alignment = Resources.RectAlignment.MidTop,
            alignmentOffset = { 35, 110 },
            text = "You have finished the Vevev!\nCan you now get 5 stars in each Round?",
        },
        Star1 = Star(300),
        Star2 = Star(350),
        Star3 = Star(400),
        Star4 = Star(450),
        Star5 = Star(500),
        okayButton = Resources.Button:new{
            resource = "Button",
            image = "btn_okay.png",
            useFrames = true,
            text = "OK",
            shortcutKey = "o",
            enterKey = true,
            escapeKey = true,
            spaceKey = true,
            position = { 225, 425 },
            buttonClosesDialog = true,
            clickSound = "click.ogg",
        },
    },
}

Scripts = Scripts or {}

-- Five stars flash one after another, then the words, then the applause.
function Scripts.WoppleGameCompleteDialog(dialog)
    StopMidi("Wopple.mid")
    PlaySound("combo.ogg")
    local title = dialog:FindChild("Title")
    local text = dialog:FindChild("Text")
    title:SetVisible(false)
    text:SetVisible(false)
    local stars = {}
    for n = 1, 5 do
        stars[n] = dialog:FindChild("Star" .. n)
        stars[n]:SetVisible(false)
    end
    ScriptDelay(250)
    for n = 1, 5 do
        dialog:StartParticleEmitter("RainbowBurstEffect", { 250 + 50 * n, 100 })
        PlaySound("C_match_" .. n .. ".ogg")
        stars[n].alpha = 255
        stars[n]:SetVisible(true)
        FadeAndWait(stars[n], 0, 250)
        stars[n]:SetVisible(false)
    end
    for _, at in ipairs({ { 300, 50 }, { 300, 150 }, { 500, 50 }, { 500, 150 } }) do
        dialog:StartParticleEmitter("WhiteBurstEffectSmallLong", at)
    end
    title:SetVisible(true)
    text:SetVisible(true)
    PlaySound("C_wopple.ogg")
    ScriptDelay(250)
    PlaySound("C_gamend.ogg")
    ScriptDelay(2750)
    PlaySound("claps.ogg")
    LoopMidi("Wopple.mid", "Loop")
end

-- The options dialog and the large common dialogs: the game's paper with the rope.

Resources.WoppleDialogButtonFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 26 }

Resources.LargeDialogDefaults = Resources.Object:new{
    children = {
        ropeBackground = Resources.Actor:new{
            image = "dialogRope.png",
            alignTo = Resources.RectAlignment.MidTop,
            alignment = Resources.RectAlignment.MidBottom,
            alignmentOffset = { 0, 84 },
        },
    },
}

-- A picture button of the options dialog: four frames, no text.
local function PictureButton(image, position)
    return Resources.Button:new{
        resource = "Button",
        image = image,
        useFrames = true,
        text = "",
        position = position,
    }
end

Resources.WoppleOptionsDialog = Resources.Object:new{
    alignment = Resources.RectAlignment.MidTop,
    children = {
        ropeBackground = Resources.LargeDialogDefaults.children.ropeBackground,
        Title_Label = Resources.Label:new{
            fgColor = "Black",
            font = "DialogTitleFont",
            useActorColorAsBG = false,
            widthLimit = 0,
            text = "OPTIONS",
            alignTo = Resources.RectAlignment.MidTop,
            alignment = Resources.RectAlignment.MidTop,
            alignmentOffset = { 0, 108 },
        },
        butterfly1 = Resources.StaticButterfly:new{
            resource = "StaticButterfly",
            zorder = 4,
            rotation = 0,
            alignTo = Resources.RectAlignment.TopLeft,
            alignment = Resources.RectAlignment.TopLeft,
            alignmentOffset = { 60, 68 },
        },
        butterfly2 = Resources.StaticButterfly:new{
            resource = "StaticButterfly",
            zorder = 4,
            rotation = 270,
            alignTo = Resources.RectAlignment.MidRight,
            alignment = Resources.RectAlignment.MidRight,
            alignmentOffset = { -14, 118 },
        },
        Acceleration_On_Button = PictureButton("on_frames.png", { 236, 317 }),
        Acceleration_Off_Button = PictureButton("off_frames.png", { 320, 317 }),
        Fullscreen_On_Button = PictureButton("fullscreen_frames.png", { 236, 257 }),
        Fullscreen_Off_Button = PictureButton("window_frames.png", { 320, 257 }),
    },
}

Resources.WoppleOptionsLabelProperties = Resources.Object:new{ font = "DialogLabelFont" }
Resources.WoppleOptionsOkayButton = Resources.Object:new{ font = Resources.WoppleDialogButtonFont, text = "Okay" }
Resources.WoppleOptionsCreditsButton = Resources.Object:new{ font = Resources.WoppleDialogButtonFont }
Resources.WoppleButton = Resources.Button:new{ resource = "Button", font = Resources.WoppleDialogButtonFont }

-- The new player's wizard: the pages it shows one at a time, in order, and
-- the dialog with its four buttons. The picture choice is made in code.

Colors{
    WizardWarning = { 216, 57, 47 },
    WizardPaper = { 254, 246, 225 },
}

SetupNewPlayerWizardDialogs = {
    "EnterNamePage",
    "ChoosePicturePage",
    "HowToPlayPage1",
    "HowToPlayPage2",
    "HowToPlayPage3",
    "ReadyToPlayPage",
}

-- The dialog's title face and the label face, larger; fonts name their file each.
Resources.WizardTitleFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 36 }
Resources.WizardTextFont = Resources.Font:new{ fontName = "ComicNeue-Bold.otf", fontSize = 24 }
Resources.WizardButtonFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 22 }

local function WizardLabel(font, text, fields)
    local label = Resources.Label:new{
        name = "Name",
        font = font,
        fgColor = "Ink",
        useActorColorAsBG = false,
        widthLimit = 0,
        text = text,
        alignTo = Resources.RectAlignment.MidTop,
        alignment = Resources.RectAlignment.MidTop,
    }
    for k, v in pairs(fields or {}) do
        label[k] = v
    end
    return label
end

local function WizardTitle(text, font, offset)
    return WizardLabel(font, text, { alignmentOffset = offset })
end

local function WizardPage(children)
    return Resources.Actor:new{
        alignment = Resources.RectAlignment.MidTop,
        alignTo = Resources.RectAlignment.MidTop,
        alignmentOffset = { 0, 0 },
        visible = false,
        children = children,
    }
end

local function WizardPicture(image, alignTo, alignment, offset)
    return Resources.Actor:new{
        image = image,
        alignTo = alignTo,
        alignment = alignment,
        alignmentOffset = offset,
    }
end

Resources.EnterNamePage = WizardPage{
    WizardTitle("Welcome To Wopple Vevev!", "DialogTitleFont", { 0, 112 }),
    WizardTitle("Please Sign In:", "DialogLabelFont", { 0, 243 }),
    TextBox = Resources.TextBox:new{
        limit = 10,
        text = "",
        boxSize = { 170, 37 },
        clickSound = "Click6.ogg",
        image = "sign_in.jpg",
        alignTo = Resources.RectAlignment.MidTop,
        alignment = Resources.RectAlignment.MidTop,
        alignmentOffset = { 0, 276 },
    },
}

Resources.LoadButton = Resources.Button:new{
    resource = "Button",
    image = "Button.small.png",
    useFrames = true,
    font = "WizardButtonFont",
    text = "Load",
    shortcutKey = "l",
    alignTo = Resources.RectAlignment.MidRight,
    alignment = Resources.RectAlignment.MidRight,
    -- Under the custom picture's button, clear of the wizard's own row.
    alignmentOffset = { -67, 151 },
}

Resources.ChoosePicturePage = WizardPage{
    WizardTitle("Choose Picture", "WizardTitleFont", { 0, 112 }),
    WizardTitle("Please select your picture", "DialogLabelFont", { 0, 180 }),
    LoadButton = Resources.LoadButton,
    -- Over the line above, when a chosen file is no picture.
    PictureMessage = WizardLabel("DialogLabelFont", "That file is not a picture we can read.", {
        name = "PictureMessage",
        fgColor = "WizardWarning",
        color = "WizardPaper",
        useActorColorAsBG = true,
        widthLimit = 400,
        alignmentOffset = { 0, 180 },
        zorder = 5,
        visible = false,
    }),
    -- Without a file chooser on the desktop the path is typed here.
    PathPanel = Resources.Actor:new{
        alignTo = Resources.RectAlignment.MidTop,
        alignment = Resources.RectAlignment.MidTop,
        alignmentOffset = { 0, 228 },
        size = { 360, 170 },
        visible = false,
        children = {
            PathLabel = WizardLabel("DialogLabelFont", "Type where your picture is:", {
                name = "PathLabel",
                alignmentOffset = { 0, 10 },
            }),
            PathBox = Resources.TextBox:new{
                limit = 255,
                text = "",
                boxSize = { 340, 37 },
                clickSound = "Click6.ogg",
                image = "path_in.jpg",
                alignTo = Resources.RectAlignment.MidTop,
                alignment = Resources.RectAlignment.MidTop,
                alignmentOffset = { 0, 50 },
            },
            OpenButton = Resources.Button:new{
                resource = "Button",
                image = "Button.small.png",
                useFrames = true,
                font = "WizardButtonFont",
                text = "Open",
                shortcutKey = "o",
                useAltShortcutKey = true,
                alignTo = Resources.RectAlignment.MidTop,
                alignment = Resources.RectAlignment.MidTop,
                alignmentOffset = { 0, 110 },
            },
        },
    },
}

Resources.HowToPlayPage1 = WizardPage{
    WizardTitle("How To Play", "WizardTitleFont", { 10, 112 }),
    WizardLabel("WizardTextFont",
        "The goal of Wopple is to get as many Wopples as you can in 20 spins. On each spin...", {
        textAlignment = Resources.TextAlignment.Left,
        wrapLimit = 30,
        alignTo = Resources.RectAlignment.Center,
        alignment = Resources.RectAlignment.Center,
        alignmentOffset = { 10, 14 },
    }),
}

Resources.HowToPlayPage2 = WizardPage{
    WizardTitle("Spin and Match", "WizardTitleFont", { 10, 112 }),
    WizardLabel("WizardTextFont", "Match the\nnumbers that come up on the bottom, to the ones on the card above.", {
        textAlignment = Resources.TextAlignment.Right,
        wrapLimit = 13,
        alignTo = Resources.RectAlignment.MidLeft,
        alignment = Resources.RectAlignment.MidLeft,
        alignmentOffset = { 50, 29 },
    }),
    WizardPicture("helpWoppleBoard.png", Resources.RectAlignment.Center, Resources.RectAlignment.MidLeft, { -30, 34 }),
}

Resources.HowToPlayPage3 = WizardPage{
    WizardTitle("Get Wopples", "WizardTitleFont", { 10, 112 }),
    WizardLabel("WizardTextFont", "On each spin,\nsee if you can get matches that make 5 in a row to get a Wopple!", {
        textAlignment = Resources.TextAlignment.Right,
        wrapLimit = 13,
        alignTo = Resources.RectAlignment.MidLeft,
        alignment = Resources.RectAlignment.MidLeft,
        alignmentOffset = { 55, 39 },
    }),
    WizardPicture("helpWopple.png", Resources.RectAlignment.Center, Resources.RectAlignment.MidLeft, { -30, 34 }),
}

Resources.ReadyToPlayPage = WizardPage{
    WizardTitle("Helpful Tips", "WizardTitleFont", { 10, 112 }),
    WizardLabel("WizardTextFont",
        "* You can also spin with the\nright mouse button or space bar.\n\n* Press the ALT key to see keyboard shortcuts.\n\n* Click HELP for help :)", {
        textAlignment = Resources.TextAlignment.Left,
        wrapLimit = 30,
        alignTo = Resources.RectAlignment.Center,
        alignment = Resources.RectAlignment.Center,
        alignmentOffset = { 10, 14 },
    }),
    WizardLabel("WizardTextFont", "Good luck!", {
        alignTo = Resources.RectAlignment.MidBottom,
        alignment = Resources.RectAlignment.MidBottom,
        alignmentOffset = { 0, -110 },
    }),
}

local function WizardButton(text, offset, fields)
    local button = Resources.Button:new{
        resource = "Button",
        image = "Button.png",
        useFrames = true,
        font = Resources.WoppleDialogButtonFont,
        text = text,
        alignTo = Resources.RectAlignment.MidBottom,
        alignment = Resources.RectAlignment.MidBottom,
        alignmentOffset = offset,
    }
    for k, v in pairs(fields) do
        button[k] = v
    end
    return button
end

Resources.SetupNewPlayerWizard = Resources.Object:new{
    image = "bkgDialogLarge.png",
    title = "",
    titleAlignmentOffset = { 0, 10 },
    alignment = Resources.RectAlignment.MidTop,
    alignTo = Resources.RectAlignment.MidTop,
    children = {
        ropeBackground = Resources.LargeDialogDefaults.children.ropeBackground,
        -- Over the pages, so that Alt and a letter reach these before a
        -- picture's plain letter; Cancel first of all, so Escape cancels.
        OkayButton = WizardButton("Play", { 125, -50 },
            { shortcutKey = "p", enterKey = true, buttonClosesDialog = true, visible = false, zorder = 1 }),
        NextButton = WizardButton("Next", { 125, -50 },
            { shortcutKey = "n", useAltShortcutKey = true, enterKey = true, zorder = 1 }),
        BackButton = WizardButton("Back", { -125, -50 },
            { shortcutKey = "b", useAltShortcutKey = true, escapeKey = true, backspaceKey = true, zorder = 1 }),
        CancelButton = WizardButton("Cancel", { 0, -50 },
            { shortcutKey = "c", useAltShortcutKey = true, escapeKey = true, buttonClosesDialog = true, zorder = 2 }),
    },
}

-- The end-of-level dialog: the level's five goals down the left, a star for
-- each in the middle and what the player did on the right, revealed a row a
-- second by the dialog; then the footer rates the round.

-- Sized faces are fonts of their own: a font table names its file and its size together.
local function StarTextFontOfSize(size)
    return Resources.Font:new{ fontName = "ComicNeue-Bold.otf", fontSize = size }
end
Resources.StarTextFont = StarTextFontOfSize(22)
Resources.EndLevelScoreFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 32 }

local function StarRowY(row)
    return -31 + 30 * (row - 1)
end

local function StarText(size, fields)
    local label = Resources.Label:new{
        fgColor = "Black",
        font = size and StarTextFontOfSize(size) or "StarTextFont",
        useActorColorAsBG = false,
        widthLimit = 0,
        text = "",
    }
    for k, v in pairs(fields) do
        label[k] = v
    end
    return label
end

local function GoalLabel(row, size, fields)
    fields.wrapLimit = 50
    fields.alignTo = Resources.RectAlignment.MidLeft
    fields.alignment = Resources.RectAlignment.MidRight
    fields.alignmentOffset = { 210, StarRowY(row) }
    return StarText(size, fields)
end

local function ResultLabel(row, size, fields)
    fields.alignTo = Resources.RectAlignment.MidRight
    fields.alignment = Resources.RectAlignment.MidLeft
    fields.alignmentOffset = { -210, StarRowY(row) }
    fields.visible = false
    return StarText(size, fields)
end

local function StarActor(row)
    return Resources.Actor:new{
        image = "bc_2.png",
        alignTo = Resources.RectAlignment.Center,
        alignment = Resources.RectAlignment.Center,
        alignmentOffset = { 0, StarRowY(row) },
    }
end

local function EndLevelButton(text, alignment, offset, fields)
    local button = Resources.Button:new{
        resource = "Button",
        image = "Button.png",
        useFrames = true,
        font = "ButtonFont",
        text = text,
        alignTo = Resources.RectAlignment.MidBottom,
        alignment = alignment,
        alignmentOffset = offset,
        buttonClosesDialog = true,
        clickSound = "click.ogg",
    }
    for k, v in pairs(fields) do
        button[k] = v
    end
    return button
end

Resources.WoppleEndLevelDialog = Resources.Dialog:new{
    name = "WoppleEndLevelDialog",
    image = "bkgDialogLarge.png",
    title = "Round Complete!",
    introScriptName = "DropDialog",
    exitAndDestroyScriptName = "RaiseAndDestroyDialog",
    alignment = Resources.RectAlignment.MidTop,
    alignTo = Resources.RectAlignment.MidTop,
    children = {
        ropeBackground = Resources.LargeDialogDefaults.children.ropeBackground,
        frog = Resources.Frog:new{
            resource = "Frog",
            timerGroup = "dialog",
            alignTo = Resources.RectAlignment.TopLeft,
            alignment = Resources.RectAlignment.TopLeft,
            -- Beside the paper, as on the help dialogs: the title hangs where the frog would sit.
            alignmentOffset = { -34, 96 },
        },
        butterfly1 = Resources.StaticButterfly:new{
            resource = "StaticButterfly",
            zorder = 4,
            rotation = 270,
            -- Up by the title, clear of the three buttons along the bottom.
            alignTo = Resources.RectAlignment.TopRight,
            alignment = Resources.RectAlignment.TopRight,
            alignmentOffset = { -42, 116 },
        },
        headerMessage = StarText(26, {
            text = "Let's see how you did...",
            wrapLimit = 50,
            textAlignment = Resources.TextAlignment.Center,
            alignTo = Resources.RectAlignment.MidTop,
            alignment = Resources.RectAlignment.MidTop,
            alignmentOffset = { 0, 178 },
        }),
        levelName = Resources.Label:new{
            fgColor = "Black",
            font = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 24 },
            useActorColorAsBG = false,
            widthLimit = 0,
            wrapLimit = 50,
            text = "Levl Name here",
            alignTo = Resources.RectAlignment.TopLeft,
            alignment = Resources.RectAlignment.TopLeft,
            alignmentOffset = { 60, 173 },
        },
        scoreLabel = Resources.Label:new{
            fgColor = "OffWhite",
            shadowColor = "Black",
            font = "EndLevelScoreFont",
            useActorColorAsBG = false,
            widthLimit = 0,
            text = "0",
            alignTo = Resources.RectAlignment.TopRight,
            alignment = Resources.RectAlignment.TopRight,
            alignmentOffset = { -90, 168 },
        },

        scoreGoal = GoalLabel(1, 24, { widthLimit = 158 }),
        secretGoal = GoalLabel(2, 24, { text = "Find Secret" }),
        timeGoal = GoalLabel(3, nil, {}),
        butterfliesGoal = GoalLabel(4, nil, {}),
        fullCardGoal = GoalLabel(5, 24, { text = "Full Card" }),

        scoreStar = StarActor(1),
        secretStar = StarActor(2),
        timeStar = StarActor(3),
        butterflyStar = StarActor(4),
        fullCardStar = StarActor(5),

        score = ResultLabel(1, 24, { name = "scoreLabelMessage", widthLimit = 158 }),
        secret = ResultLabel(2, 24, {}),
        timeTaken = ResultLabel(3, nil, {}),
        butterfliesFound = ResultLabel(4, nil, {}),
        fullCard = ResultLabel(5, 24, { name = "lootLabelMessage" }),

        previousTopScore = StarText(22, {
            text = "Previous Top Score:",
            alignTo = Resources.RectAlignment.MidTop,
            alignment = Resources.RectAlignment.MidTop,
            alignmentOffset = { -80, 361 },
            visible = false,
        }),
        topScoreLabel = StarText(28, {
            text = "$0",
            alignTo = Resources.RectAlignment.MidTop,
            alignment = Resources.RectAlignment.MidTop,
            alignmentOffset = { 100, 358 },
        }),
        footerMessage = StarText(22, {
            wrapLimit = 40,
            widthLimit = 450,
            textAlignment = Resources.TextAlignment.Center,
            alignTo = Resources.RectAlignment.MidTop,
            alignment = Resources.RectAlignment.MidTop,
            alignmentOffset = { 0, 373 },
        }),

        QuitToMapButton = EndLevelButton("Map", Resources.RectAlignment.BottomRight, { -65, -51 },
            { shortcutKey = "q", escapeKey = true }),
        ReplayButton = EndLevelButton("Replay", Resources.RectAlignment.MidBottom, { 0, -51 },
            { shortcutKey = "r" }),
        NextButton = EndLevelButton("Next", Resources.RectAlignment.BottomLeft, { 65, -51 },
            { shortcutKey = "n", enterKey = true }),
    },
}

-- The award dialog: the stamp comes down on the larger paper, its name, what
-- it is for and the player's progress under it.

Resources.WoppleAwardDialog = Resources.Dialog:new{
    name = "WoppleAwardDialog",
    title = "",
    timerGroup = "dialog",
    image = "bkgDialogLarger.png",
    introScriptName = "DropDialog",
    exitAndDestroyScriptName = "RaiseAndDestroyDialog",
    alignment = Resources.RectAlignment.MidTop,
    alignTo = Resources.RectAlignment.MidTop,
    children = {
        ropeBackground = Resources.Actor:new{
            image = "dialogRope.png",
            alignTo = Resources.RectAlignment.MidTop,
            alignment = Resources.RectAlignment.MidBottom,
            alignmentOffset = { -10, 83 },
        },
        Title = Resources.Label:new{
            fgColor = "Black",
            font = "DialogTitleFont",
            useActorColorAsBG = false,
            widthLimit = 0,
            text = "Stamp Awarded!",
            alignTo = Resources.RectAlignment.MidTop,
            alignment = Resources.RectAlignment.MidTop,
            alignmentOffset = { 0, 105 },
        },
        Frog = Resources.Frog:new{
            resource = "Frog",
            timerGroup = "dialog",
            alignTo = Resources.RectAlignment.TopLeft,
            alignment = Resources.RectAlignment.TopLeft,
            alignmentOffset = { -34, 96 },
        },
        stampName = Resources.Label:new{
            fgColor = "Black",
            font = "DialogLabelFont",
            useActorColorAsBG = false,
            widthLimit = 0,
            wrapLimit = 30,
            textAlignment = Resources.TextAlignment.Center,
            text = "",
            alignTo = Resources.RectAlignment.MidTop,
            alignment = Resources.RectAlignment.MidTop,
            alignmentOffset = { 0, 160 },
            visible = false,
        },
        stampImage = Resources.Actor:new{
            alignTo = Resources.RectAlignment.MidTop,
            alignment = Resources.RectAlignment.MidTop,
            alignmentOffset = { 0, 160 },
            shaderType = "SHADERTYPE_BLENDCOMBINEDALPHA",
            alpha = 64,
        },
        Text = Resources.Label:new{
            fgColor = "Black",
            font = "DialogLabelFont",
            useActorColorAsBG = false,
            widthLimit = 0,
            wrapLimit = 30,
            textAlignment = Resources.TextAlignment.Center,
            text = "",
            alignTo = Resources.RectAlignment.MidTop,
            alignment = Resources.RectAlignment.MidTop,
        },
        Note = Resources.Label:new{
            fgColor = "Black",
            font = Resources.Font:new{ fontName = "ComicNeue-Bold.otf", fontSize = 20 },
            useActorColorAsBG = false,
            widthLimit = 0,
            wrapLimit = 60,
            textAlignment = Resources.TextAlignment.Center,
            text = "Stamps are awarded for great accomplishments.\nGo to My Stamps from the menu to see all your stamps.",
            alignTo = Resources.RectAlignment.MidBottom,
            alignment = Resources.RectAlignment.MidBottom,
            alignmentOffset = { 0, -97 },
        },
    },
}

-- The stamp comes down half a second after the dialog, with a thud and a
-- white burst at its four corners, then a rainbow from its middle.
function Scripts.WoppleAwardDialog(dialog)
    local stamp = dialog:FindChild("stampImage")
    stamp.alpha = 64
    ScriptDelay(500, "dialog")
    stamp.alpha = 255
    PlaySound("stamp.ogg")
    local centre = GetGlobalCenterPoint(stamp)
    local origin = dialog.globalPosition
    local x = centre.x - origin.x
    local y = centre.y - origin.y
    for _, corner in ipairs({ { -25, -25 }, { 25, -25 }, { -25, 25 }, { 25, 25 } }) do
        dialog:StartParticleEmitter("WhiteBurstEffect", { x + corner[1], y + corner[2] })
    end
    ScriptDelay(250, "dialog")
    dialog:StartParticleEmitter("RainbowSmallBurstEffect", { x, y })
    PlaySound("tada2.ogg")
end
