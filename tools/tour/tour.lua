-- The picture tour's driver, run by tools/picture_tour.py through the console
-- after stops.lua: a plain screen of sky, sea and sand, then every stop of
-- TourStops opened on it, left to settle, photographed into TourOutput and
-- taken away again. The program quits at the end. A stop that shows a screen
-- of its own names it in "screen": the driver goes on from that screen's
-- updates while it is current.

local kSettlePasses = 24

local function WaitPasses(n)
    for i = 1, n do
        ScriptBreak()
    end
end

local function RunTour()
    -- Every stop's screen pumps from the start: one screen can go on to
    -- another by itself (the splash to the menu).
    local pumped = { Tour = true }
    for index, stop in ipairs(TourStops) do
        if stop.screen ~= nil and not pumped[stop.screen] then
            Screens[stop.screen].scripts = { "PumpTour" }
            pumped[stop.screen] = true
        end
    end
    for index, stop in ipairs(TourStops) do
        -- A stop that fails is reported and passed; the tour goes on.
        local opened, shown = pcall(stop.open)
        if not opened then
            logprint(string.format("TOUR: skipped %s: %s\n", stop.name, tostring(shown)))
        elseif shown == nil then
            logprint(string.format("TOUR: skipped %s: nothing to show\n", stop.name))
        else
            WaitPasses(kSettlePasses)
            if stop.before ~= nil then
                stop.before(shown)
                WaitPasses(2)
            end
            SaveScreenshot(string.format("%s/%02d-%s.bmp", TourOutput, index, stop.name))
            WaitPasses(3)
            logprint(string.format("TOUR: %02d-%s\n", index, stop.name))
            shown:Destroy()
            WaitPasses(2)
        end
    end
    logprint("TOUR: done\n")
    AppQuit()
end

-- Only the current screen is updated: the driver runs in a coroutine of its
-- own, stepped by whichever screen's pump is running.
local driver = coroutine.create(RunTour)
function Scripts.PumpTour()
    while coroutine.status(driver) == "suspended" do
        local ran, failure = coroutine.resume(driver)
        if not ran then
            logprint(string.format("TOUR: failed: %s\n", tostring(failure)))
            AppQuit()
        end
        ScriptBreak()
    end
end

Screens.Tour = CreateObject{
    class = "Screen",
    name = "Tour",
    children = {
        Sky = { class = "Actor", color = { 139, 227, 247 }, size = { 800, 600 }, zorder = -3 },
        Sea = { class = "Actor", color = { 47, 169, 210 }, position = { 0, 390 }, size = { 800, 120 }, zorder = -2 },
        Sand = { class = "Actor", color = { 244, 207, 148 }, position = { 0, 500 }, size = { 800, 100 }, zorder = -1 },
    },
    scripts = { "PumpTour" },
}
SwitchToScreen("Tour")
