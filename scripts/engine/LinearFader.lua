-- Actors that act on their parent: the linear fader of its alpha and the
-- drifting, fading score flash; and the script helper that waits for a fade.

Resources.LinearFader = Resources.Actor:new{
    class = "LinearFader",
    tagTarget = true,
    duration = 1000,
    destAlpha = 0,
}

Resources.ScoreFlashBehavior = Resources.Actor:new{
    class = "ScoreFlashBehavior",
    velocity = { 0.0, 0.0 },
    lifetime = 1000,
    autoFade = true,
    faderate = 0.2,
}

-- Fades the actor's alpha to destAlpha over duration milliseconds and returns
-- when it is there.
function FadeAndWait(target, destAlpha, duration)
    local fader = CreateLinearFader{ destAlpha = destAlpha, duration = duration }
    target:AddChild(fader)
    while target.isFading do
        ScriptBreak()
    end
end
