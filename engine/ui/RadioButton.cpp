#include "engine/ui/RadioButton.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/runtime/Font.h"
#include "engine/ui/Label.h"

#include <memory>

namespace {

void RadioButtonClassHook(Class* c)
{
    c->RegisterPropertySetter(MakeNamedProperty("radioButtonGroup"));
}

} // namespace

VELK_REGISTER_CLASS(RadioButton, "Button", RadioButtonClassHook, InstantiateObjectOfClass<RadioButton>);
VELK_REGISTER_CLASS(RadioButtonGroup, "ActorGroup", nullptr, InstantiateObjectOfClass<RadioButtonGroup>);

// ---------------------------------------------------------------- RadioButton

RadioButton::RadioButton() : RadioButton("Button.png") {}

RadioButton::RadioButton(const std::string& resourceName) : Button(resourceName)
{
    SetCheckMark("boxCheck.png", 1, 3);
}

RadioButton::~RadioButton() = default;

RadioButton* RadioButton::Make(const std::string& resourceName, const std::string& text, const std::string& fontFace,
                               int fontSize, int x, int y, const std::string& name, EventReceiver* group)
{
    auto button = std::make_unique<RadioButton>(resourceName);
    auto font = std::make_unique<Font>(fontFace, fontSize, 0);
    auto label = std::make_unique<Label>(text, font.release(), TEXTALIGN_CENTER);
    button->SetLabel(label.release());
    button->SetPosition(x, y);
    button->SetName(name);
    if (group)
        button->AddToGroup(group);
    return button.release();
}

void RadioButton::ApplyClassicProperty(const std::string& name, const LuaObject& value)
{
    if (name == "radioButtonGroup") {
        // The template's empty table names no group.
        m_PendingGroupName = value.IsString() ? value.GetString() : std::string();
        ResolvePendingButtonGroup();
        return;
    }
    Button::ApplyClassicProperty(name, value);
}

void RadioButton::SetParent(Actor* parent)
{
    Actor* old = GetParent();
    if (parent && old)
        VELK_THROW(Exception, AssertionText("parent == 0"));
    // Notices of a former parent's groups are no concern of this button.
    if (old && !parent)
        old->DetachObserver(VELK_CHILDGROUPADDED, this);
    Button::SetParent(parent);
    if (parent) {
        parent->AttachObserver(VELK_CHILDGROUPADDED, this);
        ResolvePendingButtonGroup();
    }
}

void RadioButton::AddSecondaryListener(ActorGroup* group)
{
    Button::AddSecondaryListener(group);
    if (auto* radioGroup = dynamic_cast<RadioButtonGroup*>(group))
        m_Group = radioGroup;
}

void RadioButton::RemoveListener(ActorGroup* group)
{
    Button::RemoveListener(group);
    if (static_cast<ActorGroup*>(m_Group) == group)
        m_Group = nullptr;
}

bool RadioButton::OnChildGroupAdded(Event* event)
{
    // A notice still on its way from a parent the button has left.
    if (!event || event->sender != static_cast<Object*>(GetParent()))
        return false;
    ResolvePendingButtonGroup();
    return true;
}

void RadioButton::ResolvePendingButtonGroup()
{
    Actor* parent = GetParent();
    if (!parent || m_PendingGroupName.empty())
        return;
    Object* found = parent->FindGroup(m_PendingGroupName, false);
    if (!found)
        return;
    auto* group = dynamic_cast<RadioButtonGroup*>(found);
    VELK_ASSERT_MSG(group != 0, (boost::format("The group with the name \"%1%\" is not a RadioButtonGroup.") %
                                 m_PendingGroupName)
                                    .str());
    group->AddMember(this);
    m_PendingGroupName.clear();
}

void RadioButton::SetCheckMark(const std::string& image, int x, int y)
{
    if (Actor* old = GetCheckMark()) {
        RemoveChild(old);
        delete old;
    }
    std::unique_ptr<Actor> mark(Actor::CreateAt(image, x, y, 1, nullptr));
    m_CheckMark = mark->GetLuaObject();
    AddChild(mark.release());
    SetChecked(false);
}

Actor* RadioButton::GetCheckMark() const
{
    auto* mark = dynamic_cast<Actor*>(Object::FromLuaObject(m_CheckMark));
    return mark && mark->GetParent() == this && !mark->IsBeingDestroyed() ? mark : nullptr;
}

void RadioButton::SetChecked(bool checked)
{
    if (Actor* mark = GetCheckMark())
        mark->SetFrame(checked ? 1 : 0);
}

bool RadioButton::IsChecked() const
{
    Actor* mark = GetCheckMark();
    return mark && mark->GetFrame() == 1;
}

// ---------------------------------------------------------------- RadioButtonGroup

RadioButtonGroup::~RadioButtonGroup() = default;

void RadioButtonGroup::AddMember(Actor* radioButtonActor)
{
    VELK_ASSERT_MSG(dynamic_cast<RadioButton *>(radioButtonActor) != 0,
                    "Cannot add a non-radio button to a RadioButtonGroup.");
    ActorGroup::AddMember(radioButtonActor);
}

bool RadioButtonGroup::OnButtonPress(const EventRecord& event)
{
    auto* button = static_cast<Actor*>(event.user.data1);
    if (!button || !HasMember(button))
        return false;
    VELK_ASSERT(dynamic_cast<RadioButton *>(button) != 0);
    Select(dynamic_cast<RadioButton*>(button));
    return true;
}

void RadioButtonGroup::Select(RadioButton* button)
{
    for (Actor* member : GetMembers())
        if (auto* radio = dynamic_cast<RadioButton*>(member))
            radio->SetChecked(radio == button);
}
