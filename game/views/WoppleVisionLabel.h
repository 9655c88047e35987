#pragma once

#include "engine/core/Color.h"
#include "engine/ui/Actor.h"

#include <string>
#include <vector>

class Label;

// A short text (a cell number, a score) in a coloured font with a black
// outline: eight black copies around the coloured one. After each change of
// text the nine labels are rendered once into the label's own image, which is
// drawn in their place.
class WoppleVisionLabel : public Actor
{
    VELK_DECLARE_CLASS(WoppleVisionLabel)
public:
    WoppleVisionLabel();

    // Finds "primaryLabel" (coloured fgColor), "outlineLabelContainer" and
    // "outlineLabel1", "outlineLabel2" ... up to the first number missing.
    void OnPostSpawn() override;
    // Nothing happens for the text already shown; else every label gets it and
    // the picture is rendered again.
    void SetText(const std::string& text);
    // Rebuilds the drawn picture's video surface (and a flattened cache's).
    void Redraw();

    const std::string& GetText() const { return m_Text; }
    Label* GetPrimaryLabel() const { return m_PrimaryLabel; }
    const std::vector<Label*>& GetOutlineLabels() const { return m_OutlineLabels; }
    // How often the nine labels were rendered into one picture.
    int GetRenderCount() const { return m_RenderCount; }

private:
    friend void WoppleVisionLabelClassHook(Class* c);

    void RenderCachedImage();

    Label* m_PrimaryLabel = nullptr;
    Actor* m_OutlineLabelContainer = nullptr;
    std::vector<Label*> m_OutlineLabels;
    std::string m_Text;
    std::string m_RenderedText;
    Color m_FgColor;
    int m_RenderCount = 0;
};

// A score flash: the object the template makes, given the text, centred on the
// screen point (x, y) under the parent, on the layer when setLayer is given.
// The template's own scripts move it and destroy it. Null when the template
// makes no actor.
Actor* ShowOutlinedFlashText(const std::string& text, int x, int y, const std::string& templateName, Actor* parent,
                             bool setLayer, int layer);
