#pragma once

#include "engine/ui/Dialog.h"

// The credits, one page at a time, turned with Next and Prev. Each page is an
// actor tree described by a script table; the dialog's "pages" property holds
// them at 1 to n, from the resource "CreditsDialog", which also gives the
// dialog its decoration and, as "pageContent", the actor that holds the page.
// Without pages the one page is the setting "credits".
class CreditsDialog : public Dialog
{
public:
    CreditsDialog();

    // Builds the current page's actor in place of the last one and enables the
    // buttons that lead somewhere.
    virtual void RefreshPageContent();

    bool OnButtonClick(const EventRecord& event) override;

    int GetPageCount() const { return m_PageCount; }
    int GetCurrentPage() const { return m_CurrentPage; }
    Actor* GetPageHolder() const;
    // The page holder's actor, or null.
    Actor* GetPageActor() const;

private:
    void ShowPage(int page);

    int m_PageCount = 0;
    int m_CurrentPage = 1;
    LuaObject m_PageHolder;
};
