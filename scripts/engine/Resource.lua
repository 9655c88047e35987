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

-- Fills every key the table lacks (or holds as false) from its flattened list;
-- among the inherited tables the first visited wins.
function flattenObject(object)
    for key, value in resourceContentIter(object) do
        if not rawget(object, key) then
            rawset(object, key, value)
        end
    end
    return object
end

-- Deep equality; a table with an __eq metamethod compares by it.
function isEqual(a, b)
    if type(a) ~= "table" or type(b) ~= "table" then
        return a == b
    end
    local metatable = getmetatable(a)
    if metatable ~= nil and metatable.__eq ~= nil then
        return metatable.__eq(a, b)
    end
    local countA = 0
    for key, value in pairs(a) do
        countA = countA + 1
        if not isEqual(value, rawget(b, key)) then
            return false
        end
    end
    local countB = 0
    for _ in pairs(b) do
        countB = countB + 1
    end
    return countB <= countA
end

-- Names of the templates a tree inherits from, depth first, "resource" before
-- "resources", at most depth levels deep (-1: no limit).
function getResourceTreeParents(tree, depth, output)
    output = output or {}
    depth = depth or -1
    if depth == 0 then
        return output
    end
    local function visit(name)
        table.insert(output, name)
        local template = Resources[name]
        if type(template) == "table" then
            getResourceTreeParents(template, depth - 1, output)
        end
    end
    if tree.resource ~= nil then
        visit(tree.resource)
    end
    local resources = tree.resources
    if resources ~= nil then
        if type(resources) == "string" then
            visit(resources)
        else
            assert(type(resources) == "table", "\"resources\" must be a name or a list of names")
            for _, name in ipairs(resources) do
                visit(name)
            end
        end
    end
    return output
end

local function logReduction(label, value)
    logprint(label)
    Serialize(value)
end

-- Removes from p every entry equal to what p would inherit anyway, so that
-- what is saved is only what differs from the templates.
function reduceProperties(p)
    local debug = DebugPropertyReducer == true
    if debug then
        logprint(string.rep("#", 60))
        logReduction("propertiesToReduce = ", p)
    end
    local resList = buildFlattenedResourceList(p)
    local reference = nil
    local classes = findKeysInResourceTree("class", p)
    local numClasses = table.getn(classes)
    if numClasses > 0 then
        local classEntry = Classes[classes[numClasses]]
        if classEntry ~= nil and classEntry:canInstantiate() then
            reference = getPropertiesFromClassAndResourceNames(classes[numClasses], getResourceTreeParents(p, 1))
            reference.resources = nil
            reference.resource = nil
            reference.class = nil
        end
    end
    if reference == nil then
        if table.getn(resList) <= 1 then
            return p
        end
        reference = {}
        for i = 1, table.getn(resList) - 1 do
            for key, value in pairs(resList[i]) do
                reference[key] = value
            end
        end
    end
    if debug then
        logprint(string.rep("-", 60))
        logReduction("items to remove, if equal = ", reference)
    end
    local removed = {}
    for key, value in pairs(p) do
        if isEqual(value, reference[key]) then
            removed[key] = value
        end
    end
    for key in pairs(removed) do
        p[key] = nil
    end
    if debug then
        logprint(string.rep("-", 60))
        logReduction("properties removed from resPropList = ", removed)
        logReduction("reduced = ", p)
        logprint(string.rep("#", 60))
    end
    return p
end

-- Every value stored under the key anywhere in the nested tables, a table's
-- own before its nested ones'.
function findKeysInTree(key, tree, output, visited)
    output = output or {}
    visited = visited or {}
    if type(tree) ~= "table" or visited[tree] then
        return output
    end
    visited[tree] = true
    local own = rawget(tree, key)
    if own ~= nil then
        table.insert(output, own)
    end
    for _, value in pairs(tree) do
        if type(value) == "table" then
            findKeysInTree(key, value, output, visited)
        end
    end
    return output
end

-- The values of nested lists, in order, as one list.
function flattenList(list, output)
    output = output or {}
    for _, value in ipairs(list) do
        if type(value) == "table" then
            flattenList(value, output)
        else
            table.insert(output, value)
        end
    end
    return output
end

-- The values under the key in every "resourceMetadata" of the tree, as one list.
function findKeysInResourceMetadata(key, tree)
    local values = {}
    for _, metadata in ipairs(findKeysInResourceTree("resourceMetadata", tree)) do
        if type(metadata) == "table" and metadata[key] ~= nil then
            table.insert(values, metadata[key])
        end
    end
    return flattenList(values)
end

-- The "categories" of a template's "resourceMetadata"; filter, when given,
-- keeps a category when it returns true.
function getCategoriesFromResourceTree(tree, filter)
    local result = {}
    local metadata = tree.resourceMetadata
    if type(metadata) ~= "table" or type(metadata.categories) ~= "table" then
        return result
    end
    for _, category in ipairs(metadata.categories) do
        if filter == nil or filter(category) then
            table.insert(result, category)
        end
    end
    return result
end

function getCategoriesFromNamedResource(name, filter)
    local template = Resources[name]
    if type(template) ~= "table" then
        return
    end
    return getCategoriesFromResourceTree(template, filter)
end

