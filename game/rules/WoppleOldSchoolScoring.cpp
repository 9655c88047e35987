// The line scores of the old-school logic and what shows them: the line and
// super-line animations, the butterfly boxes, the match sounds and the
// scaling of new cell contents.

#include "game/rules/WoppleOldSchoolBaseLogic.h"

#include "engine/core/Exception.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/ImageEffects.h"
#include "engine/runtime/Sound.h"
#include "engine/ui/Actor.h"
#include "game/rules/WoppleInfo.h"
#include "game/rules/WoppleOutputBaseLogic.h"
#include "game/views/WoppleAnimation.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCellView.h"
#include "game/views/WopplePowerupView.h"

#include <boost/format.hpp>

#include <algorithm>

namespace {

template <typename... Values>
std::string Formatted(const char* format, const Values&... values)
{
    boost::format f(format);
    (f % ... % values);
    return f.str();
}

bool IsBouncingKind(int kind)
{
    return kind >= 5 && kind <= 8;
}

// "%1%", or "%1% (%2%x)" under a multiplier of 2 or more.
std::string ScoreText(std::int64_t points, int multiplier)
{
    return multiplier < 2 ? Formatted("%1%", points * multiplier)
                          : Formatted("%1% (%2%x)", points * multiplier, multiplier);
}

} // namespace

Object* WoppleOldSchoolBaseLogic::CreateOutputLogic()
{
    return new WoppleOutputBaseLogic(*this);
}

WoppleOutputBaseLogic* WoppleOldSchoolBaseLogic::GetScoringLogic() const
{
    return dynamic_cast<WoppleOutputBaseLogic*>(m_OutputLogic.get());
}

void WoppleOldSchoolBaseLogic::SetDevilProtection(bool on)
{
    if (m_CurrentParticipant >= m_Participants.size())
        return;
    ParticipantRecord& record = m_Participants[m_CurrentParticipant];
    record.devilProtection = on;
    // One guard in the bar however often protection is given.
    if (WopplePowerupView* bar = record.powerupView) {
        if (!on)
            bar->RemoveDevilProtection();
        else if (!bar->HasPowerup("DevilProtection"))
            bar->AddDevilProtection();
    }
}

void WoppleOldSchoolBaseLogic::AddButterflyFound()
{
    if (m_CurrentParticipant < m_Participants.size())
        ++m_Participants[m_CurrentParticipant].butterfliesFound;
}

std::int64_t WoppleOldSchoolBaseLogic::GetWoppleBasePoints() const
{
    // 64-bit all the way: a long run of lines must not wrap.
    return std::int64_t{1000} << std::max(m_WoppleCounter - 1, 0);
}

void WoppleOldSchoolBaseLogic::AwardWoppleScore()
{
    const std::int64_t points = GetWoppleBasePoints();
    ++m_WoppleCounter;
    AddScore(points);
}

WoppleAnimation* WoppleOldSchoolBaseLogic::ShowWoppleScore(const WoppleLineInfo& line)
{
    const bool orange = IsBouncingKind(line.kind);
    std::vector<WoppleCellView*> forward, backward;
    WoppleInfo::BuildCellRun(line, forward, backward);
    auto animation = std::make_unique<WoppleAnimation>(forward, backward);
    animation->m_ScoreFlashParent = GetRootActor();
    animation->m_ScoreFlashResource = orange ? "OrangeScoreFlash" : "WoppleScoreFlash";
    animation->scoreText = ScoreText(GetWoppleBasePoints(), GetTotalMultiplier());
    Actor overlay;
    overlay.SetImage(std::make_unique<Image>(orange ? "cellWoppleOverlay_orange.png" : "cellWoppleOverlay.png"), "");
    ApplyScaling(&overlay);
    animation->m_CellOverlayImage.reset(new Image(*overlay.GetImage()));
    const bool one = GetNumBoards() == 1;
    animation->particleName = orange ? (one ? "OrangeBurstEffect" : "OrangeBurstEffectSmall")
                                     : (one ? "YellowBurstEffect" : "YellowBurstEffectSmall");
    return animation.release();
}

ReverseWoppleAnimation* WoppleOldSchoolBaseLogic::ShowSuperWoppleEffect(const WoppleLineInfo& line)
{
    std::vector<WoppleCellView*> forward, backward;
    WoppleInfo::BuildCellRun(line, forward, backward);
    auto animation = std::make_unique<ReverseWoppleAnimation>(forward, backward);
    Actor overlay;
    overlay.SetImage(std::make_unique<Image>("cellWoppleOverlay_pink.png"), "");
    ApplyScaling(&overlay);
    animation->m_CellOverlayImage.reset(new Image(*overlay.GetImage()));
    animation->particleName = "PinkBurstEffect";
    return animation.release();
}

void WoppleOldSchoolBaseLogic::StartSuperWoppleAnimation(const SuperWoppleCells& line)
{
    const std::string text = ScoreText(GetWoppleBasePoints(), GetTotalMultiplier());
    if (m_SuperWoppleAnimation) {
        m_SuperWoppleAnimation->Destroy();
        m_SuperWoppleAnimation = nullptr;
    }
    SuperWoppleAnimationInfo info;
    info.cells = line.cells;
    info.reverseCells = line.reverseCells;
    auto* animation = new SuperWoppleAnimation(info, GetRootActor(), "WoppleScoreFlash", text);
    m_SuperWoppleAnimation = animation;
    animation->AttachObserver(WOPPLE_SUPERWOPPLEANIMATIONFINISHED, this);
    if (Actor* root = GetRootActor())
        root->AddChild(animation);
    animation->Start();
}

void WoppleOldSchoolBaseLogic::OnCellMatched(WoppleCellView* cell)
{
    // The bonus timer's level picks the note; 1 without it.
    const int level = GetBonusTimerLevel();
    Sound::Play(Formatted("C_match_%1%.ogg", std::clamp(level, 1, 8)));
    if (cell && cell->ruleCode == HIDDEN_SECRET_SQUARE) {
        Sound::Play("Pickup_Key07.ogg");
        Sound::Play("Pickup_GemBells14.ogg");
        Sound::Play("tada.ogg");
    } else if (GetTotalMultiplier() >= 2) {
        Sound::Play("combo.ogg");
    }
}

void WoppleOldSchoolBaseLogic::ApplyScaling(Actor* contents)
{
    if (!contents || !m_ChosenCell || !m_ChosenCell->RetrieveBoolProperty("applyScale", false))
        return;
    Actor* newCellContents = contents;
    Image* image = newCellContents->GetImage();
    if (!image || image->GetSize().w == 0 || image->GetSize().h == 0)
        return;
    const double factor = std::min(static_cast<double>(m_ChosenCell->GetWidth()) / image->GetSize().w,
                                   static_cast<double>(m_ChosenCell->GetHeight()) / image->GetSize().h);
    newCellContents->SetImage(ZoomImage(*image, factor, true), "");
    VELK_ASSERT(newCellContents->GetImage()->GetNumFrames() < 2);
    for (Actor* child : newCellContents->GetChildren()) {
        if (!child || !child->GetImage())
            continue;
        child->SetImage(ZoomImage(*child->GetImage(), factor, true), "");
        VELK_ASSERT(child->GetImage()->GetNumFrames() < 2);
    }
}
