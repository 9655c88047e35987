-- The particle system's templates: a particle, a particle template, and the
-- emitters. Effects derive from "IdenticalParticleEmitter" and give their
-- "particleTemplate", "numParticles", "emitCount" and "interval".

Resources.Particle = Resources.Actor:new{
    class = "Particle",
    alpha = 1.0,
    alphaStep = 0.0,
    lifetime = 1000,
    position = { 0.0, 0.0 },
    velocity = { 0.0, 0.0 },
    acceleration = { 0.0, 0.0 },
    rotationStep = 0.0,
    destAlpha = 1.0,
}

Resources.ParticleTemplate = Resources.Object:new{
    class = "ParticleTemplate",
    lifetime = 1000,
    alpha = 1.0,
    destAlpha = 1.0,
    size = { 0, 0 },
    velocity = { 0.0, 0.0 },
    acceleration = { 0.0, 0.0 },
    color = "White",
    image = "",
    randomizedVelocity = false,
    randomizedPosition = false,
    randomizedImage = {},
    position = { 0.0, 0.0 },
}

Resources.ParticleEmitter = Resources.Actor:new{
    class = "ParticleEmitter",
    emitCount = 1000,
    interval = 10,
    destroyWhenStopped = false,
    delay = 0,
}

Resources.IdenticalParticleEmitter = Resources.ParticleEmitter:new{
    class = "IdenticalParticleEmitter",
    particleTemplate = {},
}

Resources.BufferedIdenticalParticleEmitter = Resources.IdenticalParticleEmitter:new{
    class = "BufferedIdenticalParticleEmitter",
    particleTemplate = {},
}
