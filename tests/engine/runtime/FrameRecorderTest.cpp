#include "engine/runtime/FrameRecorder.h"

#include "engine/runtime/Image.h"
#include "ImageTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace imagetest;

namespace {

// Writes down every call it gets, as text.
class LoggingRenderer : public RecordedFrameTarget
{
public:
    Image* GetTargetSurface() override { return nullptr; }
    void DrawCircle(int x, int y, int r, const Color&) override { Add("circle", {x, y, r}); }
    void DrawImage(Image*, int, const Rect*, const Rect*, std::uint8_t, float, bool, bool) override
    {
        calls.push_back("image drawn past the recorder");
    }
    void DrawSurfaceRecord(SurfaceRecord* record, int shader, const Rect* dest, const Rect* src, std::uint8_t alpha,
                           float, bool, bool pointFiltering) override
    {
        calls.push_back("image " + std::to_string(record != nullptr) + " " + std::to_string(shader) + " " +
                        (dest ? RectText(*dest) : "-") + " " + (src ? RectText(*src) : "-") + " " +
                        std::to_string(alpha) + " " + std::to_string(pointFiltering));
    }
    void DrawLine(int x1, int y1, int x2, int y2, const Color&) override { Add("line", {x1, y1, x2, y2}); }
    void DrawPie(int x, int y, int r, int a, int b, const Color&) override { Add("pie", {x, y, r, a, b}); }
    void FillPolygon(const Poly& p, const Color&, bool filled) override
    {
        Add("polygon", {static_cast<int>(p.GetVertices().size()), filled});
    }
    void FillRect(const Rect& r, const Color& c, bool filled) override
    {
        Add("rect", {r.x, r.y, r.w, r.h, c.a, filled});
    }

    std::vector<std::string> calls;

private:
    static std::string RectText(const Rect& r)
    {
        return std::to_string(r.x) + "," + std::to_string(r.y) + "," + std::to_string(r.w) + "," + std::to_string(r.h);
    }
    void Add(const std::string& what, std::initializer_list<int> values)
    {
        std::string text = what;
        for (int v : values)
            text += " " + std::to_string(v);
        calls.push_back(text);
    }
};

class FrameRecorderTest : public ImageFixture
{
protected:
    void DrawFrame(Image* image, int x)
    {
        recorder.Clear();
        recorder.FillRect(Rect(0, 0, 800, 600), Color(0, 0, 0, 255), true);
        const Rect dest(static_cast<std::int16_t>(x), 20, 4, 4);
        recorder.DrawImage(image, SHADERTYPE_BLENDPIXELALPHA, &dest, nullptr, 200, 0.0f, false, true);
        Poly triangle;
        triangle.SetPoly(Rect(1, 2, 3, 4));
        recorder.FillPolygon(triangle, Color(9, 9, 9, 255), true);
        recorder.DrawLine(1, 2, 3, 4, Color(1, 1, 1, 255));
    }

    LoggingRenderer target;
    FrameRecorder recorder{target};
};

} // namespace

TEST_F(FrameRecorderTest, TheFrameIsDrawnAsRecordedAndOnlyAgainWhenSomethingChanged)
{
    auto image = MakeImage(4, 4, {});
    DrawFrame(image.get(), 10);
    EXPECT_TRUE(recorder.HasChanged()) << "nothing has been shown yet";
    recorder.Replay();
    const std::vector<std::string> expected = {"rect 0 0 800 600 255 1", "image 1 2 10,20,4,4 - 200 1", "polygon 4 1",
                                               "line 1 2 3 4"};
    EXPECT_EQ(target.calls, expected);

    DrawFrame(image.get(), 10);
    EXPECT_FALSE(recorder.HasChanged()) << "the same frame again";

    DrawFrame(image.get(), 11);
    EXPECT_TRUE(recorder.HasChanged()) << "the picture moved one pixel";
    recorder.Replay();
    DrawFrame(image.get(), 11);
    EXPECT_FALSE(recorder.HasChanged());

    image->GetSurfaceRecord()->MarkChanged();
    DrawFrame(image.get(), 11);
    EXPECT_TRUE(recorder.HasChanged()) << "the picture was redrawn in place";
    recorder.Replay();

    DrawFrame(image.get(), 11);
    recorder.Invalidate();
    EXPECT_TRUE(recorder.HasChanged()) << "the screen lost what it showed";
    recorder.Replay();

    recorder.Clear();
    recorder.FillRect(Rect(0, 0, 800, 600), Color(0, 0, 0, 255), true);
    EXPECT_TRUE(recorder.HasChanged()) << "a frame with less on it";
}

TEST_F(FrameRecorderTest, APictureGoneBeforeTheFrameIsDrawnIsStillDrawnFromItsRecord)
{
    auto image = MakeImage(4, 4, {});
    DrawFrame(image.get(), 10);
    image.reset();
    recorder.Replay();
    EXPECT_EQ(target.calls.at(1), "image 1 2 10,20,4,4 - 200 1");
    recorder.Clear();  // lets the record go
}
