-- The actor templates, the names scripts use for alignments and shaders, and
-- the script helpers that wait for slides.

Resources.RectAlignment = {
    NoAlignment = "NoAlignment",
    BottomLeft = "BottomLeft",
    BottomRight = "BottomRight",
    Center = "Center",
    MidBottom = "MidBottom",
    MidLeft = "MidLeft",
    MidRight = "MidRight",
    MidTop = "MidTop",
    TopLeft = "TopLeft",
    TopRight = "TopRight",
}

Resources.TextAlignment = { Center = "Center", Left = "Left", Right = "Right" }

Resources.LayoutOrientation = { LeftToRightTopToBottom = 1, RightToLeftBottomToTop = 2 }

Resources.ShaderType = {
    Reserved = 0,
    Copy = 1,
    BlendPixelAlpha = 2,
    BlendConstantAlpha = 3,
    BlendCombinedAlpha = 4,
}

Resources.Actor = Resources.Object:new{
    class = "Actor",
    color = "Black",
    visible = true,
    frame = 0,
    position = { 0, 0 },
    size = { 0, 0 },
    alignment = Resources.RectAlignment.Center,
    rotationAlignment = Resources.RectAlignment.Center,
    alignTo = Resources.RectAlignment.Center,
    rotation = 0,
    alignmentOffset = { 0, 0 },
    alpha = 255,
    zorder = 0,
    useCombinedAlpha = false,
    shaderType = 0,
    scripts = {},
    children = {},
    image = nil,
    sound = nil,
    playAnimation = nil,
    loopAnimation = nil,
}

Resources.ActorGroup = Resources.Object:new{ class = "ActorGroup" }

-- Slides the actor and returns when it stands at dest.
function SlideAndWait(self, dest, duration)
    assert(Script.current, "SlideAndWait() must be called from within a running script.")
    assert(self ~= nil, "SlideAndWait() was passed a nil `target`.")
    assert(dest ~= nil, "SlideAndWait() was passed a nil `dest`.")
    assert(duration ~= nil, "SlideAndWait() was passed a nil `duration`.")
    self:SlideTo(dest, duration)
    while self:IsSliding() do
        ScriptBreak()
    end
end

-- Returns once neither the actor nor any actor of the table slides.
function WaitForSlideToFinish(target)
    local actors
    if type(target) == "userdata" then
        actors = { target }
    elseif type(target) == "table" then
        actors = DeepCopy(target)
    else
        error("`target` is neither an Actor nor a table.")
    end
    while true do
        local sliding = false
        for _, actor in pairs(actors) do
            if actor:IsSliding() then
                sliding = true
                break
            end
        end
        if not sliding then
            return
        end
        ScriptBreak()
    end
end
