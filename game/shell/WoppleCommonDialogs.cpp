#include "game/shell/WoppleCommonDialogs.h"

#include "engine/ui/Label.h"
#include "engine/ui/Button.h"
#include "engine/ui/CardView.h"

namespace {

constexpr int kButtonRow = 440;

void PlaceChild(Actor& dialog, const char* name, int x, int y, const char* image = nullptr)
{
    Actor* child = dialog.FindChild(name, true);
    if (!child)
        return;
    child->SetPosition(x, y);
    if (image)
        child->SetImageFromName(image);
}

} // namespace

WoppleAreYouSureQuitDialog::WoppleAreYouSureQuitDialog(bool showSavedLine) : AreYouSureQuitDialog(showSavedLine)
{
    SetImageFromName("bkgDialogLarge.png");
    SetAlignment(RectAlignment::MidTop);
    // The title hangs from the dialog's top edge, below the rope's board.
    if (Label* title = GetTitle()) {
        title->SetAlignTo(RectAlignment::MidTop);
        title->SetAlignment(RectAlignment::MidTop);
        title->SetAlignmentOffset(0, 178);
        title->UpdateAlignment();
    }
    PlaceChild(*this, "OkayButton", 95, 318);
    PlaceChild(*this, "CancelButton", 250, 318);
    ApplyNamedResource("LargeDialogDefaults");
}

WoppleChooseActivePlayerDialog::WoppleChooseActivePlayerDialog(const std::string& cardName, int cardMode)
    : ChooseActivePlayerDialog(cardName, cardMode)
{
    // One row on the paper under the cards, 14 pixels apart.
    PlaceChild(*this, "OkayButton", 50, kButtonRow);
    PlaceChild(*this, "UpdateButton", 188, kButtonRow, "Button.png");
    PlaceChild(*this, "ClearPlayerButton", 326, kButtonRow, "Button.png");
    // The first and third cards sit a little further in, clear of the rope.
    int index = 0;
    for (CardView* card : GetCards()) {
        const int extra = (index == 0 || index == 2) ? 24 : 0;
        card->SetPosition(card->GetX() + 31 + extra, card->GetY() + 10);
        ++index;
    }
}
