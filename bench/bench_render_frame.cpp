// How long one frame of the about window's logo takes, and what share of one core the
// animation keeps busy at each pace (frame time over frame time plus pause).
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "ui/animation.h"

namespace {

constexpr std::int32_t k_logo_width = 48;
constexpr std::int32_t k_logo_height = 20;
constexpr std::int32_t k_frame_width = 76;  // the frame control's client area
constexpr std::int32_t k_frame_height = 56;
constexpr int k_frames = 20000;

}  // namespace

int main() {
    using namespace corelens;
    const std::int32_t ss = row_size_24(k_logo_width);
    const std::int32_t fs = row_size_24(k_frame_width);
    std::vector<std::uint8_t> logo(static_cast<std::size_t>(ss) * k_logo_height);
    for (std::size_t k = 0; k < logo.size(); ++k) logo[k] = static_cast<std::uint8_t>(k * 7);
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(fs) * k_frame_height);

    const AnimationPace paces[] = {animation_pace(2400.0f), animation_pace(0.0f)};
    const AnimationPace fast = paces[0];
    AnimationState state{0, 1.0, fast.zoom_step};
    unsigned checksum = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int k = 0; k < k_frames; ++k) {
        render_frame(logo.data(), k_logo_width, k_logo_height, ss, frame.data(), k_frame_width,
                     k_frame_height, fs, state.angle, state.zoom);
        checksum += frame[static_cast<std::size_t>(k % static_cast<int>(frame.size()))];
        state = advance_animation(state.angle, fast.angle_step, state.zoom, state.zoom_step);
    }
    const std::chrono::duration<double, std::nano> elapsed =
        std::chrono::steady_clock::now() - start;
    const double ns_per_frame = elapsed.count() / k_frames;

    std::printf("render_frame %dx%d from %dx%d: %.0f ns per frame (%d frames, checksum %u)\n",
                k_frame_width, k_frame_height, k_logo_width, k_logo_height, ns_per_frame,
                k_frames, checksum);
    for (const AnimationPace& pace : paces) {
        const double pause_ns = pace.frame_pause_ms * 1e6;
        std::printf("pace %2d ms pause: %.3f %% of one core (target <= 1 %%)\n",
                    pace.frame_pause_ms, 100.0 * ns_per_frame / (ns_per_frame + pause_ns));
    }
    return 0;
}
