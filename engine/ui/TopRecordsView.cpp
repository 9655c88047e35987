#include "engine/ui/TopRecordsView.h"

#include "engine/core/Config.h"
#include "engine/core/Exception.h"
#include "engine/runtime/TopRecords.h"

#include <memory>

namespace {

template <typename T>
T* Held(const LuaObject& handle)
{
    auto* actor = dynamic_cast<T*>(Object::FromLuaObject(handle));
    return actor && !actor->IsBeingDestroyed() ? actor : nullptr;
}

Object* InstantiateTopRecordsView(const LuaObject& params)
{
    // A failure while applying the properties takes the half-made view with it.
    auto view = std::make_unique<TopRecordsView>();
    view->ApplyProperties(params);
    view->OnPostSpawn();
    return view.release();
}

} // namespace

void TopRecordsViewClassHook(Class* c)
{
    c->RegisterPropertySetter(MakeNamedProperty("titleContainer"));
}

VELK_REGISTER_CLASS(TopRecordsView, "Actor", TopRecordsViewClassHook, InstantiateTopRecordsView);

// ---------------------------------------------------------------- containers

RecordContainer::RecordContainer(const Rect& rect)
{
    SetPosition(rect.x, rect.y);
    SetSize(rect.w, rect.h);
    // Only a real true shows the areas; anything else leaves them clear.
    Config* config = GetConfig();
    Variant debug = config ? config->Retrieve("DebugRecordContainers") : Variant();
    if (debug.IsBool() && debug.ToBool())
        SetColor(Colors::Red);
}

// ---------------------------------------------------------------- view

TopRecordsView::TopRecordsView() = default;

TopRecordsView::~TopRecordsView() = default;

RecordContainer* TopRecordsView::AddRecordContainer(const Rect& rect)
{
    auto container = std::make_unique<RecordContainer>(rect);
    m_RecordContainers.push_back(container->GetLuaObject());
    AddChild(container.get());
    return container.release();
}

RecordContainer* TopRecordsView::SetTitleContainer(const Rect& rect)
{
    if (RecordContainer* old = GetTitleContainer())
        old->Destroy();
    auto container = std::make_unique<RecordContainer>(rect);
    m_TitleContainer = container->GetLuaObject();
    AddChild(container.get());
    return container.release();
}

RecordContainer* TopRecordsView::GetTitleContainer() const
{
    return Held<RecordContainer>(m_TitleContainer);
}

std::vector<RecordContainer*> TopRecordsView::GetRecordContainers() const
{
    std::vector<RecordContainer*> containers;
    for (const LuaObject& handle : m_RecordContainers)
        if (auto* container = Held<RecordContainer>(handle))
            containers.push_back(container);
    return containers;
}

void TopRecordsView::ShowList(const std::string& key)
{
    TopRecordsManager* manager = TopRecordsManager::GetInstance();
    VELK_ASSERT_MSG(manager != 0, "There are no top-records lists to show.");
    m_List = manager->GetList(key);
    Fill();
}

void TopRecordsView::Refresh()
{
    VELK_ASSERT_MSG(m_List != 0,
                    "TopRecordsView::Refresh() cannot be called unless TopRecordsView::ShowList() has been called at "
                    "least once.");
    Fill();
}

void TopRecordsView::Fill()
{
    RecordContainer* title = GetTitleContainer();
    const std::vector<RecordContainer*> containers = GetRecordContainers();
    if (title)
        title->DestroyChildren();
    for (RecordContainer* container : containers)
        container->DestroyChildren();
    if (title)
        if (Actor* actor = m_List->CreateTitleActor())
            title->AddChild(actor);
    const int shown = std::min<int>(m_List->GetNumRecords(), static_cast<int>(containers.size()));
    for (int i = 0; i < shown; ++i)
        if (Actor* row = m_List->CreateRowActor(i))
            containers[i]->AddChild(row);
}

void TopRecordsView::ApplyClassicProperty(const std::string& name, const LuaObject& value)
{
    if (name == "titleContainer") {
        Rect rect;
        rect.SetRect(value);
        SetTitleContainer(rect);
    } else {
        Actor::ApplyClassicProperty(name, value);
    }
}
