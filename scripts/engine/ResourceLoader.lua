-- The resource template model: the root template and how templates combine.
Load("Object.lua")
Load("Resource.lua")
Load("Font.lua")
