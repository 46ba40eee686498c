// The handle owners: each releases exactly once, moves its handle and cannot be copied.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>
#include <type_traits>

#include "ui/win32/handles.h"

namespace corelens {
namespace {

template <typename T>
constexpr bool owns_alone = !std::is_copy_constructible_v<T> && !std::is_copy_assignable_v<T> &&
                            std::is_nothrow_move_constructible_v<T>;
static_assert(owns_alone<WindowDc>);
static_assert(owns_alone<PaintDc>);
static_assert(owns_alone<MemoryDc>);
static_assert(owns_alone<Bitmap>);
static_assert(owns_alone<Font>);
static_assert(owns_alone<Brush>);
static_assert(owns_alone<SelectedObject>);
static_assert(owns_alone<JoinedThread>);
static_assert(std::is_nothrow_move_assignable_v<MemoryDc> && std::is_nothrow_move_assignable_v<Bitmap> &&
              std::is_nothrow_move_assignable_v<SelectedObject> && std::is_nothrow_move_assignable_v<WindowDc>);

bool is_gdi_object(HGDIOBJ object) { return GetObjectType(object) != 0; }

TEST(Handles, GdiObjectDeletesOnceAndMoves) {
    HBRUSH handle = CreateSolidBrush(RGB(1, 2, 3));
    ASSERT_TRUE(is_gdi_object(handle));
    {
        Brush first(handle);
        Brush second(std::move(first));
        EXPECT_EQ(first.get(), nullptr);
        EXPECT_EQ(second.get(), handle);
        Brush third;
        third = std::move(second);
        EXPECT_EQ(second.get(), nullptr);
        EXPECT_TRUE(is_gdi_object(handle)) << "moving must not delete";
    }
    EXPECT_FALSE(is_gdi_object(handle));
}

TEST(Handles, GdiObjectResetAndRelease) {
    HBITMAP old_bitmap = CreateBitmap(2, 2, 1, 1, nullptr);
    HBITMAP new_bitmap = CreateBitmap(2, 2, 1, 1, nullptr);
    Bitmap owner(old_bitmap);
    owner.reset(new_bitmap);
    EXPECT_FALSE(is_gdi_object(old_bitmap));
    EXPECT_TRUE(is_gdi_object(new_bitmap));
    HBITMAP released = owner.release();
    EXPECT_EQ(released, new_bitmap);
    owner.reset();
    EXPECT_TRUE(is_gdi_object(new_bitmap)) << "a released handle is no longer owned";
    DeleteObject(released);

    HFONT font_handle = CreateFontA(14, 0, 0, 0, 400, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    { Font font(font_handle); }
    EXPECT_FALSE(is_gdi_object(font_handle));
}

TEST(Handles, MovingOntoAnOwnerFreesWhatItHeld) {
    HBRUSH kept = CreateSolidBrush(RGB(4, 5, 6));
    HBRUSH replaced = CreateSolidBrush(RGB(7, 8, 9));
    Brush target(replaced);
    target = Brush(kept);
    EXPECT_FALSE(is_gdi_object(replaced));
    EXPECT_TRUE(is_gdi_object(kept));
}

TEST(Handles, MemoryDcDeletedAndMoved) {
    HDC handle = nullptr;
    {
        MemoryDc first(nullptr);
        handle = first.get();
        ASSERT_EQ(GetObjectType(handle), static_cast<DWORD>(OBJ_MEMDC));
        MemoryDc second;
        second = std::move(first);
        EXPECT_EQ(first.get(), nullptr);
        EXPECT_EQ(GetObjectType(handle), static_cast<DWORD>(OBJ_MEMDC));
    }
    EXPECT_EQ(GetObjectType(handle), 0u);
}

TEST(Handles, SelectedObjectRestoresIntoItsOwnDc) {
    MemoryDc dc(nullptr);
    const HGDIOBJ initial = GetCurrentObject(dc.get(), OBJ_BITMAP);
    Bitmap bitmap(CreateCompatibleBitmap(dc.get(), 4, 4));
    {
        SelectedObject selection(dc.get(), bitmap.get());
        EXPECT_EQ(selection.previous(), initial);
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), bitmap.get());
        SelectedObject moved(std::move(selection));
        EXPECT_EQ(selection.previous(), nullptr);
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), bitmap.get()) << "moving must not restore";
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), initial);
    // Only a deselected bitmap can be freed.
    HBITMAP handle = bitmap.get();
    bitmap.reset();
    EXPECT_FALSE(is_gdi_object(handle));
}

TEST(Handles, SelectedObjectMoveAssignRestoresFirst) {
    MemoryDc first_dc(nullptr);
    MemoryDc second_dc(nullptr);
    const HGDIOBJ first_initial = GetCurrentObject(first_dc.get(), OBJ_BITMAP);
    Bitmap first_bitmap(CreateCompatibleBitmap(first_dc.get(), 2, 2));
    Bitmap second_bitmap(CreateCompatibleBitmap(second_dc.get(), 2, 2));
    SelectedObject guard(first_dc.get(), first_bitmap.get());
    guard = SelectedObject(second_dc.get(), second_bitmap.get());
    EXPECT_EQ(GetCurrentObject(first_dc.get(), OBJ_BITMAP), first_initial);
    EXPECT_EQ(GetCurrentObject(second_dc.get(), OBJ_BITMAP), second_bitmap.get());
    guard.restore();
    EXPECT_NE(GetCurrentObject(second_dc.get(), OBJ_BITMAP), second_bitmap.get());
}

class HandlesWithWindow : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = CreateWindowExA(0, "STATIC", "handles", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override { DestroyWindow(window_); }
    HWND window_ = nullptr;
};

TEST_F(HandlesWithWindow, WindowDcGivenBackOnce) {
    HDC handle = nullptr;
    {
        WindowDc first(window_);
        handle = first.get();
        ASSERT_NE(handle, nullptr);
        WindowDc second(std::move(first));
        EXPECT_EQ(first.get(), nullptr);
        EXPECT_EQ(second.get(), handle);
    }
    // Given back already: a second release finds nothing to release.
    EXPECT_EQ(ReleaseDC(window_, handle), 0);
}

TEST_F(HandlesWithWindow, PaintDcValidatesTheUpdateRegion) {
    InvalidateRect(window_, nullptr, FALSE);
    RECT update{};
    ASSERT_TRUE(GetUpdateRect(window_, &update, FALSE));
    {
        PaintDc paint(window_);
        EXPECT_NE(paint.get(), nullptr);
        EXPECT_EQ(paint.paint().rcPaint.right, 50);
        PaintDc moved(std::move(paint));
        EXPECT_EQ(paint.get(), nullptr);
    }
    EXPECT_FALSE(GetUpdateRect(window_, &update, FALSE));
}

TEST(Handles, JoinedThreadJoinsBeforeItsOwnerGoes) {
    std::atomic<bool> go{false};
    std::atomic<bool> done{false};
    {
        JoinedThread thread([&] {
            while (!go.load()) std::this_thread::yield();
            done = true;
        });
        EXPECT_TRUE(thread.joinable());
        JoinedThread moved(std::move(thread));
        EXPECT_FALSE(thread.joinable());
        go = true;
    }
    EXPECT_TRUE(done.load());
}

}  // namespace
}  // namespace corelens
