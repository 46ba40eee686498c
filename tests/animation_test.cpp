// The about window's logic: the logo's frame mapping, the animation's steps, its pace and
// the mail link's area.
#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <vector>

#include "ui/about_logic.h"
#include "ui/animation.h"

namespace corelens {
namespace {

// A 24-bit image of exactly h rows, so AddressSanitizer sees any read past the logo. As a logo
// each pixel holds its own x and y in its first two bytes.
struct Image {
    std::int32_t row;
    std::vector<std::uint8_t> bits;

    Image(std::int32_t w, std::int32_t h, bool numbered = false)
        : row(row_size_24(w)), bits(static_cast<std::size_t>(row * h), 0xEE) {
        for (std::int32_t n = 0; numbered && n < w * h; ++n) {
            bits[(n / w) * row + 3 * (n % w)] = std::uint8_t(n % w);
            bits[(n / w) * row + 3 * (n % w) + 1] = std::uint8_t(n / w);
        }
    }
    // The logo pixel that frame pixel (x, y) shows.
    std::pair<int, int> shown_at(std::int32_t x, std::int32_t y) const {
        return {bits[y * row + 3 * x], bits[y * row + 3 * x + 1]};
    }
};

// The about window's frame (76 x 56) over the 48 x 20 logo.
TEST(RenderFrame, MapsFramePixelsToLogoPixelsAndEmptyWritesNothing) {
    const struct { std::int32_t angle; double zoom; int x, y; std::pair<int, int> logo_pixel; } cases[] = {
        {0, 1.0, 0, 0, {34, 2}},    {0, 1.0, 38, 28, {24, 10}}, {0, 1.0, 75, 55, {13, 17}},
        {0, 0.3, 0, 0, {42, 17}},  // truncated toward zero; the floor would give (41, 16)
        {90, 0.5, 0, 0, {31, 14}},  {90, 0.5, 75, 0, {32, 3}},  {180, 1.0, 0, 0, {14, 17}},
        // Anticlockwise: ten columns right of the centre is lifted above the centre row.
        {10, 1.0, 48, 26, {34, 10}}, {10, 1.0, 48, 27, {34, 10}},
    };
    const Image logo(48, 20, true);
    for (const auto& c : cases) {
        Image frame(76, 56);
        render_frame(logo.bits.data(), 48, 20, logo.row, frame.bits.data(), 76, 56, frame.row, c.angle,
                     c.zoom);
        EXPECT_EQ(c.logo_pixel, frame.shown_at(c.x, c.y)) << c.angle << " degrees, zoom " << c.zoom;
    }
    // An empty target or logo writes nothing; a logo without pixels would divide by zero.
    const struct { std::int32_t sw, sh, w, h; } empty[] = {{48, 20, 0, 56}, {48, 20, 76, 0}, {0, 20, 76, 56}, {48, 0, 76, 56}};
    for (const auto& c : empty) {
        Image frame(76, 56);  // sized for 76 x 56 whatever is passed
        render_frame(logo.bits.data(), c.sw, c.sh, logo.row, frame.bits.data(), c.w, c.h, frame.row, 0, 1.0);
        EXPECT_EQ(Image(76, 56).bits, frame.bits) << "logo " << c.sw << "x" << c.sh << ", target " << c.w << "x" << c.h;
    }
}

// The zoom passes each bound by up to one step before it turns; the angle wraps to 0 at 360.
TEST(AdvanceAnimation, ZoomSwingsBetweenBoundsAndAngleWraps) {
    std::vector<double> zooms;  // frames counted from 1
    for (AnimationState state{0, 1.0, 0.01}; zooms.size() < 290;
         state = advance_animation(state.angle, 2, state.zoom, state.zoom_step)) {
        zooms.push_back(state.zoom);
    }
    std::vector<int> turns;
    for (std::size_t k = 1; k + 1 < zooms.size() && turns.size() < 5; ++k) {
        if ((zooms[k] - zooms[k - 1]) * (zooms[k + 1] - zooms[k]) < 0) turns.push_back(static_cast<int>(k + 1));
    }
    EXPECT_EQ(std::vector<int>({2, 73, 143, 213, 283}), turns);
    const std::tuple<int, int, int> angles[] = {{348, 12, 0}, {358, 2, 0}, {346, 12, 358}};
    for (const auto& [angle, step, expected] : angles)
        EXPECT_EQ(expected, advance_animation(angle, step, 0.5, 0.1).angle) << angle << " + " << step;
}

TEST(AnimationPace, SmoothOnlyAboveOneHundredMegahertz) {
    for (const auto& [mhz, smooth] : {std::pair{0.0f, false}, {100.0f, false}, {100.1f, true}}) {
        const AnimationPace pace = animation_pace(mhz), expected = smooth ? k_smooth_pace : k_coarse_pace;
        EXPECT_EQ(std::make_tuple(expected.angle_step, expected.zoom_step, expected.frame_pause_ms),
                  std::make_tuple(pace.angle_step, pace.zoom_step, pace.frame_pause_ms))
            << mhz << " MHz";
    }
    // A shown frame covers whole steps, never fewer than the frame interval asks for.
    EXPECT_EQ(std::make_tuple(8, 2, 1), std::make_tuple(steps_per_frame(k_smooth_pace, 80),
                                                        steps_per_frame(k_coarse_pace, 80), steps_per_frame(k_smooth_pace, 5)));
}

// Open on the left and top, closed on the right and bottom; the cursor changes only when
// the pointer crosses that edge.
TEST(LinkArea, CursorChangesOnlyOnCrossingTheEdge) {
    const struct { std::int32_t x, y; CursorChange expected; } moves[] = {
        {110, 60, CursorChange::none},        {150, 58, CursorChange::none},
        {111, 59, CursorChange::show_link},   {230, 74, CursorChange::none},
        {231, 74, CursorChange::show_normal}, {300, 10, CursorChange::none},
        {150, 74, CursorChange::show_link},   {150, 75, CursorChange::show_normal},
    };
    bool over_link = false;
    for (const auto& m : moves) {
        EXPECT_EQ(static_cast<int>(m.expected), static_cast<int>(track_pointer(over_link, m.x, m.y, {120, 16})))
            << m.x << ", " << m.y;
    }
}

}  // namespace
}  // namespace corelens
