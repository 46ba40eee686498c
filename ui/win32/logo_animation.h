#pragma once
// The about window's logo, turned and zoomed on a drawing thread of its own.
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "ui/animation.h"
#include "ui/win32/handles.h"
#include "ui/win32/memory_bitmap.h"

namespace corelens {

class LogoAnimation {
public:
    // Copies the picture into a 24-bit logo and starts drawing into target's client area
    // at once. Without a picture, or with an empty logo or target, or when an image can't
    // be made, it stays inert: no thread, nothing drawn. The picture is not used again.
    LogoAnimation(HWND target, const MemoryBitmap* picture, AnimationPace pace);
    // Asks the thread to stop, waits for it, then releases the images and contexts.
    ~LogoAnimation();

    // The thread works on this object: it must stay where it is.
    LogoAnimation(const LogoAnimation&) = delete;
    LogoAnimation& operator=(const LogoAnimation&) = delete;
    LogoAnimation(LogoAnimation&&) = delete;
    LogoAnimation& operator=(LogoAnimation&&) = delete;

    // The target is on screen: the thread may take its device context now. Taken earlier,
    // while the window is still being shown, Wine can leave it with an empty visible region
    // for good, and nothing would ever appear.
    void target_shown() { target_shown_.store(true); }

private:
    bool make_image(HDC screen, std::int32_t width, std::int32_t height, MemoryDc& dc,
                    Bitmap& image, SelectedObject& selected, std::uint8_t*& bits,
                    BITMAP& info);
    void animation_thread();

    std::uint8_t* source_bits_ = nullptr;  // owned by source_image_
    std::uint8_t* frame_bits_ = nullptr;   // owned by frame_image_
    BITMAP source_info_{};
    BITMAP frame_info_{};
    BITMAPINFO header_{};
    HWND target_ = nullptr;  // not owned
    RECT target_rect_{};
    AnimationState state_;  // the drawing thread's alone once it runs
    std::int32_t angle_step_ = 0;
    std::int32_t frame_pause_ms_ = 0;
    std::atomic<bool> stop_requested_{false};
    std::atomic<bool> target_shown_{false};

    // Released bottom-up: the thread first, then each selection, its context and its image,
    // the frame before the logo.
    Bitmap source_image_;
    MemoryDc source_dc_;
    SelectedObject source_selected_;
    Bitmap frame_image_;
    MemoryDc frame_dc_;
    SelectedObject frame_selected_;
    JoinedThread thread_;
};

}  // namespace corelens
