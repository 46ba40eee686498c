// The handle owners: each releases exactly once, moves its handle and cannot be copied.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>
#include <type_traits>

#include "ui/win32/handles.h"

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
    check_owner("bitmap", [] { return Bitmap(CreateBitmap(2, 2, 1, 1, nullptr)); });
    check_owner("font", [] { return Font(CreateFontA(14, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial")); });
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

}  // namespace
}  // namespace corelens
