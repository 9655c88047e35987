#pragma once

#include "engine/ui/Button.h"

#include <cstdint>
#include <list>
#include <string>
#include <vector>

class Label;

// One power-up on the bar: a button whose face says what it is (a picture
// per known type, the digits of a multiplier, or the text of any other kind).
class WopplePowerupViewItem : public Button
{
    VELK_DECLARE_CLASS(WopplePowerupViewItem)
public:
    WopplePowerupViewItem();
    ~WopplePowerupViewItem() override;

    // Finds the label and stops pressing from switching frames.
    void OnPostSpawn() override;

    // Shows the face of the type with the text; bursts unless the record has
    // been shown before. The item is named after the type.
    void Show(const std::string& text, const std::string& type, bool alreadyShown);
    // The white burst at the item's centre, through the screen it stands on.
    void Burst();

    const std::string& GetPowerupType() const { return m_PowerupType; }
    Label* GetPowerupLabel() const;
    // How often it has burst; the bar's tests read it.
    int GetBurstCount() const { return m_BurstCount; }

private:
    friend void WopplePowerupViewItemClassHook(Class* c);

    std::string m_PowerupType;
    LuaObject m_Label;
    int m_BurstCount = 0;
};

// A participant's power-up bar: nine items in three rows, rebuilt from an
// ordered list of records (label, type, value) after every change. The rules
// key the records by type; a record is shown with a burst the first time and
// whenever its value changes.
class WopplePowerupView : public Actor
{
    VELK_DECLARE_CLASS(WopplePowerupView)
public:
    static constexpr int kNumItems = 9;

    struct PowerupRecord
    {
        std::int32_t value = 0;
        std::string label;
        std::string type;
        bool shown = false;
    };

    WopplePowerupView();
    ~WopplePowerupView() override;

    // Collects the items "powerup1" to "powerup9" and hides them.
    void OnPostSpawn() override;

    void AddPowerup(const std::string& label, const std::string& type, std::int32_t value);
    // The first record of the type; a new value shows it with a burst again.
    void UpdatePowerup(const std::string& label, const std::string& type, std::int32_t value);
    // The first record of the type, when there is one.
    void RemovePowerup(const std::string& type);
    bool HasPowerup(const std::string& type) const;
    void BurstPowerup(const std::string& type);
    // Every item gets the receiver, so that clicks on power-ups reach it.
    void AddListenerToItems(EventReceiver* receiver);

    void AddFreeSpin();
    void RemoveFreeSpin();
    void AddDevilProtection();
    void RemoveDevilProtection();
    // Below 2 the multiplier goes; else it is added or updated.
    void SetMultiplier(int multiplier);

    // Item 1 to 9; null (with a warning) for any other index.
    WopplePowerupViewItem* GetItem(int index) const;
    const std::list<PowerupRecord>& GetRecords() const { return m_Records; }

private:
    void Relayout();

    std::vector<LuaObject> m_Items;
    std::list<PowerupRecord> m_Records;
};
