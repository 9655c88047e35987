-- The scores that fill the high-score tables before anyone has played, for the
-- dummy players -1 to -4. Each record gets the next negative game guid.

local last_game_guid = 0

local function NextGameGuid()
    last_game_guid = last_game_guid - 1
    return last_game_guid
end

local function Score(player_guid, game_mode, total_score, percentage)
    return {
        total_score = total_score,
        player_guid = player_guid,
        game_guid = NextGameGuid(),
        game_mode = game_mode,
        date = 0,
        percentage = percentage,
    }
end

local function Word(player_guid, game_mode, word, word_score)
    return {
        word = word,
        word_score = word_score,
        game_guid = NextGameGuid(),
        player_guid = player_guid,
        game_mode = game_mode,
    }
end

DummyHighScores = {
    Score(-1, "Solitaire", 52000, 88),
    Score(-2, "Solitaire", 47500, 81),
    Score(-3, "Solitaire", 43000, 76),
    Score(-4, "Solitaire", 39000, 72),
    Score(-1, "Solitaire", 35500, 68),
    Score(-2, "Solitaire", 31000, 63),
    Score(-3, "Solitaire", 27500, 59),
    Score(-4, "Solitaire", 24000, 54),
    Score(-1, "Solitaire", 20500, 50),
    Score(-2, "Solitaire", 17000, 45),
    Score(-3, "Solitaire", 14000, 41),
    Score(-4, "Compete", 61000, 90),
    Score(-3, "Compete", 55000, 84),
    Score(-2, "Compete", 50500, 79),
    Score(-1, "Compete", 46000, 74),
    Score(-4, "Compete", 41500, 70),
    Score(-3, "Compete", 37000, 65),
    Score(-2, "Compete", 33000, 61),
    Score(-1, "Compete", 29000, 56),
    Score(-4, "Compete", 25500, 52),
    Score(-3, "Compete", 21500, 47),
    Score(-2, "Compete", 18000, 43),
    Score(-1, "Blast", 70000, 0),
    Score(-2, "Blast", 64000, 0),
    Score(-3, "Blast", 58500, 0),
    Score(-4, "Blast", 53000, 0),
    Score(-1, "Blast", 47500, 0),
    Score(-2, "Blast", 42000, 0),
    Score(-3, "Blast", 37000, 0),
    Score(-4, "Blast", 32000, 0),
    Score(-1, "Blast", 27000, 0),
    Score(-2, "Blast", 22500, 0),
}

DummyWordScores = {
    Word(-1, "Solitaire", "TREASURE", 96),
    Word(-2, "Solitaire", "CHERUB", 72),
    Word(-3, "Solitaire", "BINGO", 55),
    Word(-4, "Solitaire", "REEL", 38),
    Word(-2, "Compete", "PIRATES", 88),
    Word(-3, "Compete", "JOKER", 64),
    Word(-4, "Compete", "LUCKY", 51),
    Word(-1, "Compete", "SPIN", 34),
    Word(-3, "Blast", "WOPPLE", 80),
    Word(-4, "Blast", "BONUS", 60),
    Word(-1, "Blast", "STARS", 48),
    Word(-2, "Blast", "GEMS", 30),
}
