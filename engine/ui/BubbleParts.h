#pragma once

#include "platform/lua/LuaObject.h"

#include <string>
#include <vector>

class Actor;
class Button;
class Font;
class Label;

// What the speech and note bubbles share: the greedy wrap of their text, the
// stack of picture pieces that grows with the lines, the key-tip layer of the
// buttons inside them and the close box.
namespace bubble {

// Room kept on the first line for the close box.
inline constexpr int kCloseBoxReserve = 40;

struct WrappedText
{
    std::string text;
    int lines = 1;
};

// Breaks the text into lines narrower than the limit (strictly), measured in
// the font, at spaces and, when breakAtHyphen is set, after hyphens. A word
// wider than a line stands alone on its own line.
WrappedText WrapText(const std::string& text, const Font& font, int limit, bool closeBox, bool breakAtHyphen);

// The pieces of one build, held through their script selves, which read as
// nothing once something else has deleted them.
struct Pieces
{
    LuaObject top;
    std::vector<LuaObject> middles;
    LuaObject bottom;
    LuaObject arrow;
    LuaObject label;

    void Forget() { *this = Pieces(); }
    Actor* Top() const;
    std::vector<Actor*> Middles() const;
    Actor* Bottom() const;
    Actor* Arrow() const;
    Label* GetLabel() const;
};

// The actor a handle holds, or null when it is gone.
Actor* HeldActor(const LuaObject& handle);

// A new plain key-tip layer (z-order 1002) under the bubble, stored as its
// "keyTipLayer" property, unless that property already holds something.
void MakeKeyTipLayer(Actor& bubble, const char* name);
// Destroys every child of the bubble and gives it a fresh key-tip layer.
void ClearForRebuild(Actor& bubble, Pieces& pieces, const char* keyTipLayerName);

// The top piece at (0, 0) and, stacked under it, one middle piece per further
// line and the bottom piece, each centred under the one above. Sizes the
// bubble to the top's width and the stack's height. Returns the width limit of
// the text (the top's width minus 10).
int StackPieces(Actor& bubble, const std::string& style, Pieces& pieces);
// The middles and bottom for that many lines; the top must be there.
void AddLowerPieces(Actor& bubble, const std::string& style, int lines, Pieces& pieces);

// Shows the wrapped text on the label, limited to the width and centred in
// the bubble, and adds it as a child.
void PlaceLabel(Actor& bubble, Label* label, const std::string& text, int widthLimit, Pieces& pieces);

// The arrow picture named "bubbleArrow" at z-order 100, turned by the angle.
Actor* AddArrow(Actor& bubble, const std::string& imageName, double rotation, Pieces& pieces);

// The close box at the bubble's top right: it answers x and Escape, and whoever
// receives the bubble's events hears its click.
Button* AddCloseBox(Actor& bubble, const std::string& name);

// Font values of the configuration: face and size must be there; the spacing
// is 0 unless it is a whole number.
std::string ConfiguredBubbleFontFace();
int ConfiguredBubbleFontSize();
int ConfiguredBubbleFontSpacing();

// Whether the resource catalogue holds an entry of that name.
bool HasResource(const std::string& name);

} // namespace bubble
