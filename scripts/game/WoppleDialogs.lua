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
