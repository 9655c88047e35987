#include "engine/ui/CreditsDialog.h"

#include "engine/core/ButtonTemplate.h"
#include "engine/core/Class.h"
#include "engine/core/Config.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/LuaSerializer.h"
#include "engine/runtime/Font.h"
#include "engine/ui/Button.h"
#include "engine/ui/Label.h"

#include <memory>

namespace {

constexpr int kButtonGap = 5;

std::string ConfiguredText(const std::string& key, const std::string& defaultValue)
{
    Config* config = GetConfig();
    Variant value = config ? config->Retrieve(key) : Variant();
    return value.IsString() ? value.ToString() : defaultValue;
}

int ConfiguredNumber(const std::string& key, int defaultValue)
{
    Config* config = GetConfig();
    Variant value = config ? config->Retrieve(key) : Variant();
    return value.IsDouble() ? static_cast<int>(value.ToDouble()) : defaultValue;
}

bool HasResource(const std::string& name)
{
    CoreHost::ResourceEntry entry;
    return RequireCoreHost().FindResourceEntry(name, true, entry);
}

Button* MakeTurnButton(Dialog& dialog, const char* name, const char* text, int key)
{
    std::unique_ptr<Button> button(
        Button::MakeFromTemplate(ButtonTemplateRegistration::Find("OkayButton").front(), &dialog));
    button->SetName(name);
    button->SetText(text);
    button->SetShortcutKey(key);
    button->SetEnterKey(false);
    button->SetEscapeKey(false);
    return button.release();
}

} // namespace

CreditsDialog::CreditsDialog() : Dialog("bkgDialogLarge.png", 0)
{
    if (HasResource("CreditsDialog"))
        ApplyNamedResource("CreditsDialog");
    SetName("CreditsDialog");

    Actor* holder = FindChild("pageContent", true);
    if (!holder) {
        auto made = std::make_unique<Actor>();
        made->SetName("pageContent");
        made->SetSize(GetWidth(), GetHeight());
        holder = made.get();
        AddChild(made.release());
    }
    m_PageHolder = holder->GetLuaObject();

    m_CurrentPage = 1;
    CreateButtons(BUTTONS_OKAY);

    if (RetrieveProperty("pages").IsNil()) {
        // The one page: the configured credits text, centred.
        auto font = std::make_unique<Font>(ConfiguredText("credits_font", "DejaVuSans.ttf"),
                                           ConfiguredNumber("credits_font_size", 16), 0);
        Label label(ConfiguredText("credits", ""), font.release(), Colors::Black, TEXTALIGN_CENTER);
        label.SetName("credits");
        label.SetPosition(GetWidth() / 2 - label.GetWidth() / 2, GetHeight() / 2 - label.GetHeight() / 2);
        LuaObject page;
        page.AssignNewTable(ObjectLuaState());
        label.StoreClassAndName(page);
        LuaObject position;
        label.GetPosition().StoreAsLuaObject(position, ObjectLuaState());
        page.SetObject("position", position);
        LuaObject pages;
        pages.AssignNewTable(ObjectLuaState());
        pages.SetObject(1, page);
        StoreProperty("pages", pages);
    }
    const LuaObject pages = RetrieveProperty("pages");
    m_PageCount = pages.IsTable() ? pages.GetTableCount() : 0;

    Button* okay = GetButton("OkayButton");
    VELK_ASSERT(okay != 0);
    okay->SetPosition(okay->GetX(), GetHeight() - 50 - okay->GetHeight());
    Button* next = MakeTurnButton(*this, "NextButton", "Next", 'n');
    next->SetPosition(okay->GetX() + okay->GetWidth() + kButtonGap, okay->GetY());
    AddChild(next, "NextButton");
    Button* prev = MakeTurnButton(*this, "PrevButton", "Prev", 'p');
    prev->SetPosition(okay->GetX() - kButtonGap - prev->GetWidth(), okay->GetY());
    AddChild(prev, "PrevButton");

    RefreshPageContent();
}

Actor* CreditsDialog::GetPageHolder() const
{
    auto* holder = dynamic_cast<Actor*>(Object::FromLuaObject(m_PageHolder));
    return holder && !holder->IsBeingDestroyed() ? holder : nullptr;
}

Actor* CreditsDialog::GetPageActor() const
{
    Actor* holder = GetPageHolder();
    if (!holder)
        return nullptr;
    for (Actor* child : holder->GetChildren())
        if (!child->IsBeingDestroyed())
            return child;
    return nullptr;
}

void CreditsDialog::RefreshPageContent()
{
    Actor* holder = GetPageHolder();
    VELK_ASSERT(holder != 0);
    holder->DestroyChildren();

    const LuaObject pages = RetrieveProperty("pages");
    if (!pages.IsTable())
        VELK_THROW(Exception, AssertionText("pages.IsTable()"));
    const LuaObject thisPage = pages[m_CurrentPage];
    Log(3, "CreditsDialog::RefreshPageContent: Printing string properties of LUA table\n");
    if (GetCoreHost() && GetCoreHost()->GetLogLevel() >= 3) {
        std::string text;
        SerializeLuaObjectToString(thisPage, text);
        Log(3, "CreditsDialog::RefreshPageContent: %s", text.c_str());
    }
    if (!thisPage.IsTable())
        VELK_THROW(Exception, AssertionText("thisPage.IsTable()"));
    std::unique_ptr<Object> made(ClassManager::GetInstance()->InstantiateObject(thisPage));
    auto* pageActor = dynamic_cast<Actor*>(made.get());
    if (!pageActor)
        VELK_THROW(Exception, AssertionText("pageActor"));
    made.release();
    holder->AddChild(pageActor);

    if (Button* prev = GetButton("PrevButton"))
        m_CurrentPage == 1 ? prev->Disable() : prev->Enable();
    if (Button* next = GetButton("NextButton"))
        m_CurrentPage == m_PageCount ? next->Disable() : next->Enable();
}

void CreditsDialog::ShowPage(int page)
{
    m_CurrentPage = page;
    RefreshPageContent();
}

bool CreditsDialog::OnButtonClick(const EventRecord& event)
{
    auto* button = static_cast<Actor*>(event.user.data1);
    if (button && button->GetParent() == this && m_PageCount > 0) {
        if (button->GetName() == "NextButton") {
            ShowPage(m_CurrentPage >= m_PageCount ? 1 : m_CurrentPage + 1);
            return true;
        }
        if (button->GetName() == "PrevButton") {
            ShowPage(m_CurrentPage <= 1 ? m_PageCount : m_CurrentPage - 1);
            return true;
        }
    }
    return Dialog::OnButtonClick(event);
}
