#pragma once

#include "engine/ui/ActorGroup.h"
#include "engine/ui/Button.h"

#include <string>

class RadioButtonGroup;

// A button with a check mark (frame 0 unchecked, 1 checked). Its group, named
// by "radioButtonGroup", is one of its parent's groups; the name may come
// before the group does, and the button joins when the parent announces it.
class RadioButton : public Button
{
    VELK_DECLARE_CLASS(RadioButton)
public:
    // On "Button.png".
    RadioButton();
    explicit RadioButton(const std::string& resourceName);
    ~RadioButton() override;

    static RadioButton* Make(const std::string& resourceName, const std::string& text, const std::string& fontFace,
                             int fontSize, int x, int y, const std::string& name, EventReceiver* group = nullptr);

    void ApplyClassicProperty(const std::string& name, const LuaObject& value) override;
    // A button that has a parent takes no other before it leaves the first.
    void SetParent(Actor* parent) override;
    void AddSecondaryListener(ActorGroup* group) override;
    void RemoveListener(ActorGroup* group) override;
    bool OnChildGroupAdded(Event* event) override;

    // Replaces the check mark with an actor on the image at (x, y), unchecked.
    void SetCheckMark(const std::string& image, int x, int y);
    Actor* GetCheckMark() const;
    void SetChecked(bool checked);
    bool IsChecked() const;
    RadioButtonGroup* GetGroup() const { return m_Group; }
    const std::string& GetPendingGroupName() const { return m_PendingGroupName; }
    // Joins the parent's group of the pending name, when the parent has it.
    void ResolvePendingButtonGroup();

private:
    LuaObject m_CheckMark;
    RadioButtonGroup* m_Group = nullptr;
    std::string m_PendingGroupName;
};

// Keeps one of its radio buttons checked: the last one pressed. It hears a
// press when it is among the button's receivers or listens to its parent.
class RadioButtonGroup : public ActorGroup
{
    VELK_DECLARE_CLASS(RadioButtonGroup)
public:
    RadioButtonGroup() = default;
    ~RadioButtonGroup() override;

    // Radio buttons only.
    void AddMember(Actor* actor) override;
    bool OnButtonPress(const EventRecord& event) override;
    // Checks the button and unchecks every other member.
    void Select(RadioButton* button);
};
