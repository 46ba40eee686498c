// The handle owners release exactly once, move and cannot be copied; the logo kept in memory
// draws whole or cut at the right and bottom edges, and a missing one draws nothing.
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
constexpr bool owns_alone = ((!std::is_copy_constructible_v<T> && std::is_nothrow_move_constructible_v<T>) && ...);
static_assert(owns_alone<WindowDc, PaintDc, MemoryDc, Bitmap, Font, Brush, SelectedObject, JoinedThread>);

TEST(Handles, MovedOwnersReleaseOnce) {
    Brush held(CreateSolidBrush(RGB(1, 2, 3))), kept(CreateSolidBrush(RGB(4, 5, 6)));
    const HGDIOBJ held_handle = held.get(), kept_handle = kept.get();
    {
        Brush target(std::move(held));
        target = Brush(std::move(kept));
        EXPECT_EQ(0u, GetObjectType(held_handle)) << "moving onto an owner kept what it held";
        EXPECT_NE(0u, GetObjectType(kept_handle)) << "a moved-from owner released its handle";
    }
    EXPECT_EQ(0u, GetObjectType(kept_handle)) << "the last owner did not release";
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

// Drawn at (5, 7) onto a canvas of k_untouched and compared with the resource loaded on its
// own: only the right and bottom edges cut, a piece reaching exactly to the edge is drawn
// whole, one pixel more is cut back. A missing resource draws nothing and says so.
TEST(MemoryBitmap, DrawsWholeOrCutAtRightAndBottomEdges) {
    const COLORREF k_untouched = RGB(1, 2, 3);
    const MemoryBitmap logo(GetModuleHandleA(nullptr), IDB_LOGO), missing(GetModuleHandleA(nullptr), 9999);
    MemoryDc fresh(nullptr);
    Bitmap fresh_image(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_LOGO)));
    SelectedObject selected(fresh.get(), fresh_image.get());
    const struct { const char* name; int source_x, source_y, width, height, drawn_width, drawn_height; } cases[] = {
        {"missing", 0, 0, 4, 4, 0, 0},  {"whole, by draw", 0, 0, 0, 0, 48, 20},  {"to the right edge", 40, 2, 8, 5, 8, 5},
        {"one past the right edge", 40, 2, 9, 5, 8, 5},  {"far past both edges", 44, 18, 30, 10, 4, 2},
    };
    for (const auto& c : cases) {
        MemoryDc canvas(nullptr);
        Bitmap image(CreateCompatibleBitmap(WindowDc(nullptr).get(), 60, 40));
        SelectedObject canvas_selected(canvas.get(), image.get());
        const RECT all{0, 0, 60, 40};
        FillRect(canvas.get(), &all, Brush(CreateSolidBrush(k_untouched)).get());
        const MemoryBitmap& picture = c.drawn_width == 0 ? missing : logo;
        const bool drawn = c.width == 0 ? picture.draw(canvas.get(), 5, 7)
                                        : picture.draw_part(canvas.get(), 5, 7, c.source_x, c.source_y, c.width, c.height);
        EXPECT_EQ(c.drawn_width != 0, drawn) << c.name;
        for (int at = 0; at < 60 * 40; ++at) {
            const int x = at % 60, y = at / 60;
            const bool inside = x >= 5 && y >= 7 && x - 5 < c.drawn_width && y - 7 < c.drawn_height;
            const COLORREF want = inside ? GetPixel(fresh.get(), c.source_x + x - 5, c.source_y + y - 7) : k_untouched;
            ASSERT_EQ(want, GetPixel(canvas.get(), x, y)) << c.name << ": pixel (" << x << ", " << y << ")";
        }
    }
}

}  // namespace
}  // namespace corelens
