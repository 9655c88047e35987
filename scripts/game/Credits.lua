-- The credits dialog of the game: three pages (the team, what we build on,
-- thanks), the rope it hangs from and the frog on its corner.

Resources.Frog = Resources.Actor:new{
    class = "Actor",
    image = "objFrog.png",
    name = "Frog",
    position = { -26, -26 },
    zorder = 20,
}

-- One page: the heading and the names, both hanging from their top middle.
local function CreditsPage(names)
    return {
        class = "Actor",
        children = {
            heading = {
                class = "Label",
                name = "heading",
                text = "CREDITS",
                font = "DialogTitleFont",
                fgColor = "Ink",
                useActorColorAsBG = false,
                widthLimit = 0,
                wrapLimit = 0,
                alignment = "MidTop",
                alignmentOffset = { 236, 119 },
            },
            names = {
                class = "Label",
                name = "names",
                text = names,
                font = "CreditsLabelFont",
                fgColor = "Ink",
                useActorColorAsBG = false,
                lineSpacing = 2,
                widthLimit = 0,
                wrapLimit = 0,
                alignment = "MidTop",
                alignmentOffset = { 236, 178 },
            },
        },
    }
end

Resources.CreditsDialog = {
    children = {
        -- The pages stand 14 pixels in, so that their middle is the dialog's.
        pageContent = { class = "Actor", name = "pageContent", position = { 14, 0 } },
        rope = { class = "Actor", name = "rope", image = "dialogRope.png", position = { 90, -120 }, zorder = 10 },
        frog = { class = "Actor", resource = "Frog" },
    },
    pages = {
        CreditsPage("Game Design and Levels\nthe Wopple Vevev team\n\n" ..
                    "Engine and Programming\nthe Velk Engine crew\n\n" ..
                    "Art, Sound and Music\nthe Quillfen studio"),
        CreditsPage("Built With\nSDL, SDL_image, SDL_ttf, SDL_gfx,\nSDL_mixer, PhysicsFS, Lua and Boost\n\n" ..
                    "Made With\nlibrsvg, SoX, a free MIDI sound font\n" ..
                    "and the fonts Lobster Two, Dosis,\nComic Neue and DejaVu"),
        CreditsPage("Special Thanks\n\nThe Debian project and every\nfree software team whose\nwork we build on\n\n" ..
                    "Our play testers\n\nAnd you, for playing!"),
    },
}
