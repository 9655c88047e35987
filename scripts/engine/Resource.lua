-- How resource templates combine: the order in which inherited values are
-- visited, and how a property table is applied to an engine object.

local function flattenNamedResource(name, out)
    local template = Resources[name]
    assert(type(template) == "table", "No resource template named " .. tostring(name))
    buildFlattenedResourceList(template, out)
end

-- Class defaults, then the "resource" template, then the "resources"
-- templates in order (each flattened the same way), then the table itself.
function buildFlattenedResourceList(resource, out)
    out = out or {}
    if resource.class ~= nil then
        local classEntry = Classes[resource.class]
        assert(classEntry ~= nil, "Unknown class in resource tree: " .. tostring(resource.class))
        if classEntry.defaults ~= nil then
            table.insert(out, classEntry.defaults)
        end
    end
    if resource.resource ~= nil then
        flattenNamedResource(resource.resource, out)
    end
    local resources = resource.resources
    if type(resources) == "string" then
        flattenNamedResource(resources, out)
    elseif type(resources) == "table" then
        for _, name in ipairs(resources) do
            flattenNamedResource(name, out)
        end
    end
    table.insert(out, resource)
    return out
end

-- Every key/value pair of the flattened list, table by table.
function resourceContentIter(resource, resList)
    resList = resList or buildFlattenedResourceList(resource)
    local index, key = 1, nil
    return function()
        while resList[index] ~= nil do
            local value
            key, value = next(resList[index], key)
            if key ~= nil then
                return key, value
            end
            index = index + 1
        end
        return nil
    end
end

-- Every value stored under the key along the flattened list, in visiting order.
function findKeysInResourceTree(key, tree)
    local found = {}
    for _, t in ipairs(buildFlattenedResourceList(tree)) do
        local value = rawget(t, key)
        if value ~= nil then
            table.insert(found, value)
        end
    end
    return found
end

-- "resource" and "resources" first, then every other entry.
function propertyIter(properties)
    local first = { "resource", "resources" }
    local firstIndex, key = 1, nil
    return function()
        while firstIndex <= table.getn(first) do
            local name = first[firstIndex]
            firstIndex = firstIndex + 1
            if properties[name] ~= nil then
                return name, properties[name]
            end
        end
        repeat
            key = next(properties, key)
        until key ~= "resource" and key ~= "resources"
        if key == nil then
            return nil
        end
        return key, properties[key]
    end
end

function applyPropertiesToObject(object, properties)
    for key, value in propertyIter(properties) do
        object[key] = value
    end
end
