-- The game's sparkle bursts, started by name ("PinkBurstEffect" and the
-- others): one emission of particles flying out in every direction from the
-- emitter's centre, fading to nothing over their lifetime. Each is made from
-- Burst, which holds what they share.

-- A burst of numParticles sparkles of the image (or of images picked at
-- random), at a random speed between minRadius and maxRadius pixels a second.
local function Burst(images, lifetime, minRadius, maxRadius, numParticles, acceleration)
    local particleTemplate = {
        lifetime = lifetime,
        position = { 0, 0 },
        alpha = 255,
        destAlpha = 0,
        rotationStep = 360,
        randomizedVelocity = {
            minRadius = minRadius,
            maxRadius = maxRadius,
            minAngle = 0,
            maxAngle = 2 * math.pi,
        },
        acceleration = acceleration,
    }
    if table.getn(images) == 1 then
        particleTemplate.image = images[1]
    else
        particleTemplate.randomizedImage = images
    end
    return Resources.IdenticalParticleEmitter:new{
        particleTemplate = particleTemplate,
        numParticles = numParticles,
        emitCount = 1,
        interval = 100,
    }
end

-- Rainbow and joker bursts fall under their own weight.
local falling = { 0, 250 }
Resources.YellowBurstEffect = Burst({ "sparkle_y.png" }, 500, 50, 150, 25)
Resources.YellowBurstEffectSmall = Burst({ "sparkle_y_small.png" }, 500, 50, 150, 25)
Resources.OrangeBurstEffect = Burst({ "sparkle_o.png" }, 500, 50, 150, 25)
Resources.OrangeBurstEffectSmall = Burst({ "sparkle_o_small.png" }, 500, 50, 150, 25)
Resources.PinkBurstEffect = Burst({ "sparkle_pi.png" }, 500, 50, 150, 25)
Resources.PinkBurstEffectSmall = Burst({ "sparkle_pi_small.png" }, 500, 50, 150, 25)
Resources.RedBurstEffect = Burst({ "sparkle_r.png" }, 500, 50, 150, 25)
Resources.RedBurstEffectSmall = Burst({ "sparkle_r_small.png" }, 500, 50, 150, 25)
Resources.BlueBurstEffect = Burst({ "sparkle_b.png" }, 500, 50, 150, 25)
Resources.BlueBurstEffectSmall = Burst({ "sparkle_b_small.png" }, 500, 50, 150, 25)
Resources.PurpleBurstEffect = Burst({ "sparkle_p.png" }, 500, 50, 150, 25)
Resources.PurpleBurstEffectSmall = Burst({ "sparkle_p_small.png" }, 500, 50, 150, 25)
Resources.GreenBurstEffect = Burst({ "sparkle_g.png" }, 500, 50, 150, 25)
Resources.GreenBurstEffectSmall = Burst({ "sparkle_g_small.png" }, 500, 50, 150, 25)
Resources.WhiteBurstEffect = Burst({ "sparkle_w.png" }, 500, 50, 150, 25)
Resources.WhiteBurstEffectSmall = Burst({ "sparkle_w_small.png" }, 500, 50, 150, 25)
Resources.WhiteBurstEffectSmallLong = Burst({ "sparkle_w_small.png" }, 3000, 50, 150, 25)
Resources.CellWhiteBurstEffect = Burst({ "sparkle_w.png" }, 250, 150, 250, 15)
Resources.CellWhiteBurstEffectSmall = Burst({ "sparkle_w.png" }, 250, 150, 250, 15)
Resources.PinkSmallBurstEffect = Burst({ "sparkle_pink_small.png" }, 250, 250, 250, 25)
Resources.PurpleSmallBurstEffect = Burst({ "sparkle_p_small.png" }, 250, 250, 250, 25)
Resources.RainbowBurstEffect = Burst({
    "sparkle_y.png",
    "sparkle_r.png",
    "sparkle_b.png",
    "sparkle_g.png",
    "sparkle_o.png",
    "sparkle_pi.png",
}, 750, 150, 250, 25, falling)
Resources.RainbowBurstEffectSmall = Burst({
    "sparkle_y_small.png",
    "sparkle_o_small.png",
    "sparkle_b_small.png",
    "sparkle_g_small.png",
    "sparkle_o_small.png",
    "sparkle_pi_small.png",
}, 750, 150, 250, 25, falling)
Resources.RainbowSmallBurstEffect = Burst({
    "sparkle_y_small.png",
    "sparkle_o_small.png",
    "sparkle_pi_small.png",
    "sparkle_r_small.png",
    "sparkle_b_small.png",
    "sparkle_g_small.png",
}, 500, 150, 250, 25, falling)
Resources.JokerBurstEffect = Burst({
    "sparkle_y.png",
    "sparkle_r.png",
    "sparkle_g.png",
}, 750, 150, 250, 25, falling)
Resources.JokerBurstEffectSmall = Burst({
    "sparkle_y_small.png",
    "sparkle_r_small.png",
    "sparkle_g_small.png",
}, 750, 150, 250, 25, falling)
