#include "game/rules/WoppleClassicGameLogic.h"

#include "engine/core/Log.h"
#include "engine/ui/Actor.h"
#include "game/rules/OldSchoolEndStates.h"
#include "game/views/WoppleBoardView.h"

// The game starts make it by class name ("Wopple" + mode + "GameLogic").
VELK_REGISTER_CLASS(WoppleClassicGameLogic, "WoppleOldSchoolBaseLogic", nullptr,
                    InstantiateObjectOfClass<WoppleClassicGameLogic>);

WoppleClassicGameLogic::WoppleClassicGameLogic()
{
    ApplyBoolProperty("timeLimitted", true);
}

void WoppleClassicGameLogic::CreateStates()
{
    WoppleOldSchoolBaseLogic::CreateStates();
    AddState(new ClassicStates::ProcessEndGame(*this), true);
}

void WoppleClassicGameLogic::CreateBoardViews()
{
    Actor* root = GetRootActor();
    auto* board = root ? dynamic_cast<WoppleBoardView*>(root->FindChild("theBoard", true)) : nullptr;
    if (!board) {
        LogWrite("WARNING: The Classic layout has no board \"theBoard\"\n");
        return;
    }
    board->boardIndex = 1;
    for (int event : {WOPPLE_CELLCLICK, WOPPLE_CELLENTER, WOPPLE_CELLLEAVE})
        board->AttachObserver(event, this);
    m_BoardViews.push_back(board);
}

WoppleGameLogic* CreateWoppleGameLogic(const std::string& modeName)
{
    if (modeName == "Classic")
        return new WoppleClassicGameLogic();
    return nullptr;
}
