#include "game/shell/WoppleCommonDialogs.h"

#include "engine/core/Point.h"
#include "engine/ui/Button.h"
#include "engine/ui/CardView.h"

namespace {

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
    LuaObject offset;
    Point<int>(0, 178).StoreAsLuaObject(offset, ObjectLuaState());
    ApplyClassicProperty("titleAlignmentOffset", offset);
    PlaceChild(*this, "OkayButton", 95, 318);
    PlaceChild(*this, "CancelButton", 250, 318);
    ApplyNamedResource("LargeDialogDefaults");
}

WoppleChooseActivePlayerDialog::WoppleChooseActivePlayerDialog(const std::string& cardName, int cardMode)
    : ChooseActivePlayerDialog(cardName, cardMode)
{
    PlaceChild(*this, "OkayButton", 50, 497);
    PlaceChild(*this, "UpdateButton", 235, 497, "Button.png");
    PlaceChild(*this, "ClearPlayerButton", 435, 497, "Button.png");
    // The first and third cards sit a little further in, clear of the rope.
    int index = 0;
    for (CardView* card : GetCards()) {
        const int extra = (index == 0 || index == 2) ? 24 : 0;
        card->SetPosition(card->GetX() + 31 + extra, card->GetY() + 10);
        ++index;
    }
}
