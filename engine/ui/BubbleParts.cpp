#include "engine/ui/BubbleParts.h"

#include "engine/core/Config.h"
#include "engine/core/Exception.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/Font.h"
#include "engine/runtime/ResourceManager.h"
#include "engine/ui/Actor.h"
#include "engine/ui/Button.h"
#include "engine/ui/Label.h"

#include <cmath>
#include <limits>
#include <memory>

namespace bubble {

namespace {

constexpr int kKeyTipLayerZOrder = 1002;
constexpr int kArrowZOrder = 100;
// The text keeps this much off the bubble's sides, together.
constexpr int kTextMargin = 10;

Actor* AddPiece(Actor& parent, const std::string& imageName, int x, int y)
{
    auto piece = std::make_unique<Actor>();
    piece->SetImageFromName(imageName);
    piece->SetPosition(x, y);
    Actor* added = piece.get();
    parent.AddChild(piece.release());
    return added;
}

} // namespace

WrappedText WrapText(const std::string& text, const Font& font, int limit, bool closeBox, bool breakAtHyphen)
{
    constexpr std::size_t kNone = std::string::npos;
    WrappedText result{text, 1};
    std::string& s = result.text;
    std::size_t lineStart = 0;
    // The last break candidate of this line up to which the line fitted.
    std::size_t breakPoint = kNone;
    bool firstLine = true;

    auto fits = [&](std::size_t end) {
        int width = font.GetTextSize(s.substr(lineStart, end - lineStart)).x;
        if (firstLine && closeBox)
            width += kCloseBoxReserve;
        return width < limit;
    };
    auto newLineAfter = [&](std::size_t newline) {
        ++result.lines;
        firstLine = false;
        lineStart = newline + 1;
        breakPoint = kNone;
    };

    std::size_t i = 0;
    while (i <= s.size()) {
        const bool atEnd = i == s.size();
        const char ch = atEnd ? '\0' : s[i];
        const bool hyphen = breakAtHyphen && ch == '-';
        if (!atEnd && ch != ' ' && ch != '\n' && !hyphen) {
            ++i;
            continue;
        }
        // A hyphen stays at the end of its line, so it counts.
        if (fits(hyphen ? i + 1 : i)) {
            if (atEnd)
                break;
            if (ch == '\n') {
                newLineAfter(i);
                i = lineStart;
            } else {
                breakPoint = i++;
            }
            continue;
        }
        // Without an earlier point on this line the word is wider than a
        // line: it ends here and overflows on a line of its own.
        std::size_t at = breakPoint != kNone ? breakPoint : i;
        if (at == s.size())
            break;
        if (s[at] == ' ')
            s[at] = '\n';
        else if (s[at] == '-')
            s.insert(++at, 1, '\n');
        newLineAfter(at);
        i = lineStart;
    }
    return result;
}

Actor* HeldActor(const LuaObject& handle)
{
    auto* actor = dynamic_cast<Actor*>(Object::FromLuaObject(handle));
    return actor && !actor->IsBeingDestroyed() ? actor : nullptr;
}

Actor* Pieces::Top() const
{
    return HeldActor(top);
}

std::vector<Actor*> Pieces::Middles() const
{
    std::vector<Actor*> actors;
    for (const LuaObject& middle : middles)
        actors.push_back(HeldActor(middle));
    return actors;
}

Actor* Pieces::Bottom() const
{
    return HeldActor(bottom);
}

Actor* Pieces::Arrow() const
{
    return HeldActor(arrow);
}

Label* Pieces::GetLabel() const
{
    return dynamic_cast<Label*>(HeldActor(label));
}

void MakeKeyTipLayer(Actor& bubble, const char* name)
{
    if (!bubble.RetrieveProperty("keyTipLayer").IsNil())
        return;
    auto layer = std::make_unique<Actor>();
    layer->SetName(name);
    layer->SetZOrder(kKeyTipLayerZOrder);
    Actor* added = layer.get();
    bubble.AddChild(layer.release());
    bubble.StoreProperty("keyTipLayer", added->GetLuaObject());
}

void ClearForRebuild(Actor& bubble, Pieces& pieces, const char* keyTipLayerName)
{
    bubble.DestroyChildren();
    pieces.Forget();
    bubble.StoreProperty("keyTipLayer", LuaObject(ObjectLuaState()));
    MakeKeyTipLayer(bubble, keyTipLayerName);
}

int StackPieces(Actor& bubble, const std::string& style, Pieces& pieces)
{
    Actor* top = AddPiece(bubble, "objBubble." + style + ".Top.png", 0, 0);
    pieces.top = top->GetLuaObject();
    bubble.SetSize(top->GetWidth(), top->GetHeight());
    return top->GetWidth() - kTextMargin;
}

void AddLowerPieces(Actor& bubble, const std::string& style, int lines, Pieces& pieces)
{
    Actor* above = HeldActor(pieces.top);
    VELK_ASSERT(above != 0);
    int height = above->GetHeight();
    auto addBelow = [&](const std::string& part) {
        auto piece = std::make_unique<Actor>();
        piece->SetImageFromName("objBubble." + style + part);
        piece->SetPosition(above->GetWidth() / 2 - piece->GetWidth() / 2, above->GetHeight());
        Actor* added = piece.get();
        above->AddChild(piece.release());
        height += added->GetHeight();
        above = added;
        return added;
    };
    for (int line = 2; line <= lines; ++line)
        pieces.middles.push_back(addBelow(".Middle.png")->GetLuaObject());
    Actor* top = HeldActor(pieces.top);
    Actor* bottom = addBelow(".Bottom.png");
    pieces.bottom = bottom->GetLuaObject();
    bubble.SetSize(top->GetWidth(), height);
}

void PlaceLabel(Actor& bubble, Label* label, const std::string& text, int widthLimit, Pieces& pieces)
{
    std::unique_ptr<Label> owned(label);
    label->SetWidthLimit(widthLimit);
    label->SetText(text, true);
    label->SetPosition(bubble.GetWidth() / 2 - label->GetWidth() / 2,
                       bubble.GetHeight() / 2 - label->GetHeight() / 2);
    pieces.label = label->GetLuaObject();
    bubble.AddChild(owned.release());
}

Actor* AddArrow(Actor& bubble, const std::string& imageName, double rotation, Pieces& pieces)
{
    auto arrow = std::make_unique<Actor>();
    arrow->SetImageFromName(imageName);
    arrow->SetName("bubbleArrow");
    arrow->SetZOrder(kArrowZOrder);
    if (rotation != 0.0)
        arrow->SetRotation(rotation, -1, true);
    Actor* added = arrow.get();
    pieces.arrow = added->GetLuaObject();
    bubble.AddChild(arrow.release());
    return added;
}

Button* AddCloseBox(Actor& bubble, const std::string& name)
{
    auto button = std::make_unique<Button>("btnClose.Circle.png");
    button->SetName(name);
    for (EventReceiver* receiver : bubble.GetReceivers())
        button->AddToGroup(receiver);
    button->SetPosition(bubble.GetWidth() - 2 - button->GetWidth(), 4);
    button->SetClickSound("click2.ogg");
    button->SetShortcutKey('x');
    button->SetEscapeKey(true);
    Button* added = button.get();
    bubble.AddChild(button.release());
    return added;
}

std::string ConfiguredBubbleFontFace()
{
    return ConfiguredFontFace("BubbleFont");
}

int ConfiguredBubbleFontSize()
{
    Config* config = GetConfig();
    VELK_ASSERT_MSG(config != 0, "There is no configuration to read fonts from.");
    Variant size = config->Retrieve("BubbleFontSize");
    VELK_ASSERT_MSG(size.IsDouble() && size.ToDouble() >= 1 && size.ToDouble() <= std::numeric_limits<int>::max(),
                    "The configuration value \"BubbleFontSize\" must be a number.");
    return static_cast<int>(size.ToDouble());
}

int ConfiguredBubbleFontSpacing()
{
    Config* config = GetConfig();
    if (!config)
        return 0;
    Variant spacing = config->Retrieve("BubbleFontSpacing");
    if (!spacing.IsDouble())
        return 0;
    const double value = spacing.ToDouble();
    const bool whole = std::floor(value) == value && value >= std::numeric_limits<int>::min() &&
                       value <= std::numeric_limits<int>::max();
    return whole ? static_cast<int>(value) : 0;
}

bool HasResource(const std::string& name)
{
    ResourceManager* resources = ResourceManager::GetInstance();
    return resources && resources->ResourceExists(name);
}

} // namespace bubble
