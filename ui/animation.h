#pragma once
// The logo animation's arithmetic: one frame of the turned and zoomed logo, and the step
// from one frame to the next. Pure functions over byte buffers; no window system.
#include <cstdint>

namespace corelens {

// Angle, zoom and the zoom's current direction; the angle step stays fixed.
struct AnimationState {
    std::int32_t angle = 0;  // degrees, 0 to 359 for a non-negative step
    double zoom = 1.0;
    double zoom_step = 0.0;
};

// How fast the animation runs.
struct AnimationPace {
    std::int32_t angle_step;     // degrees per frame
    double zoom_step;            // per frame
    std::int32_t frame_pause_ms; // sleep after each frame
};

// Both images: 24 bits per pixel (blue, green, red), rows top to bottom, row sizes ss and fs
// in bytes. Writes every pixel of the w by h frame from the sw by sh logo, repeated edge to
// edge, turned anticlockwise by angle degrees about the centre and scaled by zoom. Reads
// nothing outside the sh rows of ss bytes, whatever the sizes; writes nothing when either
// image is empty.
void render_frame(const std::uint8_t* source_bits, std::int32_t sw, std::int32_t sh,
                  std::int32_t ss, std::uint8_t* frame_bits, std::int32_t w, std::int32_t h,
                  std::int32_t fs, std::int32_t angle, double zoom);

// The state of the next frame: the angle wraps at 360, the zoom turns back once it has
// passed 1.0 or 0.3.
AnimationState advance_animation(std::int32_t angle, std::int32_t angle_step, double zoom,
                                 double zoom_step);

// Smooth for a processor faster than 100 MHz; coarse for a slower or unmeasured one.
constexpr AnimationPace k_smooth_pace{2, 0.01, 10};
constexpr AnimationPace k_coarse_pace{12, 0.1, 50};
AnimationPace animation_pace(float speed_mhz);

// How many of the pace's steps one shown frame covers where a frame may be shown at most
// every shortest_frame_ms: the logo turns as fast, and fewer of its states are drawn. At
// least 1.
std::int32_t steps_per_frame(const AnimationPace& pace, std::int32_t shortest_frame_ms);

// Row size of a 24-bit image n pixels wide: padded to a multiple of 4 bytes.
constexpr std::int32_t row_size_24(std::int32_t n) { return 4 * ((3 * n + 3) / 4); }

}  // namespace corelens
