-- The spin lever: an invisible button holding the lever picture, and the
-- lever's scripts. Each script takes the lever.

Resources.CocoDropButtonDefaults = {
    class = "CocoDropButton",
    color = "White",
    size = { 165, 120 },
    alpha = 0,
    text = "",
    pressUpOnMouseLeave = false,
    isNonrectangular = true,
    clickSound = "F_button_click_down.ogg",
    children = {
        cocoDropLever = {
            class = "Actor",
            visible = false,
            zorder = 0,
            position = { -4, -66 },
            -- Its picture, where not clear, counts as the button's.
            isNonrectangular = true,
            defaultImage = "cocodrop_null.png",
            flashingImages = { "cocodrop_blink1.png", "cocodrop_blink2.png" },
            highlightImage = "cocodrop_blink1.png",
            flashDelay = 500,
            scripts = { "SetupCocoDropLeverForAnimations", "UsePlainCocoDropLever" },
        },
    },
}

-- Where the lever rests; the other scripts move it about this point.
function Scripts.SetupCocoDropLeverForAnimations(lever)
    assert(lever.basePosition == nil, "SetupCocoDropLeverForAnimations can only be called once on any single lever!")
    local at = lever.position
    lever.basePosition = { x = at.x, y = at.y }
end

function Scripts.PresentCocoDropLever(lever)
    local base = lever.basePosition
    lever:SetVisible(false)
    lever.position = { base.x, base.y - 50 }
    lever:SetVisible(true)
    PlaySound("spinDropDown.ogg")
    SlideAndWait(lever, { base.x, base.y }, 100)
end

function Scripts.PullupCocoDropLever(lever)
    WaitForSlideToFinish(lever)
    local base = lever.basePosition
    lever.position = { base.x, base.y }
    PlaySound("spinDropDown.ogg")
    SlideAndWait(lever, { base.x, base.y - 30 }, 100)
    lever:SetVisible(false)
end

-- Pressing twice does not push the lever further down.
function Scripts.DropCocoDropLever(lever)
    if lever.isLowered then
        return
    end
    lever.isLowered = true
    local base = lever.basePosition
    SlideAndWait(lever, { base.x, base.y + 30 }, 200)
end

function Scripts.RaiseCocoDropLever(lever)
    WaitForSlideToFinish(lever)
    PlaySound("F_button_click_up.ogg")
    local base = lever.basePosition
    SlideAndWait(lever, { base.x, base.y }, 90)
    lever.isLowered = false
end

function Scripts.UsePlainCocoDropLever(lever)
    lever.image = lever.defaultImage
end

function Scripts.UseHighlightedCocoDropLever(lever)
    lever.image = lever.highlightImage
end

function Scripts.FlashCocoDropLever(lever)
    while true do
        for _, image in ipairs(lever.flashingImages) do
            lever.image = image
            ScriptDelay(lever.flashDelay)
        end
    end
end
