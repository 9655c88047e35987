-- The scripts' dialect in one file: a generic for over a plain table, continue
-- in every kind of loop, table.getn and the implicit arg of vararg functions.

local Scores = { Ann = 120, Bob = 95, ["Cy D"] = 300 }

function SumScores(scores)
    local total = 0
    for name, score in scores do
        if score < 100 then
            continue
        end
        total = total + score
    end
    return total
end

function CountArgs(...)
    local n = 0
    for i = 1, arg.n do
        if arg[i] == nil then continue end
        n = n + 1
    end
    return n, table.getn(arg)
end

function FirstOver(list, limit)
    local i = 0
    while i < table.getn(list) do
        i = i + 1
        if list[i] <= limit then
            continue
        elseif list[i] > 1000 then
            break
        end
        return list[i]
    end
    local j = 0
    repeat
        j = j + 1
        if j == 2 then continue end
    until j >= 3
    return nil
end

local continue = "a name, not a statement"
local t = { continue = continue, [[long
string with for k, v in t do continue end]], 'quote \' and "', "escape \"\\\" end" }
--[==[ a long comment: while true do continue end ]==]
for k, v in pairs(t) do
    for _, w in { 1, 2, 3 } do
        if w == 2 then continue end
        t[k] = v
    end
end
return SumScores(Scores), CountArgs(1, nil, 3), FirstOver({ 5, 50, 500 }, 10)
