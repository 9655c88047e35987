-- The talking characters: the cherub girl who explains the rules, the cherub
-- with the bucket who pops up with the longer explanations, and the pirate of
-- the duel. The girl is drawn in layers of one size (body, feet, head, and on
-- the head her mouth, eyelids and tear); her mouth is a strip of faces. The
-- cherub and the pirate are each one strip of poses whose metadata holds
-- their animations (idle or calm, babble, and the cherub's popOut and popIn).
-- The scripts below make them talk.

Scripts = Scripts or {}

-- What every character shares; the template names its own pictures and voices.
Resources.WoppleCharacter = Resources.Actor:new{
    class = "WoppleCharacter",
    color = false,
    useFrames = false,
    pressUpOnMouseLeave = true,
    bubbleType = 2,
    bubbleAlignment = Resources.RectAlignment.MidBottom,
    bubbleAlignTo = Resources.RectAlignment.MidTop,
    bubbleAlignmentOffset = { 0, 0 },
    bubblePosition = { -1, -1 },
    clickSound = "",
    mouthDelayMin = 50,
    mouthDelayMax = 75,
    babbleAmount = 5,
}

-- A layer of the girl: her full size, at her corner.
local function GirlPart(image, zorder, fields)
    local part = {
        image = image,
        alignment = Resources.RectAlignment.TopLeft,
        alignTo = Resources.RectAlignment.TopLeft,
        zorder = zorder,
    }
    for key, value in pairs(fields or {}) do
        part[key] = value
    end
    return Resources.Actor:new(part)
end

-- Her mouth's frames: 0 at rest, 1 to 3 babbling, 4 the big smile, 5 sad, 6 scared.
Resources.CherubGirlCharacter = Resources.WoppleCharacter:new{
    resource = "WoppleCharacter",
    size = { 152, 225 },
    giggleSounds = { "girl_giggle1.ogg", "girl_giggle2.ogg" },
    crySound = "girl_cry.ogg",
    scaredSound = "girl_scared.ogg",
    happySound = "girl_happy.ogg",
    babbleSounds = { "girl_babble1.ogg", "girl_babble2.ogg", "girl_babble3.ogg" },
    clickSounds = { "girl_giggle1.ogg", "girl_giggle2.ogg" },
    scripts = { "BlinkingEyes1" },
    children = {
        Body = GirlPart("girl_body.png", 1),
        LeftFoot = GirlPart("girl_foot_left.png", 2),
        RightFoot = GirlPart("girl_foot_right.png", 2),
        Head = GirlPart("girl_head.png", 3, {
            children = {
                mouth = GirlPart("girl_mouth.png", 1, {
                    mouthImages = { 1, 2, 3 },
                    mouthDelayMin = 50,
                    mouthDelayMax = 75,
                    babbleAmount = 5,
                    smileImage = 4,
                }),
                eyeLids = GirlPart("girl_eyelids.png", 2, { visible = false }),
                tear = GirlPart("girl_tear.png", 3, { visible = false }),
            },
        }),
    },
    restImage = 0,
    smileImage = 4,
    cryImage = 5,
    scaredImage = 6,
}

-- He sits in his bucket and pops out of it to speak; his bubble keeps clear
-- of his curls. Frames: 0 only the bucket, 1 peeking, 2 out, 3 "ah", 4 "oh",
-- 5 laughing, 6 blinking.
Resources.GuyCherubCharacter = Resources.WoppleCharacter:new{
    resource = "WoppleCharacter",
    image = "cherub_bucket.png",
    size = { 110, 130 },
    bubbleAlignmentOffset = { 0, -10 },
    idleAnimation = "idle",
    babbleAnimation = "babble",
    popOutAnimation = "popOut",
    popInAnimation = "popIn",
    babbleSounds = { "cherub_babble1.ogg", "cherub_babble2.ogg", "cherub_babble3.ogg" },
    clickSounds = { "cherub_babble3.ogg" },
    visible = false,
}

-- Frames: 0 calm, 1 "ah", 2 "oh", 3 laughing, 4 blinking, 5 sulking.
Resources.PirateCalm = Resources.WoppleCharacter:new{
    resource = "WoppleCharacter",
    image = "pirate.png",
    size = { 120, 160 },
    idleAnimation = "calm",
    babbleAnimation = "babble",
}

Resources.PirateCharacter = Resources.PirateCalm:new{
    resource = "PirateCalm",
    bubbleAlignmentOffset = { 3, 0 },
    babbleSounds = { "pirate_babble1.ogg", "pirate_babble2.ogg", "pirate_babble3.ogg" },
    clickSounds = { "pirate15.ogg", "pirate26.ogg" },
}

-- ---------------------------------------------------------------- talking

local function RandomOf(list)
    if type(list) ~= "table" or table.getn(list) == 0 then
        return nil
    end
    return list[math.random(1, table.getn(list))]
end

-- A face of the mouth: a frame of its strip, or a picture of its own.
local function SetFace(mouth, face)
    if type(face) == "number" then
        mouth.frame = face
    elseif type(face) == "string" then
        mouth.image = face
    end
end

local function Loop(character, key)
    local name = character[key]
    if name then
        character.loopAnimation = name
    end
end

-- The eyes close for a moment.
local function Blink(character)
    local lids = character:FindChild("eyeLids", true)
    if not lids then
        return
    end
    lids:SetVisible(false)
    ScriptDelay(150)
    lids:SetVisible(true)
    ScriptDelay(100)
    lids:SetVisible(false)
end

-- Mouths while the sound plays (or a few times without one), then the smile.
local function Babble(character, sound)
    Loop(character, "babbleAnimation")
    local mouth = character:FindChild("mouth", true)
    local times = mouth and mouth.babbleAmount or character.babbleAmount or 5
    local n = 0
    while (sound and IsPlaying(sound)) or n < times do
        if mouth and mouth.mouthImages then
            SetFace(mouth, RandomOf(mouth.mouthImages))
        end
        ScriptDelay(math.random(mouth and mouth.mouthDelayMin or 50, mouth and mouth.mouthDelayMax or 75))
        n = n + 1
    end
    if mouth and mouth.smileImage then
        SetFace(mouth, mouth.smileImage)
    end
    Loop(character, "idleAnimation")
end

-- Every speech shows the tear or hides it: a sad one cut off by the next
-- speech would otherwise leave her crying through it.
local function Talk(character, text, time, sound, font, face, crying)
    if sound and sound ~= "" then
        PlaySound(sound)
    else
        sound = nil
    end
    character.isActing = true
    local tear = character:FindChild("tear", true)
    if tear then
        tear:SetVisible(crying == true)
    end
    local mouth = character:FindChild("mouth", true)
    if face and mouth then
        SetFace(mouth, face)
    end
    character:Say(text, time, nil, font)
    Blink(character)
    Babble(character, sound)
    while character:IsBubbleVisible() do
        ScriptBreak()
    end
    character.isActing = false
    if tear then
        tear:SetVisible(false)
    end
    if mouth then
        SetFace(mouth, character.restImage)
    end
end

-- Says the text for `time` ms with a babble, and returns when the bubble has gone.
function SayAndBabble(character, text, time, makeSound, font)
    Talk(character, text, time, makeSound or RandomOf(character.babbleSounds), font)
end

function PirateSayAndBabble(character, text, time, makeSound, font)
    Talk(character, text, time, makeSound or RandomOf(character.babbleSounds), font)
end

function SayAndWait(character, text, time)
    Talk(character, text, time, RandomOf(character.babbleSounds))
end

function SadSayAndWait(character, text, time)
    Talk(character, text, time, character.crySound, nil, character.cryImage, true)
end

function ScaredSayAndWait(character, text, time)
    Talk(character, text, time, character.scaredSound, nil, character.scaredImage)
end

function HappySayAndWait(character, text, time)
    Talk(character, text, time, character.happySound, nil, character.smileImage)
end

function SmileSayAndWait(character, text, time)
    Talk(character, text, time, nil, nil, character.smileImage)
end

-- ---------------------------------------------------------------- looks

function Scripts.Babble(character)
    Babble(character, RandomOf(character.babbleSounds))
end

-- The bucket cherub climbs out of his bucket, or ducks back in; a pose
-- lasts 100 ms.
function Scripts.GuyCherubPopOut(character)
    character:SetVisible(true)
    if character.popOutAnimation then
        character.playAnimation = character.popOutAnimation
        ScriptDelay(300)
    end
    Loop(character, "idleAnimation")
end

function Scripts.GuyCherubPopIn(character)
    character:CloseBubble()
    if character.popInAnimation then
        character.playAnimation = character.popInAnimation
        ScriptDelay(300)
    end
    character:SetVisible(false)
end

function Scripts.BlinkingEyes1(character)
    while true do
        ScriptDelay(math.random(2500, 5000))
        Blink(character)
    end
end

-- ---------------------------------------------------------------- the girl's words

-- As the lever first comes out, and when the player pokes her.
function Scripts.SayGOODLUCK(character)
    SmileSayAndWait(character, "Good luck!", 3000)
end

function Scripts.SayCLICKEDME(character)
    HappySayAndWait(character, "Hee hee! That tickles!", 3000)
end

-- ---------------------------------------------------------------- what scoring brings

-- Lines said over the board: run on the root actor with the speaker.
local function SaidOverBoard(say, text, time)
    return function(root, character)
        if character then
            say(character, text, time or 3000)
        end
    end
end

Scripts.SayFOUND_FREE_SPIN = SaidOverBoard(HappySayAndWait, "A free spin! It waits in your bar.")
Scripts.SayFOUND_GOLD_COIN = SaidOverBoard(HappySayAndWait, "Ooh, a gold coin!")
Scripts.SayFOUND_SECRET_KEY = SaidOverBoard(HappySayAndWait, "You found the secret key!")
Scripts.SaySCORE_MULTIPLIER_CELL_FOUND = SaidOverBoard(HappySayAndWait, "A multiplier! Every point counts more now.")
Scripts.SayDEVIL_PROTECTION_ACQUIRED = SaidOverBoard(HappySayAndWait, "A cherub will keep the next devil away!")
Scripts.SayWOPPLE_VISION_ACQUIRED = SaidOverBoard(HappySayAndWait, "Wopple Vision! Watch the glowing numbers.")
Scripts.SayCHERUB_DOUBLED_SCORE = SaidOverBoard(HappySayAndWait, "The cherub doubled your score!")

function Scripts.SayGotFirstWopple(character)
    HappySayAndWait(character, "Your first Wopple! Lines of five score big.", 3500)
end

function Scripts.SayGotFirstBounceWopple(character)
    HappySayAndWait(character, "A bouncing Wopple! It turned off the edge.", 3500)
end

function Scripts.SayGotFirstSuperWopple(character)
    HappySayAndWait(character, "A Super Wopple, right across two boards!", 3500)
end

-- The girl's face while the devil and the cherub play out.
local function Reaction(faceKey, time)
    return function(girl)
        local mouth = girl:FindChild("mouth", true)
        if mouth and girl[faceKey] then
            SetFace(mouth, girl[faceKey])
        end
        ScriptDelay(time)
        if mouth and girl.restImage then
            SetFace(mouth, girl.restImage)
        end
    end
end

Scripts.GirlGiggle = Reaction("smileImage", 1200)
Scripts.GirlScared = Reaction("scaredImage", 1500)
Scripts.GirlCry = Reaction("cryImage", 1500)
-- Through a turn.
function Scripts.SayGotFirstOne(character)
    HappySayAndWait(character, "You got your first one!", 2500)
end

function Scripts.SayNoMatches(character)
    SadSayAndWait(character, "No matches this time.", 2000)
end

function Scripts.SayTIME_RAN_OUT(character)
    ScaredSayAndWait(character, "Oh no, time ran out!", 2000)
end

function Scripts.SayYOU_CAN_DO_IT(character)
    SmileSayAndWait(character, "Last spin. You can do it!", 2500)
end

-- These run on the game's root actor, with the girl to speak.
function Scripts.SayGREAT_TURN(root, character)
    HappySayAndWait(character, "Great turn!", 2000)
end

function Scripts.SayWOPPLE_VISION_RAN_OUT(root, character)
    SayAndWait(character, "Wopple Vision has run out.", 2500)
end

-- ---------------------------------------------------------------- the end of a round and the bonuses

-- Run on the game's root actor, with the girl to speak.
function Scripts.SayWOW(root, character)
    HappySayAndWait(character, "WOW! A full card!", 3000)
end

function Scripts.SayGREAT_JOB(root, character)
    HappySayAndWait(character, "Great job!", 3000)
end

function Scripts.SayDidNotCompleteLevel(character)
    SadSayAndWait(character, "So close! Try again?", 3000)
end

function Scripts.SayJOKER_BONUS_ACQUIRED(character, text)
    HappySayAndWait(character, text or "A joker bonus!", 3000)
end

function Scripts.SayLevelIntroCharacterText(character, text)
    SmileSayAndWait(character, text, 4000)
end

function Scripts.SayPATTERN_COMPLETED(character)
    HappySayAndWait(character, "You completed the pattern!", 3000)
end

function Scripts.SayCellJoker(character)
    SmileSayAndWait(character, "A joker! Click any number you like.", 3000)
end

function Scripts.SaySuperJoker(character)
    SmileSayAndWait(character, "A super joker! Pick any number on a board.", 3000)
end

function Scripts.SayBUTTERFLY_WOPPLE(character)
    HappySayAndWait(character, "A butterfly flew out of the box!", 3000)
end

function Scripts.SayBONUS_FROG(character)
    HappySayAndWait(character, "You found a bonus frog!", 3000)
end
