-- The root of the resource templates. Every template is a table in Resources;
-- Resources.X:new(t) makes t inherit X's keys through its metatable.

Resources = Resources or {}

Resources.Object = { class = "Object", handle = nil }

function Resources.Object:new(obj)
    obj = obj or {}
    setmetatable(obj, { __index = self })
    return obj
end

-- A template bound to an engine object through its "handle" reads and writes
-- through it, and keeps its own copy of every value set.
function Resources.Object:set(key, value)
    assert(key ~= nil and value ~= nil, "nil value passed for key " .. tostring(key))
    if self.handle then
        self.handle[key] = value
        print(tostring(self.class) .. ".handle." .. tostring(key) .. " set ")
    end
    rawset(self, key, value)
    print(tostring(self.class) .. "." .. tostring(key) .. " set")
end

function Resources.Object:get(key)
    if self.handle then
        print("returning " .. tostring(self.class) .. ".handle." .. tostring(key))
        return self.handle[key]
    end
    print("handle == nil returning " .. tostring(self.class) .. "." .. tostring(key))
    return self[key]
end

function Resources.Object:attach(obj)
    assert(type(obj) == "userdata", "Error: Can only attach userdata to Objects")
    rawset(self, "handle", obj)
end

function Resources.Object:detach()
    rawset(self, "handle", nil)
end

function Resources.Object:create()
    self:attach(CreateObject(self))
end

function Resources.Object:destroy()
    self:detach()
end
