#pragma once

#include "engine/runtime/Resource.h"
#include "engine/ui/Actor.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Canvas;
class Label;

// A number drawn on a white box from twelve glyph labels made once ("0" to
// "9", "." and ","), so that a figure that changes every frame costs no text
// layout. Other characters take no space and are not drawn.
class NumericalStatDisplay : public Actor
{
public:
    NumericalStatDisplay();
    ~NumericalStatDisplay() override;

    // "%1$04.1f": 7.5 shows as 07.5.
    virtual void FormatValue(Canvas& canvas, double value, Actor* prefix);
    // With groupDigits, digits in threes between commas.
    virtual void SetValue(Canvas& canvas, std::int32_t value, Actor* prefix, bool groupDigits);

    // Width and height of the text in glyphs.
    Point<int> CalcTextSize(const std::string& text) const;

protected:
    void DrawNumbers(Canvas& canvas, const std::string& text, Actor* prefix);

private:
    void BuildNumbers();
    // The glyph of the character, or null for one without a glyph.
    Label* GlyphOf(char ch) const;

    std::vector<std::unique_ptr<Label>> m_Numbers;
};

// The frame rate, averaged over windows of at least 100 milliseconds of
// frame work, after "HW: " or "SW: " for the display's acceleration.
class FPSCounter : public NumericalStatDisplay
{
public:
    FPSCounter();
    ~FPSCounter() override;

    // The main loop's time in milliseconds at the start and end of its work.
    void FrameBegin(std::uint32_t now);
    void FrameEnd(std::uint32_t now);
    float GetFramesPerSecond() const { return m_FramesPerSecond; }
    Label* GetPrefix() const { return m_Prefix.get(); }

    void DrawImage(Canvas& canvas) override;
    bool OnDisplayChange(const EventRecord& event) override;

private:
    void BuildPrefix();

    std::uint32_t m_FrameStart = 0;
    std::uint32_t m_Accumulated = 0;
    std::uint32_t m_FrameCount = 0;
    float m_FramesPerSecond = 0.0f;
    std::unique_ptr<Label> m_Prefix;
};

// The bytes held in one memory-usage category of the resources.
class ResourceMemoryUsageCounter : public NumericalStatDisplay
{
public:
    explicit ResourceMemoryUsageCounter(int category);

    int GetCategory() const { return m_Category; }
    void SetCategory(int category) { m_Category = category; }

    void DrawImage(Canvas& canvas) override;

private:
    int m_Category;
};
