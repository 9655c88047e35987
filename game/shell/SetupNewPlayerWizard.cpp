#include "game/shell/SetupNewPlayerWizard.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/ImageEffects.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/runtime/Utility.h"
#include "engine/ui/Button.h"
#include "engine/ui/CommonDialogs.h"
#include "engine/ui/Grid.h"
#include "engine/ui/RadioButton.h"
#include "engine/ui/RadioButtonGrid.h"
#include "engine/ui/TextBox.h"
#include "platform/os/Folders.h"

#include <boost/format.hpp>

namespace {

const char* const kDefaultPicture = "photoPlayer.custom.png";
const char* const kPicturePage = "ChoosePicturePage";

constexpr int kColumns = 3;
constexpr int kRows = 2;
constexpr int kCellWidth = 120;
constexpr int kCellHeight = 84;
constexpr int kCellSpacing = 10;
constexpr int kCellFontSize = 20;
constexpr int kHeaderFontSize = 28;
// The player's own photo fills the window of its cover.
constexpr int kPhotoWidth = 74;
constexpr int kPhotoHeight = 78;

struct PictureChoice
{
    const char* name;
    const char* text;
    int key;
    const char* picture;
};

const PictureChoice kChoices[kColumns] = {
    {"male", "Boy", 'm', "male_hs.jpg"},
    {"female", "Girl", 'f', "female_hs.jpg"},
    {"custom", "Custom", 'c', "custom_hs.jpg"},
};

SetupNewPlayerWizard* RequireWizard(lua_State* L)
{
    return RequireScriptObject<SetupNewPlayerWizard>(L, 1, "the new player's wizard");
}

std::string StringArgument(lua_State* L, int index)
{
    return lua_type(L, index) == LUA_TSTRING ? lua_tostring(L, index) : "";
}

// wizard:ShowPage(number)
int Script_ShowPage(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireWizard(L)->ShowPage(static_cast<int>(luaL_checkinteger(L, 2)));
        return 0;
    });
}

// wizard:GetText(childName) -> the text
int Script_GetText(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        const std::string text = RequireWizard(L)->GetText(StringArgument(L, 2));
        lua_pushlstring(L, text.data(), text.size());
        return 1;
    });
}

// wizard:SetText(childName, text)
int Script_SetText(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireWizard(L)->SetText(StringArgument(L, 2), StringArgument(L, 3));
        return 0;
    });
}

void SetupNewPlayerWizardClassHook(Class* c)
{
    struct Method
    {
        const char* name;
        lua_CFunction function;
    };
    for (const Method& method : {Method{"ShowPage", Script_ShowPage}, Method{"GetText", Script_GetText},
                                 Method{"SetText", Script_SetText}}) {
        const char* name = method.name;
        lua_CFunction function = method.function;
        c->RegisterPropertyGetter(PropertyAccessor::CreateScriptFunctionGetter(name, function));
        c->RegisterPropertySetter(PropertyAccessor::CreateScriptFunctionSetter(name));
    }
}

Object* InstantiateWizard(const LuaObject& params)
{
    std::unique_ptr<SetupNewPlayerWizard> wizard(new SetupNewPlayerWizard());
    wizard->ApplyProperties(params);
    wizard->OnPostSpawn();
    return wizard.release();
}

Player* CurrentPlayer()
{
    PlayerManager* players = PlayerManager::GetInstance();
    return players ? players->GetCurrentPlayer(1) : nullptr;
}

LuaObject CurrentOptions()
{
    Player* player = CurrentPlayer();
    LuaObject options = player ? player->GetTable()["Options"] : LuaObject();
    return options.IsTable() ? options : LuaObject();
}

bool HasResource(const std::string& name)
{
    CoreHost::ResourceEntry entry;
    CoreHost* host = GetCoreHost();
    return host && host->FindResourceEntry(name, true, entry);
}

// The assertion of GetText and SetText, in the words the game has always used.
[[noreturn]] void NoTextBox(const char* function)
{
    throw Exception("WoppleDialogs", __LINE__, function, __DATE__, __TIME__,
                    AssertionText("textBox!=0", "TextBox = NULL"));
}

// "~/..." as a shell would read it; anything else as typed, without the blanks round it.
std::string ExpandTypedPath(const std::string& typed)
{
    const auto first = typed.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    std::string path = typed.substr(first, typed.find_last_not_of(' ') - first + 1);
    if (path == "~" || path.rfind("~/", 0) == 0) {
        try {
            path = GetHomeFolder() + path.substr(1);
        } catch (const Exception&) {
            // No home: the path stays as typed and fails to read as such.
        }
    }
    return path;
}

} // namespace

VELK_REGISTER_CLASS(SetupNewPlayerWizard, "Dialog", SetupNewPlayerWizardClassHook, InstantiateWizard);

