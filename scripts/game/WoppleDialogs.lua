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
