-- Game records on the cards of their players.

function IsGameGuidInTable(game_guid, game_record_table)
    for _, record in ipairs(game_record_table) do
        if record.guid == game_guid then
            return true
        end
    end
    return false
end

function PlayerManager_AddRecordToCard(game_record)
    assert(type(game_record) == "table", "PlayerManager_AddRecordToCard expects a record table.")
    local player = GetPlayerWithGuid(game_record.player_guid)
    assert(type(player) == "table", "The record's player was not found.")
    assert(type(player.Game_Records) == "table", "The record's player has no Game_Records table.")
    if not IsGameGuidInTable(game_record.guid, player.Game_Records) then
        table.insert(player.Game_Records, game_record)
    end
end
