// What the chosen cell yields when it is matched: its secret key, its coin
// or its multiplier, shown on the cell and counted into the match's points.

#include "game/rules/WoppleOldSchoolBaseLogic.h"

#include "engine/runtime/Image.h"
#include "engine/runtime/Sound.h"
#include "engine/ui/Actor.h"
#include "game/rules/WoppleLevelSetup.h"
#include "game/views/WoppleAnimation.h"
#include "game/views/WoppleCellView.h"
#include "game/views/WoppleWheelView.h"

#include <memory>

namespace {

constexpr auto kCentred = static_cast<RectAlignment>(3);

std::unique_ptr<Actor> PictureActor(const std::string& image)
{
    auto actor = std::make_unique<Actor>();
    actor->SetImage(std::make_unique<Image>(image), image);
    actor->SetAlignment(kCentred);
    return actor;
}

std::unique_ptr<Actor> NumberActor(int number, const std::string& digitStrip)
{
    auto actor = std::make_unique<Actor>();
    actor->SetImage(CreateNumberImageActor(number, digitStrip, 0), std::string());
    actor->SetAlignment(kCentred);
    return actor;
}

} // namespace

void WoppleOldSchoolBaseLogic::ApplyCellSpecials()
{
    WoppleCellView* cell = m_ChosenCell;
    if (!cell)
        return;
    const bool oneBoard = GetNumBoards() == 1;
    const Point<int> centre = CellCenter(*cell);
    ApplyBonusFrog(cell);
    switch (cell->ruleCode) {
    case HIDDEN_SECRET_SQUARE: {
        if (m_CurrentParticipant < m_Participants.size())
            m_Participants[m_CurrentParticipant].secretFound = true;
        StartCellParticleEmitter(oneBoard ? "RainbowBurstEffect" : "RainbowBurstEffectSmall", centre);
        m_MatchPoints += 100 * (m_SpinsPerLevel - m_SpinCount + 1);
        std::unique_ptr<Actor> key = PictureActor("Powerup.Secret.png");
        key->SetName("Key");
        ApplyScaling(key.get());
        cell->SetContents(key.release());
        break;
    }
    case HIDDEN_COIN: {
        m_MatchPoints += 1000;
        std::unique_ptr<Actor> coin = PictureActor("cell_coin.png");
        ApplyScaling(coin.get());
        cell->SetContents(coin.release());
        StartCellParticleEmitter(oneBoard ? "YellowBurstEffect" : "YellowBurstEffectSmall", centre);
        Sound::Play("F_coin.ogg");
        break;
    }
    case HIDDEN_MULTIPLIER:
        if (cell->multiplier > 1) {
            std::unique_ptr<Actor> badge =
                NumberActor(cell->multiplier, cell->IsPatternCell() ? "bonus_match_m.png" : "bonus_match.png");
            // The lit copy is what a multiplier flash shows over the badge.
            std::unique_ptr<Actor> lit = NumberActor(cell->multiplier, "bonus_lit.png");
            lit->SetName("multiplierFlash");
            lit->SetVisible(false);
            badge->AddChild(lit.release());
            ApplyScaling(badge.get());
            cell->SetContents(badge.release());
        }
        break;
    default:
        break;
    }
}
