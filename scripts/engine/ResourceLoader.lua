-- The resource templates: the root template, how templates combine, and the
-- engine's own templates.
Load("Object.lua")
Load("Resource.lua")
Load("Font.lua")
Load("Actor.lua")
Load("Label.lua")
Load("Grid.lua")
Load("Button.lua")
Load("LinearFader.lua")
Load("Particle.lua")
Load("ScoreCounter.lua")
Load("TextBox.lua")
Load("Bubble.lua")
