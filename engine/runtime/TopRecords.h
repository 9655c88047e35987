#pragma once

#include "engine/runtime/GameRecords.h"
#include "platform/lua/LuaObject.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class Actor;
class Class;

// A "top ten" list of the game (best scores per player, per game type, per
// level, overall). The game defines the concrete lists; the engine finds them
// by key, tells them of records and shows them in views.
class TopRecordsList : public GameRecordObserver
{
public:
    ~TopRecordsList() override = default;

    // The main key, under which the manager files the list.
    virtual std::string GetKey() const = 0;
    // Further keys under which the list is also found.
    virtual void GetAlternateKeys(std::vector<std::string>& keys) const = 0;
    // New actors for a view: the title, and the row of entry index (0-based).
    virtual Actor* CreateTitleActor() = 0;
    virtual Actor* CreateRowActor(int index) = 0;
    virtual int GetNumRecords() const = 0;
    // Nothing to show (say, its player slot is empty).
    virtual bool IsSkippable() const = 0;
    virtual bool MatchesKey(const std::string& key) const = 0;
    virtual void ClearRecords() = 0;
    virtual GameRecord GetRecord(int index) const = 0;
    // Whether a newly added record belongs in this list.
    virtual bool AcceptsRecord(uint32_t tag, const LuaObject& table) const = 0;
    // A record notice with the record's table already at hand: the manager
    // looks it up once for all its lists.
    virtual void OnGameRecordAdded(uint32_t tag, GameRecordGuid guid, const LuaObject&) { OnGameRecordAdded(tag, guid); }
    using GameRecordObserver::OnGameRecordAdded;
};

// A list whose entries are game records (the cards keep what these hold).
class TopGameRecordsList : public TopRecordsList
{
};

// The shared layout of the game's record lists: up to ten entries kept in the
// order of a comparison, an optional extra filter asked after the list's own
// AcceptsRecord, and the class of the row actors that show entries.
class AbstractTopGameRecordsList : public TopGameRecordsList
{
public:
    static constexpr int kMaxRecords = 10;

    // True when a ranks before b.
    using Comparison = std::function<bool(const GameRecord& a, const GameRecord& b)>;
    // False refuses the record.
    using Filter = std::function<bool(const GameRecord& record)>;

    AbstractTopGameRecordsList(Class* rowClass, Comparison comparison, Filter extraFilter);

    int GetNumRecords() const override { return static_cast<int>(m_Entries.size()); }
    void ClearRecords() override { m_Entries.clear(); }
    GameRecord GetRecord(int index) const override;

    // An accepted record joins the entries, which are sorted again (a record
    // that ties keeps its place behind the older ones) and cut to ten.
    void OnGameRecordAdded(uint32_t tag, GameRecordGuid guid) override;
    void OnGameRecordAdded(uint32_t tag, GameRecordGuid guid, const LuaObject& table) override;
    void OnGameRecordRemoved(GameRecordGuid guid) override;

    Class* GetRowClass() const { return m_RowClass; }

protected:
    std::vector<GameRecord> m_Entries;
    Class* m_RowClass;
    Comparison m_Comparison;
    Filter m_ExtraFilter;
};

// Owns every top-records list, files them under their keys, finds a list by
// key and passes every record notice on to them. The application owns the one
// instance, made after the game-record manager.
class TopRecordsManager : public GameRecordObserver
{
public:
    TopRecordsManager();
    TopRecordsManager(const TopRecordsManager&) = delete;
    TopRecordsManager& operator=(const TopRecordsManager&) = delete;
    ~TopRecordsManager() override;

    static TopRecordsManager* GetInstance();

    // Takes the list and files it under its main and alternate keys.
    void AddList(TopRecordsList* list);
    // Files every list's keys again (players changed), then drops the records
    // of players who are gone.
    void ResetLists();
    // The list answering to the key; an assertion failure when none does.
    TopRecordsList* GetList(const std::string& key);
    // Appends every list, in the order added.
    void GetLists(std::vector<TopRecordsList*>& lists) const;

    void OnGameRecordAdded(uint32_t tag, GameRecordGuid guid) override;
    void OnGameRecordRemoved(GameRecordGuid guid) override;

private:
    void FileKeys(TopRecordsList* list);

    std::vector<std::unique_ptr<TopRecordsList>> m_Lists;
    // Key text -> list; a cache, entries found by search join it.
    std::map<std::string, TopRecordsList*> m_Keys;
};
