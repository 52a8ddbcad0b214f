// The skin sheet draws each element as the engine's painters would.
#include <string>
#include <vector>

#include "tests/skin_data/skin_test_package.h"
#include "tests/support/gtest.h"
#include "tools/skinsheet/sheet_elements.h"

namespace quorvane::test {
namespace {

const ElementInfo* FindElement(const std::vector<ElementInfo>& list, const std::string& label)
{
    for (const ElementInfo& e : list)
        if (e.label == label) return &e;
    return nullptr;
}

// Draws states 1-4 of an element on white, each at (state - 1) * 60, in a
// cell of the given size.
UniqueBitmap DrawStates(const ElementInfo& e, SIZE cell)
{
    UniqueBitmap canvas = CreateBitmap24(240, cell.cy);
    UniqueMemoryDc dc = UniqueMemoryDc::Compatible();
    SelectGuard select(dc.get(), canvas.get());
    UniqueBrush brush(CreateSolidBrush(RGB(255, 255, 255)));
    const RECT all{0, 0, 240, cell.cy};
    FillRect(dc.get(), &all, brush.get());
    for (int state = 1; state <= 4; ++state) {
        const int x = (state - 1) * 60;
        DrawFrame(dc.get(), e, RECT{x, 0, x + cell.cx, cell.cy}, state);
    }
    return canvas;
}

TEST(SkinSheet, MirroredComboButtonIsDrawnAsARightToLeftComboBoxDrawsIt)
{
    const COLORREF white = RGB(255, 255, 255);
    {
        // A button strip alone (no composite): each frame mirrored in its
        // place and keyed. Frames 2 and 4 hold a box, its left half darker.
        SCOPED_TRACE("button strip");
        const COLORREF dark = RGB(120, 130, 140), light = RGB(210, 215, 220);
        auto pixel = [&](int x, int y) -> COLORREF {
            const int frame = x / 19 + 1, local = x % 19;
            if (frame % 2 == 1 || local < 3 || local > 15 || y < 2 || y > 18) return RGB(255, 0, 255);
            return local < 9 ? dark : light;
        };
        auto skin = LoadContent("[ComboButton]\nImage=c.bmp\nTrans=1\nLeftWidth=4\nRightWidth=4\n",
                                {{"c.bmp", MakeBmp(76, 21, 24, pixel)}});
        ASSERT_NE(skin->ComboButton->Style, 2);
        const std::vector<ElementInfo> list = ListElements(*skin);
        const ElementInfo* mirrored = FindElement(list, "ComboButton mirrored");
        ASSERT_NE(mirrored, nullptr);
        const UniqueBitmap canvas = DrawStates(*mirrored, SIZE{19, 21});
        for (int state = 1; state <= 4; ++state) {
            const int x = (state - 1) * 60;
            const bool box = state % 2 == 0;
            // Mirrored: the darker half is on the right.
            EXPECT_EQ(PixelOf(canvas.get(), x + 5, 10), box ? light : white) << state;
            EXPECT_EQ(PixelOf(canvas.get(), x + 13, 10), box ? dark : white) << state;
            EXPECT_EQ(PixelOf(canvas.get(), x + 1, 10), white) << state;
        }
    }
    {
        // A combo composite, as in the shipped skins: right to left the whole
        // composite is mirrored, so state n shows button frame n at the left
        // and the sunken edge at the right.
        SCOPED_TRACE("composite");
        const COLORREF frames[] = {RGB(200, 0, 0), RGB(0, 160, 0), RGB(0, 0, 200), RGB(200, 160, 0)};
        const COLORREF edge = RGB(90, 90, 90);
        auto button = [&](int x, int) -> COLORREF { return frames[x / 19]; };
        auto skin = LoadContent(
            "[SunkEdge]\nImage=s.bmp\nTopHeight=4\nBottomHeight=4\nLeftWidth=4\nRightWidth=4\n"
            "[ComboButton]\nImage=c.bmp\nTrans=1\nLeftWidth=4\nRightWidth=4\n",
            {{"s.bmp", SolidBmp(80, 21, edge)}, {"c.bmp", MakeBmp(76, 21, 24, button)}});
        ASSERT_EQ(skin->ComboButton->Style, 2);
        const std::vector<ElementInfo> list = ListElements(*skin);
        const ElementInfo* mirrored = FindElement(list, "ComboButton mirrored");
        ASSERT_NE(mirrored, nullptr);
        EXPECT_TRUE(mirrored->reversed);
        const UniqueBitmap canvas = DrawStates(*mirrored, SIZE{50, 21});
        for (int state = 1; state <= 4; ++state) {
            const int x = (state - 1) * 60;
            EXPECT_EQ(PixelOf(canvas.get(), x + 10, 10), frames[state - 1]) << state;
            EXPECT_EQ(PixelOf(canvas.get(), x + 49, 10), edge) << state;
        }
    }
}

}  // namespace
}  // namespace quorvane::test
