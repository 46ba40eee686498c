// The logo picture kept in memory: loading, drawing whole and in pieces, a missing resource.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "resources/resource.h"
#include "ui/win32/handles.h"
#include "ui/win32/memory_bitmap.h"

namespace corelens {
namespace {

constexpr COLORREF k_untouched = RGB(1, 2, 3);

// A 24-bit top-down image in a memory context, filled with k_untouched.
struct Canvas {
    MemoryDc dc;
    Bitmap image;
    SelectedObject selected;
    std::uint8_t* bits = nullptr;
    int width, height, row;

    Canvas(int w, int h) : width(w), height(h), row(4 * ((3 * w + 3) / 4)) {
        dc = MemoryDc(nullptr);
        BITMAPINFO header{};
        header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        header.bmiHeader.biWidth = w;
        header.bmiHeader.biHeight = -h;
        header.bmiHeader.biPlanes = 1;
        header.bmiHeader.biBitCount = 24;
        header.bmiHeader.biCompression = BI_RGB;
        void* pixels = nullptr;
        image.reset(CreateDIBSection(dc.get(), &header, DIB_RGB_COLORS, &pixels, nullptr, 0));
        selected = SelectedObject(dc.get(), image.get());
        bits = static_cast<std::uint8_t*>(pixels);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) set(x, y, k_untouched);
        }
    }
    COLORREF at(int x, int y) const {
        GdiFlush();
        const std::uint8_t* p = bits + y * row + 3 * x;
        return RGB(p[2], p[1], p[0]);
    }
    void set(int x, int y, COLORREF colour) {
        std::uint8_t* p = bits + y * row + 3 * x;
        p[0] = GetBValue(colour);
        p[1] = GetGValue(colour);
        p[2] = GetRValue(colour);
    }
};

HINSTANCE this_module() { return GetModuleHandleA(nullptr); }

TEST(MemoryBitmap, LoadsTheLogo) {
    const MemoryBitmap logo(this_module(), IDB_LOGO);
    ASSERT_NE(nullptr, logo.bitmap_handle());
    EXPECT_EQ(48, logo.width());
    EXPECT_EQ(20, logo.height());
    // LoadBitmapA gives a bitmap of the screen's depth, whatever the resource's own.
    EXPECT_EQ(GetDeviceCaps(WindowDc(nullptr).get(), BITSPIXEL), logo.info().bmBitsPixel);
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

// The whole logo lands in the top-left 48 x 20 pixels, converted to 24 bits by the blit.
TEST(MemoryBitmap, DrawFillsExactlyTheLogosPixels) {
    const MemoryBitmap logo(this_module(), IDB_LOGO);
    Canvas canvas(60, 30);
    ASSERT_TRUE(logo.draw(canvas.dc.get(), 0, 0));

    // An independent copy of the resource, converted to 24 bits by GetDIBits.
    Bitmap fresh(LoadBitmapA(this_module(), MAKEINTRESOURCEA(IDB_LOGO)));
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header.bmiHeader.biWidth = 48;
    header.bmiHeader.biHeight = -20;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 24;
    header.bmiHeader.biCompression = BI_RGB;
    const int row = 4 * ((3 * 48 + 3) / 4);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(row) * 20);
    ASSERT_EQ(20, GetDIBits(canvas.dc.get(), fresh.get(), 0, 20, pixels.data(), &header,
                            DIB_RGB_COLORS));

    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 60; ++x) {
            COLORREF want = k_untouched;
            if (x < 48 && y < 20) {
                const std::uint8_t* p = &pixels[static_cast<std::size_t>(y * row + 3 * x)];
                want = RGB(p[2], p[1], p[0]);
            }
            ASSERT_EQ(want, canvas.at(x, y)) << "pixel (" << x << ", " << y << ")";
        }
    }
}

// Only the right and bottom edges are cut: a piece reaching exactly to the edge is drawn
// whole, one pixel more is cut back by one.
TEST(MemoryBitmap, DrawPartCutsAtRightAndBottomEdges) {
    const MemoryBitmap logo(this_module(), IDB_LOGO);
    Canvas reference(48, 20);
    ASSERT_TRUE(logo.draw(reference.dc.get(), 0, 0));

    struct Case {
        const char* name;
        int source_x, source_y, width, height;
        int drawn_width, drawn_height;
    };
    const Case cases[] = {
        {"exactly to the right edge", 40, 2, 8, 5, 8, 5},
        {"one past the right edge", 40, 2, 9, 5, 8, 5},
        {"far past the right edge", 45, 0, 30, 3, 3, 3},
        {"exactly to the bottom edge", 3, 15, 6, 5, 6, 5},
        {"one past the bottom edge", 3, 15, 6, 6, 6, 5},
        {"past both edges", 44, 18, 10, 10, 4, 2},
    };
    for (const Case& c : cases) {
        Canvas canvas(40, 40);
        ASSERT_TRUE(logo.draw_part(canvas.dc.get(), 5, 7, c.source_x, c.source_y, c.width,
                                   c.height))
            << c.name;
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

TEST(MemoryBitmap, MovedFromIsEmpty) {
    MemoryBitmap first(this_module(), IDB_LOGO);
    MemoryBitmap second(std::move(first));
    EXPECT_EQ(nullptr, first.bitmap_handle());  // NOLINT: checking the moved-from state
    EXPECT_EQ(0, first.width());
    EXPECT_EQ(48, second.width());
    Canvas canvas(4, 4);
    EXPECT_FALSE(first.draw(canvas.dc.get(), 0, 0));
    EXPECT_TRUE(second.draw(canvas.dc.get(), 0, 0));
}

}  // namespace
}  // namespace corelens
