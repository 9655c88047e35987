#pragma once

#include "engine/ui/Actor.h"

#include <string>
#include <vector>

class TopRecordsList;

// An empty actor with a rectangle that holds one row of a top-records view (or
// its title). With the setting "DebugRecordContainers" true it is filled red,
// so that the areas can be seen.
class RecordContainer : public Actor
{
public:
    explicit RecordContainer(const Rect& rect);
};

// Shows one top-records list (TopRecords.h): its title in the title
// container, when there is one, and entry i in record container i. Entries
// beyond the last container are not shown; containers beyond the last entry
// stay empty. The script property "titleContainer" (a rectangle) sets the
// title container; record containers are added from native code.
class TopRecordsView : public Actor
{
    VELK_DECLARE_CLASS(TopRecordsView)
public:
    TopRecordsView();
    ~TopRecordsView() override;

    // Finds the list by key (TopRecordsManager::GetList, which throws for an
    // unknown key and leaves the view as it was) and fills the view from it.
    void ShowList(const std::string& key);
    // Fills the view again from the list shown; an assertion failure before
    // the first ShowList.
    void Refresh();

    // A new record container with that rectangle, after the others.
    RecordContainer* AddRecordContainer(const Rect& rect);
    // Replaces the title container.
    RecordContainer* SetTitleContainer(const Rect& rect);

    RecordContainer* GetTitleContainer() const;
    // The record containers still there, in the order added.
    std::vector<RecordContainer*> GetRecordContainers() const;
    TopRecordsList* GetList() const { return m_List; }

    void ApplyClassicProperty(const std::string& name, const LuaObject& value) override;

private:
    friend void TopRecordsViewClassHook(Class* c);

    void Fill();

    // The containers are held through their script selves, which read as
    // nothing once something else has deleted them.
    LuaObject m_TitleContainer;
    std::vector<LuaObject> m_RecordContainers;
    TopRecordsList* m_List = nullptr;
};
