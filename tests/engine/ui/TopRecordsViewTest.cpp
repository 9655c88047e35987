// The top-records view: rows and title filled from a list found by key, the
// containers beyond either end, refreshing, and the containers' debug colour.

#include "ScreenTestSupport.h"
#include "engine/core/Config.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/TopRecords.h"
#include "engine/ui/TopRecordsView.h"
#include "support/Failure.h"

#include <gmock/gmock.h>

using namespace screentest;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

// A list of named entries whose rows and title are actors named after them.
class NamesList : public TopRecordsList
{
public:
    NamesList(std::string key, std::vector<std::string> names) : m_Key(std::move(key)), names(std::move(names)) {}

    std::string GetKey() const override { return m_Key; }
    void GetAlternateKeys(std::vector<std::string>&) const override {}
    Actor* CreateTitleActor() override { return Named("title " + m_Key); }
    Actor* CreateRowActor(int index) override { return Named(names.at(static_cast<std::size_t>(index))); }
    int GetNumRecords() const override { return static_cast<int>(names.size()); }
    bool IsSkippable() const override { return names.empty(); }
    bool MatchesKey(const std::string& key) const override { return key == m_Key; }
    void ClearRecords() override { names.clear(); }
    GameRecord GetRecord(int) const override { return GameRecord(0, GameRecordGuid{}); }
    bool AcceptsRecord(uint32_t, const LuaObject&) const override { return false; }
    void OnGameRecordAdded(uint32_t, GameRecordGuid) override {}
    void OnGameRecordRemoved(GameRecordGuid) override {}

    std::string m_Key;
    std::vector<std::string> names;

private:
    static Actor* Named(const std::string& name)
    {
        auto* actor = new Actor;
        actor->SetName(name);
        return actor;
    }
};

class TopRecordsViewTest : public ScreenFixture
{
protected:
    void SetUp() override
    {
        ScreenFixture::SetUp();
        lists = TopRecordsManager::GetInstance();
        ASSERT_NE(lists, nullptr);
        best = new NamesList("best", {"Ann", "Bo", "Cy", "Di", "Ed"});
        lists->AddList(best);
        lists->AddList(new NamesList("short", {"Flo"}));
    }

    void Lua(const std::string& code) { VelkLuaState::LoadStringA(app->GetLuaState(), code, 0, 0); }

    TopRecordsView* MakeView(int containers)
    {
        view = std::make_unique<TopRecordsView>();
        for (int i = 0; i < containers; ++i)
            view->AddRecordContainer(Rect(0, static_cast<std::int16_t>(20 * i), 100, 20));
        return view.get();
    }

    // What each record container shows, deleted children gone.
    std::vector<std::string> Rows()
    {
        app->RunPass();
        std::vector<std::string> rows;
        for (RecordContainer* container : view->GetRecordContainers())
            rows.push_back(container->GetNumChildren() == 1 ? container->GetChildren().front()->GetName()
                                                            : std::to_string(container->GetNumChildren()));
        return rows;
    }

    TopRecordsManager* lists = nullptr;
    NamesList* best = nullptr;
    std::unique_ptr<TopRecordsView> view;
};

} // namespace

TEST_F(TopRecordsViewTest, RowsFillTheContainersThatThereAre)
{
    MakeView(3)->ShowList("best");
    EXPECT_THAT(Rows(), ElementsAre("Ann", "Bo", "Cy"));
    EXPECT_EQ(view->GetTitleContainer(), nullptr) << "without a title container only rows show";

    MakeView(7)->ShowList("best");
    EXPECT_THAT(Rows(), ElementsAre("Ann", "Bo", "Cy", "Di", "Ed", "0", "0"));

    // Another list replaces every row, leaving the rest empty.
    view->ShowList("short");
    EXPECT_THAT(Rows(), ElementsAre("Flo", "0", "0", "0", "0", "0", "0"));
    EXPECT_EQ(view->GetList(), lists->GetList("short"));
}

TEST_F(TopRecordsViewTest, RefreshReadsTheListAgainAndTheTitleGoesInItsContainer)
{
    MakeView(2);
    EXPECT_EQ(FailureOf([&] { view->Refresh(); }),
              "Assertion failed: (m_List != 0)\nMessage: TopRecordsView::Refresh() cannot be called unless "
              "TopRecordsView::ShowList() has been called at least once.");

    Lua("ViewSpec = { class = 'TopRecordsView', titleContainer = { 0, 0, 100, 30 } }");
    view.reset(dynamic_cast<TopRecordsView*>(
        ClassManager::GetInstance()->InstantiateObject(app->GetLuaState().GetGlobal("ViewSpec"))));
    ASSERT_NE(view, nullptr);
    ASSERT_NE(view->GetTitleContainer(), nullptr);
    EXPECT_EQ(view->GetTitleContainer()->GetHeight(), 30);
    view->AddRecordContainer(Rect(0, 30, 100, 20));
    view->AddRecordContainer(Rect(0, 50, 100, 20));
    view->ShowList("best");
    EXPECT_THAT(Rows(), ElementsAre("Ann", "Bo"));
    ASSERT_EQ(view->GetTitleContainer()->GetNumChildren(), 1u);
    EXPECT_EQ(view->GetTitleContainer()->GetChildren().front()->GetName(), "title best");

    best->names = {"Zed"};
    view->Refresh();
    EXPECT_THAT(Rows(), ElementsAre("Zed", "0"));
    EXPECT_EQ(view->GetTitleContainer()->GetNumChildren(), 1u) << "one title, not two";

    // An unknown key fails and leaves the view as it was.
    EXPECT_THAT(FailureOf([&] { view->ShowList("nobody"); }), HasSubstr("Cannot find a list with key \"nobody\""));
    EXPECT_THAT(Rows(), ElementsAre("Zed", "0"));
    EXPECT_EQ(view->GetList(), best);

    // A new title container replaces the old one.
    RecordContainer* old = view->GetTitleContainer();
    view->SetTitleContainer(Rect(0, 0, 100, 40));
    EXPECT_NE(view->GetTitleContainer(), old);
    EXPECT_EQ(view->GetTitleContainer()->GetHeight(), 40);
}

TEST_F(TopRecordsViewTest, OnlyATrueDebugSettingColoursTheContainersRed)
{
    struct Case
    {
        const char* value;
        bool red;
    };
    EXPECT_EQ(RecordContainer(Rect(0, 0, 5, 5)).GetColorMode() & COLORMODE_FILL, 0u) << "no setting";
    for (Case c : {Case{"true", true}, Case{"false", false}, Case{"'true'", false}, Case{"1", false}}) {
        Lua(std::string("Config.DebugRecordContainers = ") + c.value);
        RecordContainer container(Rect(1, 2, 30, 10));
        EXPECT_EQ((container.GetColorMode() & COLORMODE_FILL) != 0, c.red) << c.value;
        if (c.red) {
            EXPECT_EQ(container.GetColor(), Colors::Red);
        }
        EXPECT_EQ(container.GetX(), 1);
        EXPECT_EQ(container.GetWidth(), 30);
    }
}
