#pragma once

#include "engine/ui/Dialog.h"

#include <string>

// A tip or a piece of news: a heading and a paragraph on the large paper
// sheet, with one OK button. Its name is "WoppleHelpDialog", which its creator
// waits for. An empty heading keeps "Game Tip!", an empty text the template's.
class WoppleHelpDialog : public Dialog
{
    VELK_DECLARE_CLASS(WoppleHelpDialog)
public:
    static constexpr int kOkayRaise = 16;
    WoppleHelpDialog(const std::string& heading = std::string(), const std::string& text = std::string());

protected:
    WoppleHelpDialog(const std::string& templateName, const std::string& heading, const std::string& text,
                     int okayRaise);
};

// The same on the larger sheet, for longer texts; it also names itself
// "WoppleHelpDialog", so its creator need not tell the two apart.
class WoppleBigHelpDialog : public WoppleHelpDialog
{
    VELK_DECLARE_CLASS(WoppleBigHelpDialog)
public:
    static constexpr int kOkayRaise = 14;
    WoppleBigHelpDialog(const std::string& heading = std::string(), const std::string& text = std::string());
};

// A milestone of the whole quest: five stars flash one by one with bursts and
// notes, then the title and text of WoppleGameCompleteList[key] appear and
// the crowd claps. Closing it early stops its script.
class WoppleGameCompleteDialog : public Dialog
{
    VELK_DECLARE_CLASS(WoppleGameCompleteDialog)
public:
    explicit WoppleGameCompleteDialog(const std::string& key = "finishedQuest");
    ~WoppleGameCompleteDialog() override;
};
