-- The dialog template, the labels of the engine's common dialogs, and the
-- scripts that drop a dialog in and raise it away again.

Colors{
    Ink = { 59, 35, 20 },
}

-- Titles in the bold face of the buttons: the engine measures text a letter
-- at a time, and only a face whose letters keep to their own room is centred
-- true by that.
Resources.DialogTitleLabelFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 40 }
Resources.SmallDialogTitleLabelFont = Resources.Font:new{ fontName = "Dosis-ExtraBold.otf", fontSize = 32 }
Resources.DialogTextFont = Resources.Font:new{ fontName = "ComicNeue-Bold.otf", fontSize = 22 }
Resources.CreditsLabelFont = Resources.Font:new{ fontName = "ComicNeue-Bold.otf", fontSize = 22 }

-- Made through the class registry, a dialog has no scripts: it shows at once
-- and goes at once. Dialogs made in code keep the default scripts below.
Resources.Dialog = Resources.Actor:new{
    class = "Dialog",
    title = "Untitled Dialog",
    titleAlignmentOffset = { 0, 0 },
    introScriptName = "",
    exitAndDestroyScriptName = "",
}

-- Every dialog title gets this first; the small dialogs then apply their own.
Resources.OptionsTitleLabel = Resources.Label:new{
    fgColor = "Ink",
    font = "DialogTitleLabelFont",
    alignment = Resources.RectAlignment.MidTop,
    alignmentOffset = { 0, 35 },
}

Resources.EnterNameTitleLabel = Resources.Label:new{
    fgColor = "Ink",
    font = "SmallDialogTitleLabelFont",
    alignment = Resources.RectAlignment.MidTop,
    alignmentOffset = { 0, 36 },
}

Resources.LoadGameTitleLabel = Resources.Label:new{
    fgColor = "Ink",
    font = "SmallDialogTitleLabelFont",
    alignment = Resources.RectAlignment.MidTop,
    alignmentOffset = { 0, 34 },
}

Resources.AreYouSureTitleLabel = Resources.Label:new{
    fgColor = "Ink",
    font = "SmallDialogTitleLabelFont",
    alignment = Resources.RectAlignment.MidTop,
    alignmentOffset = { 0, 44 },
    lineSpacing = -6,
}

Resources.LoadGameText = Resources.Label:new{
    fgColor = "Ink",
    font = "DialogTextFont",
    useActorColorAsBG = false,
    widthLimit = 0,
    wrapLimit = 0,
    alignment = Resources.RectAlignment.NoAlignment,
}

Resources.AreYouSureText = Resources.Label:new{
    fgColor = "Ink",
    font = "DialogTextFont",
    useActorColorAsBG = false,
    widthLimit = 0,
    wrapLimit = 0,
    alignment = Resources.RectAlignment.NoAlignment,
}

Scripts = Scripts or {}
Scripts.DefaultDialogIntroScript = "DropDialog"
Scripts.DefaultExitAndDestroyDialogScript = "RaiseAndDestroyDialog"

-- Drops the dialog from just above the window to 40 pixels past its place,
-- and lets it spring back up.
function Scripts.DropDialog(dialog)
    local rest = dialog.position
    dialog.position = { rest.x, -dialog.size.y }
    dialog:SetVisible(true)
    PlaySound("Swish.ogg")
    SlideAndWait(dialog, { rest.x, rest.y + 40 }, 300)
    SlideAndWait(dialog, { rest.x, rest.y }, 100)
end

-- Dips the dialog 40 pixels, throws it up out of the window, then tells its
-- owner and goes.
function Scripts.RaiseAndDestroyDialog(dialog)
    local at = dialog.position
    PlaySound("SwishUp.ogg")
    SlideAndWait(dialog, { at.x, at.y + 40 }, 100)
    SlideAndWait(dialog, { at.x, -dialog.size.y }, 300)
    dialog:PostDialogStopped()
    dialog:Destroy()
end
