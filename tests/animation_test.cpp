// The about window's logic: the logo's frame mapping, the animation's steps, its pace and
// the mail link's area.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "ui/about_logic.h"
#include "ui/animation.h"

namespace corelens {
namespace {

struct Point {
    std::int32_t x, y;
    bool operator==(const Point& o) const { return x == o.x && y == o.y; }
};
std::ostream& operator<<(std::ostream& out, Point p) {
    return out << "(" << p.x << ", " << p.y << ")";
}

// A 24-bit image; as a logo every pixel names its own position (blue and green the low
// bytes of x and y, red their high bits), so a frame pixel tells which logo pixel it shows.
// Exactly h rows of the row size: AddressSanitizer sees any read past the logo.
struct Image {
    std::int32_t w, h, row;
    std::vector<std::uint8_t> bits;

    Image(std::int32_t width, std::int32_t height)
        : w(width),
          h(height),
          row(row_size_24(width)),
          bits(static_cast<std::size_t>(row) * static_cast<std::size_t>(height), 0xEE) {}

    static Image named_logo(std::int32_t width, std::int32_t height) {
        Image logo(width, height);
        for (std::int32_t y = 0; y < height; ++y) {
            for (std::int32_t x = 0; x < width; ++x) {
                std::uint8_t* p = &logo.bits[static_cast<std::size_t>(y * logo.row + 3 * x)];
                p[0] = static_cast<std::uint8_t>(x);
                p[1] = static_cast<std::uint8_t>(y);
                p[2] = static_cast<std::uint8_t>(((x >> 8) & 0x0F) | ((y >> 8) << 4));
            }
        }
        return logo;
    }
    Point shown_at(std::int32_t j, std::int32_t i) const {
        const std::uint8_t* p = &bits[static_cast<std::size_t>(i * row + 3 * j)];
        return {p[0] | ((p[2] & 0x0F) << 8), p[1] | ((p[2] >> 4) << 8)};
    }
    void render_from(const Image& logo, std::int32_t angle, double zoom) {
        render_frame(logo.bits.data(), logo.w, logo.h, logo.row, bits.data(), w, h, row, angle,
                     zoom);
    }
};

// The about window's frame (76 x 56) over the 48 x 20 logo.
TEST(RenderFrame, MapsFramePixelsToLogoPixels) {
    struct Case {
        std::int32_t angle;
        double zoom;
        Point frame_pixel, logo_pixel;
    };
    const Case cases[] = {
        {0, 1.0, {0, 0}, {34, 2}},
        {0, 1.0, {38, 28}, {24, 10}},
        {0, 1.0, {75, 55}, {13, 17}},
        {0, 0.3, {0, 0}, {42, 17}},  // truncated toward zero; the floor would give (41, 16)
        {90, 0.5, {0, 0}, {31, 14}},
        {90, 0.5, {75, 0}, {32, 3}},
        {180, 1.0, {0, 0}, {14, 17}},
        // Anticlockwise: ten columns right of the centre is lifted above the centre row.
        {10, 1.0, {48, 26}, {34, 10}},
        {10, 1.0, {48, 27}, {34, 10}},
    };
    const Image logo = Image::named_logo(48, 20);
    for (const Case& c : cases) {
        Image frame(76, 56);
        frame.render_from(logo, c.angle, c.zoom);
        EXPECT_EQ(c.logo_pixel, frame.shown_at(c.frame_pixel.x, c.frame_pixel.y))
            << "angle " << c.angle << ", zoom " << c.zoom << ", frame pixel " << c.frame_pixel;
    }
}

TEST(RenderFrame, EmptyTargetOrLogoWritesNothing) {
    struct Case {
        std::int32_t sw, sh, w, h;
    };
    const Case cases[] = {
        {48, 20, 0, 56}, {48, 20, 76, 0}, {0, 20, 76, 56}, {48, 0, 76, 56}, {48, 20, -3, 56}};
    const Image logo = Image::named_logo(48, 20);
    for (const Case& c : cases) {
        Image frame(76, 56);  // sized for 76 x 56 whatever is passed
        render_frame(logo.bits.data(), c.sw, c.sh, logo.row, frame.bits.data(), c.w, c.h, frame.row,
                     0, 1.0);
        EXPECT_EQ(Image(76, 56).bits, frame.bits)
            << "logo " << c.sw << "x" << c.sh << ", target " << c.w << "x" << c.h;
    }
}

// Random and one-pixel sizes, odd angles and absurd zooms: every frame pixel shows a pixel
// of the logo, and one pixel wide or high maps every column or row to 0.
TEST(RenderFrame, AnySizeStaysInsideTheLogo) {
    std::mt19937 random(20260512);
    std::uniform_int_distribution<std::int32_t> logo_size(1, 300), frame_size(1, 120),
        angle(-720, 720);
    std::uniform_real_distribution<double> zoom(0.001, 3.0);
    const double absurd_zooms[] = {0.0, 1e-300, -1.0, 1e300};
    for (int round = 0; round < 220; ++round) {
        const bool thin = round % 10 == 0;
        const Image logo = Image::named_logo(thin ? 1 : logo_size(random),
                                             thin ? round % 3 + 1 : logo_size(random));
        Image frame(frame_size(random), frame_size(random));
        const std::int32_t a = angle(random);
        const double z = round < 4 ? absurd_zooms[round] : zoom(random);
        frame.render_from(logo, a, z);
        for (std::int32_t i = 0; i < frame.h; ++i) {
            for (std::int32_t j = 0; j < frame.w; ++j) {
                const Point p = frame.shown_at(j, i);
                ASSERT_TRUE(p.x >= 0 && p.x < logo.w && p.y >= 0 && p.y < logo.h)
                    << "logo " << logo.w << "x" << logo.h << ", frame " << frame.w << "x" << frame.h
                    << ", angle " << a << ", zoom " << z << ": (" << j << ", " << i << ") shows "
                    << p;
            }
        }
    }
}

// The zoom passes each bound by up to one step before it turns.
TEST(AdvanceAnimation, ZoomSwingsBetweenBounds) {
    struct Case {
        double step;
        std::vector<std::pair<int, double>> zoom_of_frame;  // frames counted from 1
        std::vector<int> turning_frames;
    };
    const Case cases[] = {
        {0.01,
         {{1, 1.0},
          {2, 1.01},
          {3, 1.0},
          {4, 0.99},
          {73, 0.2999999999999994},
          {143, 1.0},
          {213, 0.2999999999999994}},
         {2, 73, 143, 213, 283}},
        {0.1,
         {{1, 1.0},
          {2, 1.1},
          {3, 1.0},
          {4, 0.9},
          {5, 0.8},
          {6, 0.7000000000000001},
          {7, 0.6000000000000001},
          {8, 0.5000000000000001},
          {9, 0.40000000000000013},
          {10, 0.30000000000000016},
          {11, 0.20000000000000015},
          {19, 1.0},
          {27, 0.20000000000000015}},
         {2, 11, 19, 27, 35}},
    };
    for (const Case& c : cases) {
        std::vector<double> zooms;
        AnimationState state{0, 1.0, c.step};
        for (int k = 0; k < 290; ++k) {
            zooms.push_back(state.zoom);
            state = advance_animation(state.angle, 2, state.zoom, state.zoom_step);
        }
        for (const auto& [frame, zoom] : c.zoom_of_frame) {
            EXPECT_EQ(zoom, zooms[frame - 1]) << "step " << c.step << ", frame " << frame;
        }
        std::vector<int> turns;
        for (std::size_t k = 1; k + 1 < zooms.size() && turns.size() < 5; ++k) {
            if ((zooms[k] - zooms[k - 1]) * (zooms[k + 1] - zooms[k]) < 0)
                turns.push_back(static_cast<int>(k + 1));
        }
        EXPECT_EQ(c.turning_frames, turns) << "step " << c.step;
    }
}

TEST(AdvanceAnimation, AngleWrapsToZero) {
    EXPECT_EQ(0, advance_animation(348, 12, 0.5, 0.1).angle);
    EXPECT_EQ(0, advance_animation(358, 2, 0.5, 0.01).angle);
    EXPECT_EQ(358, advance_animation(346, 12, 0.5, 0.1).angle);
}

TEST(AnimationPace, FastOnlyAboveOneHundredMegahertz) {
    struct Case {
        float speed_mhz;
        std::int32_t angle_step;
        double zoom_step;
        std::int32_t pause_ms;
    };
    for (const Case& c :
         {Case{0.0f, 12, 0.1, 50}, Case{100.0f, 12, 0.1, 50}, Case{100.1f, 2, 0.01, 10}}) {
        const AnimationPace pace = animation_pace(c.speed_mhz);
        EXPECT_EQ(c.angle_step, pace.angle_step) << c.speed_mhz << " MHz";
        EXPECT_EQ(c.zoom_step, pace.zoom_step) << c.speed_mhz << " MHz";
        EXPECT_EQ(c.pause_ms, pace.frame_pause_ms) << c.speed_mhz << " MHz";
    }
}

// Open on the left and top, closed on the right and bottom; the cursor changes only when
// the pointer crosses that edge. Before the first paint the area is empty.
TEST(LinkArea, CursorChangesOnlyOnCrossingTheEdge) {
    struct Move {
        std::int32_t x, y;
        CursorChange expected;
    };
    const Move moves[] = {
        {110, 60, CursorChange::none},        {150, 58, CursorChange::none},
        {111, 59, CursorChange::show_link},   {230, 74, CursorChange::none},
        {231, 74, CursorChange::show_normal}, {300, 10, CursorChange::none},
        {150, 74, CursorChange::show_link},   {150, 75, CursorChange::show_normal},
    };
    bool over_link = false;
    for (const Move& m : moves) {
        EXPECT_EQ(static_cast<int>(m.expected),
                  static_cast<int>(track_pointer(over_link, m.x, m.y, LinkExtent{120, 16})))
            << "move to (" << m.x << ", " << m.y << ")";
        EXPECT_FALSE(in_link_area(m.x, m.y, LinkExtent{}))
            << "unpainted, (" << m.x << ", " << m.y << ")";
    }
}

}  // namespace
}  // namespace corelens
