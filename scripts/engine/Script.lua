-- Named scripts and the two calls a running script uses to give up time.

Scripts = Scripts or {}
Script = Script or {}
Script.current = nil

-- Gives up the rest of this frame; the script goes on at its next step.
function ScriptBreak()
    assert(Script.current, "ScriptBreak() must be called from within a running script.")
    coroutine.yield()
end

-- Waits the given milliseconds (counted in frames) on a timer of the group.
function ScriptDelay(delayInMS, timerGroup)
    assert(Script.current, "ScriptDelay() must be called from within a running script.")
    Script.current:Delay(delayInMS, timerGroup)
end
