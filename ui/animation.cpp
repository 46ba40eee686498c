#include "ui/animation.h"

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <limits>

namespace corelens {

namespace {

// On the x87 unit (the 32-bit Windows build) intermediate results carry 64 mantissa bits;
// every sum, product and quotient of the mapping must be rounded to a double, as the
// frames are defined, or a pixel on a boundary can land on its neighbour.
inline double as_double(double value) {
    if constexpr (FLT_EVAL_METHOD != 0) {
        volatile double stored = value;
        return stored;
    } else {
        return value;
    }
}

// trunc into 32 bits. Only reachable with absurd zooms (0, infinity, NaN) is the clamping,
// which keeps the conversion defined.
inline std::int32_t truncate_32(double value) {
    if (!(value > -2147483649.0)) {  // also catches NaN
        return value != value ? 0 : std::numeric_limits<std::int32_t>::min();
    }
    if (value >= 2147483648.0) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

// (t + centre) taken into 0 to n - 1, with t the truncated offset and 0 <= centre < n: the
// logo repeats in every direction. Reducing t first avoids a 64-bit division, a library call
// on a 32-bit processor.
inline std::int32_t wrap(std::int32_t t, std::int32_t centre, std::int32_t n) {
    std::int64_t value = std::int64_t{t % n} + centre;  // -n < value < 2n
    if (value < 0) {
        value += n;
    } else if (value >= n) {
        value -= n;
    }
    return static_cast<std::int32_t>(value);
}

// Columns are mapped in chunks whose u-terms are worked out once per frame, not per pixel;
// the chunk lives on the stack so the loop allocates nothing.
constexpr std::int32_t k_chunk_columns = 128;

}  // namespace

void render_frame(const std::uint8_t* source_bits, std::int32_t sw, std::int32_t sh,
                  std::int32_t ss, std::uint8_t* frame_bits, std::int32_t w, std::int32_t h,
                  std::int32_t fs, std::int32_t angle, double zoom) {
    if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;
    if (source_bits == nullptr || frame_bits == nullptr) return;
    // A row size too small for its width would let a row run into the next image's memory.
    if (ss < 3 * std::int64_t{sw} || fs < 3 * std::int64_t{w}) return;

    // The constant 3.14, not pi: the turn of one frame is what it always was.
    const double theta = as_double(as_double(angle / 180.0) * 3.14);
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    const std::int32_t cw = w / 2;
    const std::int32_t ch = h / 2;
    const std::int32_t csw = sw / 2;
    const std::int32_t csh = sh / 2;

    double uc[k_chunk_columns];
    double us[k_chunk_columns];
    for (std::int32_t first = 0; first < w; first += k_chunk_columns) {
        const std::int32_t count = w - first < k_chunk_columns ? w - first : k_chunk_columns;
        for (std::int32_t k = 0; k < count; ++k) {
            const double u = as_double(static_cast<double>(first + k - cw) / zoom);
            uc[k] = as_double(u * c);
            us[k] = as_double(u * s);
        }
        for (std::int32_t i = 0; i < h; ++i) {
            const double v = as_double(static_cast<double>(i - ch) / zoom);
            const double vs = as_double(v * s);
            const double vc = as_double(v * c);
            std::uint8_t* out =
                frame_bits + static_cast<std::ptrdiff_t>(i) * fs + std::ptrdiff_t{3} * first;
            for (std::int32_t k = 0; k < count; ++k) {
                const std::int32_t x = wrap(truncate_32(as_double(uc[k] - vs)), csw, sw);
                const std::int32_t y = wrap(truncate_32(as_double(us[k] + vc)), csh, sh);
                const std::uint8_t* in =
                    source_bits + static_cast<std::ptrdiff_t>(y) * ss + std::ptrdiff_t{3} * x;
                out[0] = in[0];
                out[1] = in[1];
                out[2] = in[2];
                out += 3;
            }
        }
    }
}

AnimationState advance_animation(std::int32_t angle, std::int32_t angle_step, double zoom,
                                 double zoom_step) {
    AnimationState next;
    next.angle = (angle + angle_step) % 360;
    next.zoom = as_double(zoom + zoom_step);
    next.zoom_step = zoom_step;
    // Both bounds look at the new zoom, so it passes each by up to one step before turning.
    if (next.zoom >= 1.0) next.zoom_step = -std::fabs(next.zoom_step);
    if (next.zoom <= 0.3) next.zoom_step = std::fabs(next.zoom_step);
    return next;
}

AnimationPace animation_pace(float speed_mhz) {
    return speed_mhz > 100.0 ? k_smooth_pace : k_coarse_pace;
}

std::int32_t steps_per_frame(const AnimationPace& pace, std::int32_t shortest_frame_ms) {
    if (pace.frame_pause_ms <= 0 || shortest_frame_ms <= pace.frame_pause_ms) return 1;
    return (shortest_frame_ms + pace.frame_pause_ms - 1) / pace.frame_pause_ms;
}

}  // namespace corelens
