#pragma once

#include "engine/core/Object.h"
#include "platform/lua/LuaObject.h"

// The application-wide high-score tables in the script global HighScores: top
// scores per game mode, top percentages, top words by score and by length, and
// the ratings list. They are seeded with dummy scores and live only in the
// script state. The application owns the one instance.
class HighScoreManager : public Object
{
public:
    // Runs "HighScoreManager.lua", then clears the tables.
    HighScoreManager();
    ~HighScoreManager() override;

    static HighScoreManager* GetInstance();

    // Empty tables again, seeded with the dummy scores.
    void ClearHighScores();
    // Runs "DummyHighScores.lua" and adds its score and word records.
    void AddDummyScores();
    // Into the list of the record's game mode ("Solitaire" -> SolitaireScores)
    // by total_score and, unless the mode is "Blast", into Percentages by
    // percentage; a record already listed there is not added again.
    void AddScoreRecord(const LuaObject& record, bool rebuildRatings);
    // Into WordsByScore and WordsByLength; a missing word_length is set from
    // the byte length of the word first.
    void AddWordRecord(const LuaObject& wordRecord);
    void RebuildRatingsList();

    LuaObject GetHighScores() const { return m_HighScores; }

private:
    LuaState m_State;
    LuaObject m_HighScores;
};