SetupNewPlayerWizard::SetupNewPlayerWizard() : Dialog("bkgDialogLarge.png", 0)
{
    SetName("SetupNewPlayerWizard");
    ApplyNamedResource("SetupNewPlayerWizard");

    m_PageList = ObjectLuaState().GetGlobal("SetupNewPlayerWizardDialogs");
    VELK_ASSERT_MSG(m_PageList.IsTable(), "The wizard's pages, SetupNewPlayerWizardDialogs, are missing.");
    m_PageCount = m_PageList.GetN();
    m_Pages.resize(static_cast<size_t>(m_PageCount) + 1);
    for (int number = 1; number <= m_PageCount; ++number) {
        const std::string name = m_PageList[number].GetString();
        std::unique_ptr<Actor> page(Actor::Create(name));
        page->SetName(name);
        // The pages cover the dialog, so their children align on it.
        page->SetSize(GetWidth(), GetHeight());
        Actor* added = page.get();
        AddChild(page.release());
        m_Pages[static_cast<size_t>(number)] = added->GetLuaObject();
        if (name == kPicturePage)
            BuildPictureChoice(*added);
    }

    if (Player* player = CurrentPlayer())
        m_SavedPlayerData = DeepCopyLuaValue(player->GetTable());
    ShowPage(1);
}

SetupNewPlayerWizard::~SetupNewPlayerWizard()
{
    try {
        m_SavedPlayerData = LuaObject();
        m_Pages.clear();
        m_PageList = LuaObject();
        m_Grid = LuaObject();
    } catch (...) {
        LogWrite("WARNING: SetupNewPlayerWizard::~SetupNewPlayerWizard: %s\n", CurrentExceptionMessage().c_str());
    }
}

// ---------------------------------------------------------------- pages

Actor* SetupNewPlayerWizard::GetPage(int page) const
{
    if (page < 1 || page > m_PageCount)
        return nullptr;
    return dynamic_cast<Actor*>(Object::FromLuaObject(m_Pages[static_cast<size_t>(page)]));
}

void SetupNewPlayerWizard::ShowPage(int page)
{
    if (page > m_PageCount)
        page = 1;
    else if (page < 1)
        page = m_PageCount;
    m_CurrentPage = page;

    for (int number = 1; number <= m_PageCount; ++number)
        if (Actor* each = GetPage(number))
            each->SetVisible(false, true);
    if (Actor* current = GetPage(m_CurrentPage))
        current->SetVisible(true, true);
    // Whatever was being asked on the picture page starts afresh.
    ShowPictureMessage(false);
    SetPathEntryOpen(false);

    const bool first = m_CurrentPage == 1;
    const bool last = m_CurrentPage == m_PageCount;
    if (Button* next = GetButton("NextButton"))
        next->SetVisible(!last);
    if (Button* back = GetButton("BackButton"))
        back->SetVisible(!first);
    if (Button* play = GetButton("OkayButton"))
        play->SetVisible(last && !first);
}

Actor* SetupNewPlayerWizard::FindOnPage(const std::string& name) const
{
    for (int number = 1; number <= m_PageCount; ++number)
        if (Actor* page = GetPage(number))
            if (page->GetName() == kPicturePage)
                return page->FindChild(name, true);
    return nullptr;
}

// ---------------------------------------------------------------- text boxes

std::string SetupNewPlayerWizard::GetText(const std::string& childName) const
{
    auto* textBox = dynamic_cast<TextBox*>(FindChild(childName, true));
    if (!textBox)
        NoTextBox("SetupNewPlayerWizard::GetText");
    return textBox->GetText();
}

void SetupNewPlayerWizard::SetText(const std::string& childName, const std::string& text)
{
    auto* textBox = dynamic_cast<TextBox*>(FindChild(childName, true));
    if (!textBox)
        NoTextBox("SetupNewPlayerWizard::SetText");
    textBox->SetText(text);
}

// ---------------------------------------------------------------- the picture

