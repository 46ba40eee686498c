// The logo picture kept in memory: drawing whole and in pieces, a missing resource.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>

#include "resources/resource.h"
#include "ui/win32/handles.h"
#include "ui/win32/memory_bitmap.h"

namespace corelens {
namespace {

constexpr COLORREF k_untouched = RGB(1, 2, 3);

// A 24-bit memory image filled with k_untouched.
struct Canvas {
    MemoryDc dc{nullptr};
    Bitmap image;
    SelectedObject selected;

    Canvas(int width, int height) {
        image.reset(CreateCompatibleBitmap(WindowDc(nullptr).get(), width, height));
        selected = SelectedObject(dc.get(), image.get());
        RECT all{0, 0, width, height};
        Brush fill(CreateSolidBrush(k_untouched));
        FillRect(dc.get(), &all, fill.get());
    }
    COLORREF at(int x, int y) const { return GetPixel(dc.get(), x, y); }
};

HINSTANCE this_module() {
    return GetModuleHandleA(nullptr);
}

TEST(MemoryBitmap, MissingResourceIsEmptyAndDrawsNothing) {
    MemoryBitmap missing(this_module(), 9999);
    EXPECT_EQ(nullptr, missing.bitmap_handle());
    EXPECT_EQ(0, missing.width());
    EXPECT_EQ(0, missing.height());
    Canvas canvas(8, 8);
    EXPECT_FALSE(missing.draw(canvas.dc.get(), 0, 0));
    EXPECT_FALSE(missing.draw_part(canvas.dc.get(), 0, 0, 0, 0, 4, 4));
    EXPECT_EQ(k_untouched, canvas.at(0, 0));
    missing.release();  // harmless without a bitmap
}

// The whole logo lands in exactly the top-left 48 x 20 pixels: compared with a copy of
// the resource loaded on its own.
TEST(MemoryBitmap, DrawFillsExactlyTheLogosPixels) {
    const MemoryBitmap logo(this_module(), IDB_LOGO);
    ASSERT_EQ(48, logo.width());
    ASSERT_EQ(20, logo.height());
    Canvas canvas(60, 30);
    ASSERT_TRUE(logo.draw(canvas.dc.get(), 0, 0));

    MemoryDc fresh_dc(nullptr);
    Bitmap fresh(LoadBitmapA(this_module(), MAKEINTRESOURCEA(IDB_LOGO)));
    SelectedObject selected(fresh_dc.get(), fresh.get());
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 60; ++x) {
            const COLORREF want = x < 48 && y < 20 ? GetPixel(fresh_dc.get(), x, y) : k_untouched;
            ASSERT_EQ(want, canvas.at(x, y)) << "pixel (" << x << ", " << y << ")";
        }
    }
}

// Only the right and bottom edges cut: a piece reaching exactly to the edge is drawn
// whole, one pixel more is cut back by one.
TEST(MemoryBitmap, DrawPartCutsAtRightAndBottomEdges) {
    const MemoryBitmap logo(this_module(), IDB_LOGO);
    Canvas reference(48, 20);
    ASSERT_TRUE(logo.draw(reference.dc.get(), 0, 0));
    struct Case {
        const char* name;
        int source_x, source_y, width, height, drawn_width, drawn_height;
    };
    const Case cases[] = {
        {"exactly to the right edge", 40, 2, 8, 5, 8, 5},
        {"one past the right edge", 40, 2, 9, 5, 8, 5},
        {"exactly to the bottom edge", 3, 15, 6, 5, 6, 5},
        {"one past the bottom edge", 3, 15, 6, 6, 6, 5},
        {"far past both edges", 44, 18, 30, 10, 4, 2},
    };
    for (const Case& c : cases) {
        Canvas canvas(40, 40);
        ASSERT_TRUE(
            logo.draw_part(canvas.dc.get(), 5, 7, c.source_x, c.source_y, c.width, c.height));
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 40; ++x) {
                const int dx = x - 5;
                const int dy = y - 7;
                const bool drawn = dx >= 0 && dy >= 0 && dx < c.drawn_width && dy < c.drawn_height;
                const COLORREF want =
                    drawn ? reference.at(c.source_x + dx, c.source_y + dy) : k_untouched;
                ASSERT_EQ(want, canvas.at(x, y)) << c.name << ": pixel (" << x << ", " << y << ")";
            }
        }
    }
}

}  // namespace
}  // namespace corelens
