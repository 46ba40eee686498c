// The handle owners: each releases exactly once, moves its handle and cannot be copied; and
// the logo kept in memory, drawn whole and in pieces.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>
#include <type_traits>

#include "resources/resource.h"
#include "ui/win32/handles.h"
#include "ui/win32/memory_bitmap.h"

namespace corelens {
namespace {

// A copyable owner would release the same handle twice.
template <typename... T>
constexpr bool owns_alone = ((!std::is_copy_constructible_v<T> && !std::is_copy_assignable_v<T> &&
                              std::is_nothrow_move_constructible_v<T>) && ...);
static_assert(owns_alone<WindowDc, PaintDc, MemoryDc, Bitmap, Font, Brush, SelectedObject, JoinedThread>);

// GDI objects and memory contexts alike stop being objects once deleted.
bool alive(HGDIOBJ object) { return GetObjectType(object) != 0; }

// Moved-from owners release nothing, moving onto an owner frees what it held, and the last
// owner releases once.
template <typename Make>
void check_owner(const char* name, Make make) {
    SCOPED_TRACE(name);
    auto held = make(), kept = make();
    const auto held_handle = held.get(), kept_handle = kept.get();
    {
        decltype(make()) target(std::move(held));
        {
            decltype(make()) moved(std::move(kept));
            target = std::move(moved);
            EXPECT_FALSE(alive(held_handle)) << "moving onto an owner kept what it held";
        }
        EXPECT_TRUE(alive(kept_handle)) << "a moved-from owner released its handle";
    }
    EXPECT_FALSE(alive(kept_handle)) << "the last owner did not release";
}

TEST(Handles, OwnersReleaseOnceAndMove) {
    check_owner("brush", [] { return Brush(CreateSolidBrush(RGB(1, 2, 3))); });
    check_owner("memory dc", [] { return MemoryDc(nullptr); });
}

// The guard must restore into the context it selected into, also after moves.
TEST(Handles, SelectedObjectRestoresIntoItsOwnDc) {
    MemoryDc first_dc(nullptr), second_dc(nullptr);
    const HGDIOBJ first_initial = GetCurrentObject(first_dc.get(), OBJ_BITMAP);
    const HGDIOBJ second_initial = GetCurrentObject(second_dc.get(), OBJ_BITMAP);
    Bitmap first(CreateCompatibleBitmap(first_dc.get(), 2, 2)), second(CreateCompatibleBitmap(second_dc.get(), 2, 2));
    {
        SelectedObject selection(first_dc.get(), first.get());
        SelectedObject guard(std::move(selection));
        EXPECT_EQ(first.get(), GetCurrentObject(first_dc.get(), OBJ_BITMAP)) << "moving must not restore";
        guard = SelectedObject(second_dc.get(), second.get());
        EXPECT_EQ(first_initial, GetCurrentObject(first_dc.get(), OBJ_BITMAP));
        EXPECT_EQ(second.get(), GetCurrentObject(second_dc.get(), OBJ_BITMAP));
    }
    EXPECT_EQ(second_initial, GetCurrentObject(second_dc.get(), OBJ_BITMAP));
}

TEST(Handles, JoinedThreadJoinsBeforeItsOwnerGoes) {
    std::atomic<bool> go{false}, done{false};
    {
        JoinedThread thread([&] {
            while (!go.load()) std::this_thread::yield();
            done = true;
        });
        JoinedThread moved(std::move(thread));
        go = true;
    }
    EXPECT_TRUE(done.load());
}

constexpr COLORREF k_untouched = RGB(1, 2, 3);

// A memory image filled with k_untouched.
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