void SetupNewPlayerWizard::BuildPictureChoice(Actor& page)
{
    const std::string face = ConfiguredFontFace("ButtonFont");
    std::unique_ptr<RadioButtonGrid> grid(RadioButtonGrid::Make("", 0, 0, 0, kColumns, kRows, kCellWidth,
                                                                kCellHeight, 0, 0, kCellSpacing, kCellSpacing));
    grid->SetName("Grid");
    grid->SetLabelFont(face, kCellFontSize, DialogTextColor());
    // The page says what to do; the header only keeps the grid's own look.
    grid->AddHeaderLabel("", face, kHeaderFontSize, DialogTextColor());

    for (int column = 1; column <= kColumns; ++column) {
        const PictureChoice& choice = kChoices[column - 1];
        std::unique_ptr<Actor> picture(new Actor(choice.picture));
        if (choice.name == std::string("custom")) {
            // The player's own photo, and the cover's frame over it.
            std::unique_ptr<Actor> photo(new Actor());
            photo->SetName("CustomPhoto");
            photo->SetZOrder(1);
            photo->SetAlignment(RectAlignment::Center);
            picture->AddChild(photo.release());
            std::unique_ptr<Actor> cover(new Actor("custom_cover.png"));
            cover->SetName("CustomCover");
            cover->SetZOrder(2);
            Actor* placed = cover.get();
            picture->AddChild(cover.release());
            placed->SetAlignment(RectAlignment::Center);
        }
        picture->SetPosition(0, (kCellHeight - picture->GetHeight()) / 2);
        grid->SetCellContent(picture.release(), column, 1);

        RadioButton* radio = grid->AddTextRadioButton(choice.name, choice.text, "Button.png", face, kCellFontSize,
                                                      choice.key, "boxCheck.png", 10, 10, column, 2);
        if (radio) {
            radio->SetPosition(radio->GetX(), (kCellHeight - radio->GetHeight()) / 2);
            // The cells are the buttons' parents: their clicks come here.
            radio->AddToGroup(this);
        }
        for (int row = 1; row <= kRows; ++row)
            grid->SetCellAlignment(column, row, Cell::CELLALIGN_CENTER);
    }

    grid->SetPosition(GetWidth() / 2 + 6 - grid->GetWidth() / 2, GetHeight() / 2 + 42 - grid->GetHeight() / 2);
    m_Grid = grid->GetLuaObject();
    RadioButtonGrid* made = grid.get();
    UpdateFromPlayer();
    page.AddChild(grid.release());
    made->SetVisible(page.IsVisible(), true);

    auto* loadButton = dynamic_cast<Button*>(page.FindChild("LoadButton", true));
    if (!loadButton)
        throw Exception(__FILE__, __LINE__, "SetupNewPlayerWizard::SetupNewPlayerWizard", __DATE__, __TIME__,
                        AssertionText("loadButton!=0"));
    loadButton->AddToGroup(this);
    if (auto* open = dynamic_cast<Button*>(page.FindChild("OpenButton", true)))
        open->AddToGroup(this);
}

RadioButtonGrid* SetupNewPlayerWizard::GetPictureGrid() const
{
    return dynamic_cast<RadioButtonGrid*>(Object::FromLuaObject(m_Grid));
}

std::unique_ptr<Image> SetupNewPlayerWizard::ReadPicture(const std::string& nameOrPath)
{
    if (nameOrPath.empty())
        return nullptr;
    try {
        if (HasResource(nameOrPath))
            return std::make_unique<Image>(nameOrPath);
    } catch (const Exception& e) {
        LogWrite("WARNING: SetupNewPlayerWizard: the picture \"%s\" did not load.\n %s\n", nameOrPath.c_str(),
                 e.GetMessage().c_str());
        return nullptr;
    }
    std::unique_ptr<Image> image = Image::MakeFromFile(nameOrPath);
    // Filed under its path, as the card files it, so that neither reads it twice.
    if (image && image->GetSize().w > 0 && image->GetSize().h > 0) {
        image->RegisterAsResource(nameOrPath);
        return image;
    }
    return nullptr;
}

void SetupNewPlayerWizard::ReloadCustomPhoto()
{
    RadioButtonGrid* grid = GetPictureGrid();
    Actor* photo = grid ? grid->FindChild("CustomPhoto", true) : nullptr;
    if (!photo)
        return;
    LuaObject options = CurrentOptions();
    LuaObject custom = options.IsTable() ? options["player.picture.custom"] : LuaObject();
    std::string name = custom.IsString() ? custom.GetString() : std::string();
    std::unique_ptr<Image> image = ReadPicture(name);
    if (!image) {
        name = kDefaultPicture;
        image = ReadPicture(name);
    }
    if (!image) {
        photo->SetImage(nullptr, std::string());
        return;
    }
    const Image::Size size = image->GetSize();
    if (size.w != kPhotoWidth || size.h != kPhotoHeight) {
        if (auto zoomed = ZoomImageXY(*image, static_cast<double>(kPhotoWidth) / size.w,
                                      static_cast<double>(kPhotoHeight) / size.h, true))
            image = std::move(zoomed);
    }
    photo->SetImage(std::move(image), name);
    photo->UpdateAlignment();
}