-- The template list the object would record from these properties (as the
-- engine records "resource" or "resources").
local function templateListOf(properties)
    if properties.resource ~= nil then
        return { properties.resource }
    end
    local resources = properties.resources
    if type(resources) == "string" then
        return { resources }
    elseif type(resources) == "table" then
        return resources
    end
    return {}
end

function objectPropertiesRequireObjectRecreation(object, properties)
    local newList = templateListOf(properties)
    local oldList = object.resources
    if type(oldList) == "string" then
        oldList = { oldList }
    elseif type(oldList) ~= "table" then
        oldList = {}
    end
    if table.getn(newList) ~= table.getn(oldList) then
        return true
    end
    for i, name in ipairs(newList) do
        if oldList[i] ~= name then
            return true
        end
    end
    return false
end

-- The template list after adding newName: a template of a category that
-- allows only one takes the place of the first template sharing it, and later
-- ones sharing it go.
function getNewResourceList(oldList, newName)
    if oldList == nil then
        return { newName }
    end
    local function allowsOne(category)
        if CategoryMetadata == nil or CategoryMetadata[category] == nil then
            return true
        end
        return not CategoryMetadata[category].allowMultiple
    end
    local newCategories = {}
    for _, category in ipairs(getCategoriesFromNamedResource(newName, allowsOne) or {}) do
        newCategories[category] = true
    end
    local result = {}
    local placed = false
    for _, oldName in ipairs(oldList) do
        assert(type(oldName) == "string", "A resource list may hold only names")
        if oldName == newName then
            if not placed then
                table.insert(result, oldName)
                placed = true
            end
        else
            local shares = false
            for _, category in ipairs(getCategoriesFromNamedResource(oldName) or {}) do
                if newCategories[category] then
                    shares = true
                    break
                end
            end
            if not shares then
                table.insert(result, oldName)
            elseif not placed then
                table.insert(result, newName)
                placed = true
            end
        end
    end
    if not placed then
        table.insert(result, newName)
    end
    return result
end

-- Splits a list of tables into the pairs all of them share (common), what
-- each has of its own (specifics), and the keys that differ (isSpecific).
function separateTables(input)
    local common, specifics, isSpecific = {}, {}, {}
    for i, t in ipairs(input) do
        specifics[i] = {}
        if i == 1 then
            for key, value in pairs(t) do
                common[key] = value
            end
        else
            local lost = {}
            for key, value in pairs(common) do
                local own = rawget(t, key)
                if own == nil or not isEqual(value, own) then
                    table.insert(lost, key)
                end
            end
            for _, key in ipairs(lost) do
                for j = 1, i - 1 do
                    specifics[j][key] = common[key]
                end
                common[key] = nil
                isSpecific[key] = true
            end
            for key, value in pairs(t) do
                if common[key] == nil then
                    isSpecific[key] = true
                    specifics[i][key] = value
                end
            end
        end
    end
    -- A lone table has nothing to differ from: all of it is common.
    return common, specifics, isSpecific
end

-- One table per specifics entry: its own pairs, then the common ones (which win).
function combineSeparatedTables(common, specifics)
    local result = {}
    for i, own in ipairs(specifics) do
        local t = {}
        for key, value in pairs(own) do
            t[key] = value
        end
        for key, value in pairs(common) do
            t[key] = value
        end
        result[i] = t
    end
    return result
end

local function resourceListOf(t)
    local resources = t.resources
    if type(resources) == "string" then
        return { resources }
    elseif type(resources) == "table" then
        return resources
    end
    return {}
end

local function listContains(list, name)
    for _, value in ipairs(list) do
        if value == name then
            return true
        end
    end
    return false
end

-- As separateTables, with the "resources" lists taken as sets of names.
function separateResourceTrees(input)
    local copies = {}
    for i, t in ipairs(input) do
        local copy = {}
        for key, value in pairs(t) do
            if key ~= "resources" then
                copy[key] = value
            end
        end
        copies[i] = copy
    end
    local common, specifics, isSpecific = separateTables(copies)
    local count = table.getn(input)
    local commonNames = {}
    if count > 0 then
        for _, name in ipairs(resourceListOf(input[1])) do
            local inAll = true
            for i = 2, count do
                if not listContains(resourceListOf(input[i]), name) then
                    inAll = false
                    break
                end
            end
            if inAll and not listContains(commonNames, name) then
                table.insert(commonNames, name)
            end
        end
    end
    for i = 1, count do
        local own = {}
        for _, name in ipairs(resourceListOf(input[i])) do
            if not listContains(commonNames, name) then
                table.insert(own, name)
            end
        end
        if table.getn(own) > 0 then
            specifics[i].resources = own
            isSpecific.resources = true
        end
    end
    if table.getn(commonNames) > 0 then
        common.resources = commonNames
    end
    return common, specifics, isSpecific
end

function combineSeparatedResourceTrees(common, specifics)
    local combined = combineSeparatedTables(common, specifics)
    for i, t in ipairs(combined) do
        local names = {}
        for _, name in ipairs(resourceListOf(common)) do
            if not listContains(names, name) then
                table.insert(names, name)
            end
        end
        for _, name in ipairs(resourceListOf(specifics[i])) do
            if not listContains(names, name) then
                table.insert(names, name)
            end
        end
        if table.getn(names) > 0 then
            t.resources = names
        else
            t.resources = nil
        end
    end
    return combined
end
