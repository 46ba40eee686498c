// The logo picture kept in memory: drawing whole and in pieces, a missing resource.
#include <windows.h>

#include <gtest/gtest.h>

#include "resources/resource.h"
#include "ui/win32/handles.h"
#include "ui/win32/memory_bitmap.h"

namespace corelens {
namespace {

constexpr COLORREF k_untouched = RGB(1, 2, 3);

// A 24-bit memory image filled with k_untouched.
struct Canvas {
    MemoryDc dc{nullptr};
    Bitmap image{CreateCompatibleBitmap(WindowDc(nullptr).get(), 60, 40)};
    SelectedObject selected{dc.get(), image.get()};

    Canvas() {
        RECT all{0, 0, 60, 40};
        FillRect(dc.get(), &all, Brush(CreateSolidBrush(k_untouched)).get());
    }
};

TEST(MemoryBitmap, MissingResourceIsEmptyAndDrawsNothing) {
    MemoryBitmap missing(GetModuleHandleA(nullptr), 9999);
    EXPECT_TRUE(missing.bitmap_handle() == nullptr && missing.width() == 0 && missing.height() == 0);
    Canvas canvas;
    EXPECT_FALSE(missing.draw(canvas.dc.get(), 0, 0) || missing.draw_part(canvas.dc.get(), 0, 0, 0, 0, 4, 4));
    EXPECT_EQ(k_untouched, GetPixel(canvas.dc.get(), 0, 0));
}

// Drawn at (5, 7) and compared with the resource loaded on its own: only the right and bottom
// edges cut, a piece reaching exactly to the edge is drawn whole, one pixel more is cut back.
TEST(MemoryBitmap, DrawsWholeOrCutAtRightAndBottomEdges) {
    const MemoryBitmap logo(GetModuleHandleA(nullptr), IDB_LOGO);
    ASSERT_TRUE(logo.width() == 48 && logo.height() == 20) << logo.width() << "x" << logo.height();
    MemoryDc fresh(nullptr);
    Bitmap fresh_image(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_LOGO)));
    SelectedObject selected(fresh.get(), fresh_image.get());
    const struct { const char* name; int source_x, source_y, width, height, drawn_width, drawn_height; } cases[] = {
        {"whole, by draw", 0, 0, 0, 0, 48, 20},
        {"exactly to the right edge", 40, 2, 8, 5, 8, 5},  {"one past the right edge", 40, 2, 9, 5, 8, 5},
        {"one past the bottom edge", 3, 15, 6, 6, 6, 5},  {"far past both edges", 44, 18, 30, 10, 4, 2},
    };
    for (const auto& c : cases) {
        Canvas canvas;
        ASSERT_TRUE(c.width == 0 ? logo.draw(canvas.dc.get(), 5, 7)
                                 : logo.draw_part(canvas.dc.get(), 5, 7, c.source_x, c.source_y, c.width, c.height));
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 60; ++x) {
                const bool drawn = x >= 5 && y >= 7 && x - 5 < c.drawn_width && y - 7 < c.drawn_height;
                const COLORREF want =
                    drawn ? GetPixel(fresh.get(), c.source_x + x - 5, c.source_y + y - 7) : k_untouched;
                ASSERT_EQ(want, GetPixel(canvas.dc.get(), x, y)) << c.name << ": pixel (" << x << ", " << y << ")";
            }
        }
    }
}

}  // namespace
}  // namespace corelens