void SetupNewPlayerWizard::UpdateFromPlayer()
{
    Player* player = CurrentPlayer();
    LuaObject name = player ? player->GetTable()["Name"] : LuaObject();
    SetText("TextBox", name.IsString() ? name.GetString() : std::string());

    RadioButtonGrid* grid = GetPictureGrid();
    if (!grid)
        return;
    LuaObject options = CurrentOptions();
    LuaObject picture = options.IsTable() ? options["player.picture"] : LuaObject();
    std::string choice = "female";
    if (picture.IsString() && picture.GetString() == "male_hs.jpg")
        choice = "male";
    else if (!picture.IsNil() && !(picture.IsString() && picture.GetString() == "female_hs.jpg"))
        choice = "custom";
    grid->SelectButton(choice);
    ReloadCustomPhoto();
}

void SetupNewPlayerWizard::ShowPictureMessage(bool shown)
{
    if (Actor* message = FindOnPage("PictureMessage"))
        message->SetVisible(shown, true);
}

bool SetupNewPlayerWizard::UsePicture(const std::string& path)
{
    LuaObject options = CurrentOptions();
    if (!ReadPicture(path)) {
        LuaObject kept = options.IsTable() ? options["player.picture"] : LuaObject();
        LogWrite("WARNING: SetupNewPlayerWizard: the picture \"%s\" could not be read; the player keeps \"%s\".\n",
                 path.c_str(), kept.IsString() ? kept.GetString().c_str() : "female_hs.jpg");
        ShowPictureMessage(true);
        return false;
    }
    ShowPictureMessage(false);
    if (options.IsTable()) {
        options.SetString("player.picture", path);
        options.SetString("player.picture.custom", path);
    }
    UpdateFromPlayer();
    return true;
}

void SetupNewPlayerWizard::LoadPicture()
{
    if (!CanChoosePictureFile()) {
        SetPathEntryOpen(true);
        return;
    }
    const std::string chosen = ChoosePictureFile();
    Log(2, "VelkGetOpenFileName %s\n", chosen.c_str());
    if (!chosen.empty())
        UsePicture(chosen);
}

void SetupNewPlayerWizard::SetPathEntryOpen(bool open)
{
    m_PathEntryOpen = open;
    Actor* panel = FindOnPage("PathPanel");
    if (!panel)
        return;
    const bool onPage = panel->GetParent() && panel->GetParent()->IsVisible();
    panel->SetVisible(open && onPage, true);
    if (RadioButtonGrid* grid = GetPictureGrid())
        grid->SetVisible(!open && onPage, true);
    if (Actor* load = FindOnPage("LoadButton"))
        load->SetVisible(!open && onPage, true);
    // While a path is typed, Return opens it and Backspace edits it.
    if (Button* next = GetButton("NextButton"))
        next->SetEnterKey(!open);
    if (Button* back = GetButton("BackButton"))
        back->SetBackspaceKey(!open);
    if (auto* openButton = dynamic_cast<Button*>(FindOnPage("OpenButton")))
        openButton->SetEnterKey(open);
    if (open)
        SetText("PathBox", "");
}

// ---------------------------------------------------------------- events

bool SetupNewPlayerWizard::OnKeyDown(const EventRecord&)
{
    return false;
}

bool SetupNewPlayerWizard::OnButtonClick(const EventRecord& event)
{
    auto* button = static_cast<Actor*>(event.user.data1);
    if (!button || !HasChild(button, true) || IsStopping())
        return Dialog::OnButtonClick(event);
    const std::string name = button->GetName();
    Player* player = CurrentPlayer();

    if (name == "NextButton") {
        if (m_CurrentPage == 1 && player)
            player->GetTable().SetString("Name", GetText("TextBox"));
        ShowPage(m_CurrentPage + 1);
        return true;
    }
    if (name == "BackButton") {
        ShowPage(m_CurrentPage - 1);
        return true;
    }
    if (name == "male" || name == "female" || name == "custom") {
        LuaObject options = CurrentOptions();
        if (options.IsTable()) {
            std::string picture = name + "_hs.jpg";
            if (name == "custom") {
                LuaObject custom = options["player.picture.custom"];
                picture = custom.IsString() ? custom.GetString() : kDefaultPicture;
            }
            options.SetString("player.picture", picture);
        }
        ShowPictureMessage(false);
        UpdateFromPlayer();
        return true;
    }
    if (name == "LoadButton") {
        LoadPicture();
        return true;
    }
    if (name == "OpenButton") {
        const std::string path = ExpandTypedPath(GetText("PathBox"));
        Log(2, "VelkGetOpenFileName %s\n", path.c_str());
        // An empty box is a change of mind.
        if (path.empty() || UsePicture(path))
            SetPathEntryOpen(false);
        return true;
    }
    if (name == "CancelButton" && player && m_SavedPlayerData.IsTable()) {
        LuaObject table = player->GetTable();
        table.SetObject("Options", DeepCopyLuaValue(m_SavedPlayerData["Options"]));
        table.SetObject("Name", m_SavedPlayerData["Name"]);
    }
    return Dialog::OnButtonClick(event);
}
