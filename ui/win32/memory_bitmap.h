#pragma once
// A bitmap kept selected into a memory device context, ready to be blitted anywhere.
#include <windows.h>

#include "ui/win32/handles.h"

namespace corelens {

class MemoryBitmap {
public:
    // Empty: no bitmap, zero size.
    MemoryBitmap() = default;
    // Loads a bitmap resource. A missing resource leaves the object empty, not failed.
    MemoryBitmap(HINSTANCE instance, int resource_id);

    MemoryBitmap(MemoryBitmap&& other) noexcept;
    MemoryBitmap& operator=(MemoryBitmap&& other) noexcept;
    MemoryBitmap(const MemoryBitmap&) = delete;
    MemoryBitmap& operator=(const MemoryBitmap&) = delete;
    ~MemoryBitmap() { release(); }

    HBITMAP bitmap_handle() const { return bitmap_.get(); }

    // The whole bitmap with its top-left corner at (x, y); false when there is none.
    bool draw(HDC target, int x, int y) const;
    // A piece of the bitmap; a piece running past the right or bottom edge is cut there.
    // The source corner itself must lie inside the bitmap.
    bool draw_part(HDC target, int x, int y, int source_x, int source_y, int width,
                   int height) const;

    // Deletes the device context, which lets go of the bitmap, then the bitmap.
    void release();

private:
    BITMAP info_{};
    Bitmap bitmap_;  // declared before dc_: destroyed after it
    MemoryDc dc_;
};

}  // namespace corelens
