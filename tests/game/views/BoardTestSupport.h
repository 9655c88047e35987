#pragma once

// A plain screen with boards on it, headless, with stand-in pictures for any
// board picture the data does not hold, and an observer that writes down the
// game events it receives.

#include "game/shell/GameTestSupport.h"
#include "engine/core/Class.h"
#include "engine/core/CoreHost.h"
#include "engine/runtime/Image.h"
#include "engine/ui/Screen.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCellView.h"
#include "game/rules/WoppleGameEvents.h"
#include "engine/runtime/ImageTestSupport.h"

#include <cstdint>
#include <fstream>
#include <sstream>
#include <memory>
#include <string>
#include <vector>

namespace boardtest {

using gametest::GameFixture;

// One received game event: its number, the time of the loop it came at, and
// the cell-click table's fields (-1 and false when absent).
struct Received
{
    int type = 0;
    int boardIndex = -1;
    int column = -1;
    int row = -1;
    bool hasSelectable = false;
    bool selectable = false;
};

class EventLog : public Object
{
public:
    bool OnEvent(const EventRecord& e) override
    {
        if (e.type < 57 || e.type > 74)
            return false;
        Received r;
        r.type = e.type;
        auto* event = static_cast<Event*>(e.user.data1);
        if (event && event->payload && event->payload->IsTable()) {
            const LuaObject& table = *event->payload;
            LuaObject position = table["cellPosition"];
            if (position.IsTable()) {
                r.boardIndex = position["boardIndex"].GetInteger();
                r.column = position["column"].GetInteger();
                r.row = position["row"].GetInteger();
            }
            r.hasSelectable = table["isCellSelectable"].IsBoolean();
            r.selectable = table["isCellSelectable"].GetBoolean();
        }
        received.push_back(r);
        return true;
    }
    std::vector<Received> Take()
    {
        std::vector<Received> taken;
        taken.swap(received);
        return taken;
    }
    std::vector<Received> received;
};

class BoardFixture : public GameFixture
{
protected:
    void SetUp() override
    {
        Start();
        screen = AddScreen<Screen>("", "Board", nullptr);
        manager->SwitchToScreen("Board");
        StandInPictures();
    }

    void TearDown() override
    {
        // Before the engine goes, so that nothing is queued for it any more.
        screen = nullptr;
        app.reset();
        log.reset();
        GameFixture::TearDown();
    }

    static bool HasResource(const std::string& name)
    {
        CoreHost::ResourceEntry entry;
        return GetCoreHost()->FindResourceEntry(name, true, entry);
    }

    // How often the text stands in the log so far (its file, once it has one).
    static int CountInLog(const std::string& text)
    {
        std::string log;
        if (GetLogFilePath().empty()) {
            for (const std::string& line : GetCachedLogLines())
                log += line;
        } else {
            std::ifstream file(GetLogFilePath());
            std::stringstream content;
            content << file.rdbuf();
            log = content.str();
        }
        int n = 0;
        for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
            ++n;
        return n;
    }

    // A strip of frames of w x h, each filled with its colour.
    static void AddStrip(const std::string& name, int w, int h, const std::vector<std::uint32_t>& colors)
    {
        const int frames = static_cast<int>(colors.size());
        std::vector<std::uint32_t> pixels;
        for (int y = 0; y < h; ++y)
            for (std::uint32_t color : colors)
                pixels.insert(pixels.end(), static_cast<std::size_t>(w), color);
        Image(imagetest::MakeSurface(w * frames, h, pixels), 0, w, h, frames, nullptr).RegisterAsResource(name);
    }

    // The board pictures the templates name, when the data lacks them.
    static void StandInPictures()
    {
        struct Picture
        {
            const char* name;
            int w, h, frames;
        };
        const Picture pictures[] = {
            {"bkgBoardSingle.png", 427, 423, 1}, {"bkgBoardPirate.png", 427, 423, 1},
            {"bkgBoardMulti.png", 212, 210, 1}, {"bkgBoardSevenBySeven.png", 426, 423, 1},
            {"cellFace.png", 81, 79, 5}, {"cellPatternFace.png", 81, 79, 5},
            {"cellFaceSmall.png", 39, 38, 5}, {"cellPatternFaceSmall.png", 39, 38, 5},
            {"cellFace7x7.png", 58, 57, 5}, {"cellPatternFace7x7.png", 58, 57, 5},
            {"cellVisionAura.png", 81, 79, 1}, {"cellVisionAuraSmall.png", 39, 38, 1},
            {"cellVisionAura7x7.png", 58, 57, 1}, {"cellPatternCompletionOverlay.png", 81, 79, 1},
            {"cellPatternCompletionOverlaySmall.png", 39, 38, 1}, {"cellBoardCompletionOverlay.png", 81, 79, 1},
            {"cellBoardCompletionOverlaySmall.png", 39, 38, 1}, {"cellBoardCompletionOverlay7x7.png", 58, 57, 1},
            {"cellPatternGlow7x7.png", 58, 57, 1},
            {"columnHilite.png", 81, 399, 1}, {"columnHiliteSmall.png", 39, 190, 1},
            {"columnHilite7x7.png", 58, 399, 1}, {"cellWoppleOverlay.png", 81, 79, 1},
            {"cellWoppleOverlay_purple.png", 81, 79, 1}, {"cellWoppleOverlaySmall.png", 39, 38, 1},
            {"cellWoppleOverlaySmall_red.png", 39, 38, 1}, {"cellWoppleOverlaySmall_purple.png", 39, 38, 1},
            {"cellWoppleOverlaySmall_blue.png", 39, 38, 1}, {"cellWoppleOverlaySmall_green.png", 39, 38, 1},
        };
        for (const Picture& p : pictures)
            if (!HasResource(p.name))
                AddStrip(p.name, p.w, p.h, std::vector<std::uint32_t>(static_cast<std::size_t>(p.frames), 0xFF808080u));
    }

    // A board from the template on the screen at (x, y), observed by the log.
    WoppleBoardView* MakeBoard(const std::string& resource, int x = 0, int y = 0, int index = 1)
    {
        auto* board = dynamic_cast<WoppleBoardView*>(ClassManager::GetInstance()->InstantiateObjectFromResource(resource));
        EXPECT_NE(board, nullptr) << resource;
        if (!board)
            return nullptr;
        board->boardIndex = index;
        board->SetPosition(x, y);
        screen->AddChild(board);
        for (int event : {WOPPLE_CELLCLICK, WOPPLE_CELLENTER, WOPPLE_CELLLEAVE})
            board->AttachObserver(event, log.get());
        return board;
    }

    // Column c gets numbers from 15c - 14 up, one per row.
    static void Number(WoppleBoardView* board, const std::string& type = "SelectableAndClickableNumber")
    {
        for (int c = 1; c <= board->GetNumColumns(); ++c)
            for (int r = 1; r <= board->GetNumRows(); ++r) {
                WoppleCellView* cell = board->GetCellView(c, r);
                cell->SetCellNumber(15 * (c - 1) + r);
                cell->SetCellType(type);
            }
    }

    Screen* screen = nullptr;
    std::unique_ptr<EventLog> log = std::make_unique<EventLog>();
};

} // namespace boardtest
