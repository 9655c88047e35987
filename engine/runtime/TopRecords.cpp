#include "engine/runtime/TopRecords.h"

#include "engine/core/Exception.h"

#include <algorithm>

namespace {

TopRecordsManager* g_TopRecordsManager = nullptr;

} // namespace

// ---------------------------------------------------------------- AbstractTopGameRecordsList

AbstractTopGameRecordsList::AbstractTopGameRecordsList(Class* rowClass, Comparison comparison, Filter extraFilter)
    : m_RowClass(rowClass), m_Comparison(std::move(comparison)), m_ExtraFilter(std::move(extraFilter))
{
    VELK_ASSERT(m_Comparison);
}

GameRecord AbstractTopGameRecordsList::GetRecord(int index) const
{
    VELK_ASSERT(index >= 0 && index < GetNumRecords());
    return m_Entries[static_cast<std::size_t>(index)];
}

void AbstractTopGameRecordsList::OnGameRecordAdded(uint32_t tag, GameRecordGuid guid)
{
    OnGameRecordAdded(tag, guid, GameRecord(tag, guid).GetTable());
}

void AbstractTopGameRecordsList::OnGameRecordAdded(uint32_t tag, GameRecordGuid guid, const LuaObject& table)
{
    GameRecord record(tag, guid);
    // Told twice of one record, a list still shows it once.
    for (const GameRecord& entry : m_Entries)
        if (entry.GetGuid() == guid)
            return;
    // The list's own test first: it turns most records away, and the extra
    // filter looks the record's table up again.
    if (!AcceptsRecord(tag, table))
        return;
    if (m_ExtraFilter && !m_ExtraFilter(record))
        return;
    // The entries are in order already: after the last one it does not beat,
    // as a stable sort of the grown list would place it.
    m_Entries.insert(std::upper_bound(m_Entries.begin(), m_Entries.end(), record, m_Comparison), record);
    if (m_Entries.size() > static_cast<std::size_t>(kMaxRecords))
        m_Entries.resize(kMaxRecords, GameRecord(0, GameRecordGuid{}));
}

void AbstractTopGameRecordsList::OnGameRecordRemoved(GameRecordGuid guid)
{
    for (auto it = m_Entries.rbegin(); it != m_Entries.rend(); ++it) {
        if (it->GetGuid() == guid) {
            m_Entries.erase(std::next(it).base());
            return;
        }
    }
}

// ---------------------------------------------------------------- TopRecordsManager

TopRecordsManager::TopRecordsManager()
{
    VELK_ASSERT(GameRecordManager::GetInstance() != 0);
    GameRecordManager::GetInstance()->AddObserver(this);
    g_TopRecordsManager = this;
}

TopRecordsManager::~TopRecordsManager()
{
    if (GameRecordManager* records = GameRecordManager::GetInstance())
        records->RemoveObserver(this);
    if (g_TopRecordsManager == this)
        g_TopRecordsManager = nullptr;
}

TopRecordsManager* TopRecordsManager::GetInstance()
{
    return g_TopRecordsManager;
}

void TopRecordsManager::FileKeys(TopRecordsList* list)
{
    m_Keys[list->GetKey()] = list;
    std::vector<std::string> keys;
    list->GetAlternateKeys(keys);
    for (const std::string& key : keys)
        m_Keys[key] = list;
}

void TopRecordsManager::AddList(TopRecordsList* list)
{
    VELK_ASSERT_MSG(list != 0, "A top-records list cannot be null.");
    m_Lists.emplace_back(list);
    FileKeys(list);
}

void TopRecordsManager::ResetLists()
{
    for (const auto& list : m_Lists)
        FileKeys(list.get());
    VELK_ASSERT(GameRecordManager::GetInstance() != 0);
    GameRecordManager::GetInstance()->ResetRecords();
}

TopRecordsList* TopRecordsManager::GetList(const std::string& key)
{
    auto cached = m_Keys.find(key);
    if (cached != m_Keys.end()) {
        if (cached->second->MatchesKey(key))
            return cached->second;
        m_Keys.erase(cached);
    }
    for (const auto& list : m_Lists) {
        if (list->MatchesKey(key)) {
            m_Keys[key] = list.get();
            return list.get();
        }
    }
    VELK_ASSERT_MSG(false, (boost::format("Cannot find a list with key \"%1%\"") % key).str());
    return nullptr;
}

void TopRecordsManager::GetLists(std::vector<TopRecordsList*>& lists) const
{
    for (const auto& list : m_Lists)
        lists.push_back(list.get());
}

void TopRecordsManager::OnGameRecordAdded(uint32_t tag, GameRecordGuid guid)
{
    if (m_Lists.empty())
        return;
    const LuaObject table = GameRecord(tag, guid).GetTable();
    for (const auto& list : m_Lists)
        list->OnGameRecordAdded(tag, guid, table);
}

void TopRecordsManager::OnGameRecordRemoved(GameRecordGuid guid)
{
    for (const auto& list : m_Lists)
        list->OnGameRecordRemoved(guid);
}
