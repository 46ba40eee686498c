#include "ui/win32/logo_animation.h"

namespace corelens {

LogoAnimation::LogoAnimation(HWND target, const MemoryBitmap* picture, AnimationPace pace)
    : target_(target), angle_step_(pace.angle_step), frame_pause_ms_(pace.frame_pause_ms) {
    state_ = AnimationState{0, 1.0, pace.zoom_step};
    GetClientRect(target_, &target_rect_);
    if (picture == nullptr || picture->bitmap_handle() == nullptr) return;

    WindowDc screen(GetDesktopWindow());
    BITMAP logo{};
    if (GetObjectA(picture->bitmap_handle(), sizeof logo, &logo) == 0) return;
    if (!make_image(screen.get(), logo.bmWidth, logo.bmHeight, source_dc_, source_image_,
                    source_selected_, source_bits_, source_info_)) {
        return;
    }
    // Whatever the picture's own format, the blit turns it into the 24-bit copy.
    picture->draw(source_dc_.get(), 0, 0);
    // Also completes the copy above before the thread reads a pixel of it.
    if (!make_image(screen.get(), target_rect_.right, target_rect_.bottom, frame_dc_,
                    frame_image_, frame_selected_, frame_bits_, frame_info_)) {
        return;
    }
    thread_ = JoinedThread([this] { animation_thread(); });
}

LogoAnimation::~LogoAnimation() {
    // Checked once per frame: the thread finishes its frame, gives back its device
    // context and ends; nothing it uses is released before the join.
    stop_requested_.store(true);
    thread_.join();
}

// A top-down 24-bit DIB section selected into a fresh memory context.
bool LogoAnimation::make_image(HDC screen, std::int32_t width, std::int32_t height,
                               MemoryDc& dc, Bitmap& image, SelectedObject& selected,
                               std::uint8_t*& bits, BITMAP& info) {
    if (width <= 0 || height <= 0) return false;
    dc = MemoryDc(screen);
    if (!dc) return false;
    header_.bmiHeader = BITMAPINFOHEADER{};
    header_.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header_.bmiHeader.biWidth = width;
    header_.bmiHeader.biHeight = -height;  // rows run top to bottom
    header_.bmiHeader.biPlanes = 1;
    header_.bmiHeader.biBitCount = 24;
    header_.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    image.reset(CreateDIBSection(dc.get(), &header_, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!image || pixels == nullptr) return false;
    selected = SelectedObject(dc.get(), image.get());
    GdiFlush();
    if (GetObjectA(image.get(), sizeof info, &info) == 0) return false;
    bits = static_cast<std::uint8_t*>(pixels);
    return true;
}

void LogoAnimation::animation_thread() {
    while (!target_shown_.load()) {
        if (stop_requested_.load()) return;
        Sleep(static_cast<DWORD>(frame_pause_ms_));
    }
    // The thread's own context of the target, kept for the rest of its life.
    WindowDc target_dc(target_);
    const std::int32_t w = target_rect_.right;
    const std::int32_t h = target_rect_.bottom;
    while (!stop_requested_.load()) {
        render_frame(source_bits_, source_info_.bmWidth, source_info_.bmHeight,
                     source_info_.bmWidthBytes, frame_bits_, w, h, frame_info_.bmWidthBytes,
                     state_.angle, state_.zoom);
        // The pixels were written straight into memory: flush before the blit reads them.
        GdiFlush();
        BitBlt(target_dc.get(), 0, 0, w, h, frame_dc_.get(), 0, 0, SRCCOPY);
        state_ = advance_animation(state_.angle, angle_step_, state_.zoom, state_.zoom_step);
        Sleep(static_cast<DWORD>(frame_pause_ms_));
    }
}

}  // namespace corelens
