#pragma once

#include "engine/ui/Dialog.h"

#include <memory>
#include <string>
#include <vector>

class Image;
class RadioButtonGrid;

// Signs a new player in: the pages of SetupNewPlayerWizardDialogs shown one
// at a time in one dialog (the name, the picture, how to play, tips) with
// Next, Back, Play and Cancel. The name (on leaving page 1 with Next) and the
// picture go into current player 1's data at once; Cancel puts the name and
// the options back as they were when the wizard was made. The menu reads the
// name afterwards with GetText("TextBox").
//
// "Load" asks the desktop's file chooser for the player's own picture; where
// there is none, the picture page asks for a path in a box instead. A picture
// that cannot be read leaves the player's picture as it was and says so on
// the page.
class SetupNewPlayerWizard : public Dialog
{
    VELK_DECLARE_CLASS(SetupNewPlayerWizard)
public:
    SetupNewPlayerWizard();
    ~SetupNewPlayerWizard() override;

    // Shows one page and hides the others; 0 is the last page, one past the
    // last the first. Next, Back and Play follow the page; Cancel stays.
    void ShowPage(int page);
    int GetCurrentPage() const { return m_CurrentPage; }
    int GetPageCount() const { return m_PageCount; }
    // Null outside 1..count.
    Actor* GetPage(int page) const;

    // The text of the text box of that name anywhere below the wizard; a
    // child that is missing or no text box is an assertion.
    std::string GetText(const std::string& childName) const;
    void SetText(const std::string& childName, const std::string& text);

    // The name box, the ticked picture and the player's own photo, from the
    // player's data.
    void UpdateFromPlayer();

    bool OnButtonClick(const EventRecord& event) override;
    // Keys belong to the buttons and the boxes: never handled here.
    bool OnKeyDown(const EventRecord& event) override;

    RadioButtonGrid* GetPictureGrid() const;
    // The box for a path, open in place of the picture choice.
    bool IsPathEntryOpen() const { return m_PathEntryOpen; }

private:
    // The picture at a resource name or a file path, or null.
    static std::unique_ptr<Image> ReadPicture(const std::string& nameOrPath);
    void BuildPictureChoice(Actor& page);
    void ReloadCustomPhoto();
    void LoadPicture();
    // False, with the message shown, when the file is no picture.
    bool UsePicture(const std::string& path);
    void SetPathEntryOpen(bool open);
    void ShowPictureMessage(bool shown);
    Actor* FindOnPage(const std::string& name) const;

    std::int32_t m_CurrentPage = 1;
    LuaObject m_PageList;
    std::int32_t m_PageCount = 0;
    // Entry 0 holds nothing; the pages are children, held through their script selves.
    std::vector<LuaObject> m_Pages;
    LuaObject m_SavedPlayerData;
    LuaObject m_Grid;
    bool m_PathEntryOpen = false;
};
