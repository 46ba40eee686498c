#include "ui/win32/memory_bitmap.h"

#include <utility>

namespace corelens {

MemoryBitmap::MemoryBitmap(HINSTANCE instance, int resource_id) {
    {
        WindowDc screen(GetDesktopWindow());
        dc_ = MemoryDc(screen.get());
    }
    bitmap_.reset(LoadBitmapA(instance, MAKEINTRESOURCEA(resource_id)));
    if (!bitmap_ || !dc_) return;
    // The context's initial bitmap is not kept: deleting the context deselects ours.
    SelectObject(dc_.get(), bitmap_.get());
    if (GetObjectA(bitmap_.get(), sizeof info_, &info_) == 0) info_ = BITMAP{};
}

MemoryBitmap::MemoryBitmap(MemoryBitmap&& other) noexcept
    : info_(std::exchange(other.info_, BITMAP{})),
      bitmap_(std::move(other.bitmap_)),
      dc_(std::move(other.dc_)) {}

MemoryBitmap& MemoryBitmap::operator=(MemoryBitmap&& other) noexcept {
    if (this != &other) {
        release();
        info_ = other.info_;
        other.info_ = BITMAP{};
        bitmap_ = std::move(other.bitmap_);
        dc_ = std::move(other.dc_);
    }
    return *this;
}

bool MemoryBitmap::draw(HDC target, int x, int y) const {
    return draw_part(target, x, y, 0, 0, info_.bmWidth, info_.bmHeight);
}

bool MemoryBitmap::draw_part(HDC target, int x, int y, int source_x, int source_y, int width,
                             int height) const {
    if (!bitmap_ || !dc_) return false;
    // Both contexts must count in the same logical units.
    SetMapMode(dc_.get(), GetMapMode(target));
    if (source_x + width > info_.bmWidth) width = info_.bmWidth - source_x;
    if (source_y + height > info_.bmHeight) height = info_.bmHeight - source_y;
    BitBlt(target, x, y, width, height, dc_.get(), source_x, source_y, SRCCOPY);
    return true;
}

void MemoryBitmap::release() {
    dc_.reset();
    bitmap_.reset();
    info_ = BITMAP{};
}

}  // namespace corelens
