#pragma once

#include "engine/ui/Dialog.h"

#include <string>

class LuaObject;
class WopplePlayer;

// How far the player has got toward each requirement of the award (an entry
// of WoppleAwardsList): its singular text at exactly one, else the plural,
// "%1%" the player's value.
std::string AwardProgressText(WopplePlayer& player, const LuaObject& award);

// A stamp is announced: its picture is stamped down with a thud and a burst,
// under it the stamp's name, what it is for, and either the player's stamp
// count (held) or how far the player has got toward it. Named
// "WoppleAwardDialog", which the rules wait for; OK closes it.
class WoppleAwardDialog : public Dialog
{
    VELK_DECLARE_CLASS(WoppleAwardDialog)
public:
    // The key of WoppleAwardsList.
    explicit WoppleAwardDialog(const std::string& awardKey = "classic");
    // Stops the stamping, should it still be running.
    ~WoppleAwardDialog() override;

    static constexpr int kTextGap = 10;
    static constexpr int kOkayRaise = 14;
};
