// The skin sheet draws each element as the engine's painters would.
#include <string>
#include <vector>

#include "tests/skin_data/skin_test_package.h"
#include "tests/support/gtest.h"
#include "tools/skinsheet/sheet_elements.h"

namespace quorvane::test {
namespace {

TEST(SkinSheet, MirroredComboButtonShowsEachFrameOfTheButtonStrip)
{
    // As in the shipped skins: a combo box composite (SunkEdge and a button
    // strip), the strip four 19 x 21 frames on magenta, frames 2 and 4 with a
    // box (its left half darker), frames 1 and 3 empty.
    const COLORREF dark = RGB(120, 130, 140), light = RGB(210, 215, 220), white = RGB(255, 255, 255);
    auto pixel = [&](int x, int y) -> COLORREF {
        const int frame = x / 19 + 1, local = x % 19;
        if (frame % 2 == 1 || local < 3 || local > 15 || y < 2 || y > 18) return RGB(255, 0, 255);
        return local < 9 ? dark : light;
    };
    auto skin = LoadContent(
        "[SunkEdge]\nImage=s.bmp\nTopHeight=4\nBottomHeight=4\nLeftWidth=4\nRightWidth=4\n"
        "[ComboButton]\nImage=c.bmp\nTrans=1\nLeftWidth=4\nRightWidth=4\n",
        {{"s.bmp", SolidBmp(80, 21, RGB(90, 90, 90))}, {"c.bmp", MakeBmp(76, 21, 24, pixel)}});
    ASSERT_EQ(skin->ComboButton->Style, 2);
    const ElementInfo* mirrored = nullptr;
    const std::vector<ElementInfo> list = ListElements(*skin);
    for (const ElementInfo& e : list)
        if (e.label == "ComboButton mirrored") mirrored = &e;
    ASSERT_NE(mirrored, nullptr);

    // Each frame at its own size and stretched to twice it, as the sheet
    // shows them, on white.
    UniqueBitmap canvas = CreateBitmap24(200, 63);
    UniqueMemoryDc dc = UniqueMemoryDc::Compatible();
    {
        SelectGuard select(dc.get(), canvas.get());
        UniqueBrush brush(CreateSolidBrush(white));
        const RECT all{0, 0, 200, 63};
        FillRect(dc.get(), &all, brush.get());
        for (int frame = 1; frame <= 4; ++frame) {
            const int x = (frame - 1) * 50;
            DrawFrame(dc.get(), *mirrored, RECT{x, 0, x + 19, 21}, frame);
            DrawFrame(dc.get(), *mirrored, RECT{x, 21, x + 38, 63}, frame);
        }
    }
    for (int frame = 1; frame <= 4; ++frame) {
        const int x = (frame - 1) * 50;
        const bool box = frame % 2 == 0;
        // Mirrored: the darker half is on the right.
        EXPECT_EQ(PixelOf(canvas.get(), x + 5, 10), box ? light : white) << frame;
        EXPECT_EQ(PixelOf(canvas.get(), x + 13, 10), box ? dark : white) << frame;
        EXPECT_EQ(PixelOf(canvas.get(), x + 1, 10), white) << frame;
        EXPECT_EQ(PixelOf(canvas.get(), x + 10, 42), box ? light : white) << frame;
        EXPECT_EQ(PixelOf(canvas.get(), x + 19, 42), box ? light : white) << frame;
        EXPECT_EQ(PixelOf(canvas.get(), x + 27, 42), box ? dark : white) << frame;
        EXPECT_EQ(PixelOf(canvas.get(), x + 36, 42), white) << frame;
    }
}

}  // namespace
}  // namespace quorvane::test
