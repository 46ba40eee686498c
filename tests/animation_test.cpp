// The about window's logic: the logo's frame mapping, the animation's steps, its pace and
// the mail link's area.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "ui/about_logic.h"
#include "ui/animation.h"

namespace corelens {
namespace {

// A 24-bit logo whose every pixel names its own position, so a frame pixel tells which
// logo pixel it shows: blue = x & 0xFF, green = y & 0xFF, red = the high bits of both.
struct NamedLogo {
    std::int32_t sw, sh, ss;
    std::vector<std::uint8_t> bits;  // exactly sh rows of ss bytes: ASan sees any overrun

    NamedLogo(std::int32_t width, std::int32_t height)
        : sw(width), sh(height), ss(row_size_24(width)),
          bits(static_cast<std::size_t>(ss) * static_cast<std::size_t>(height)) {
        for (std::int32_t y = 0; y < sh; ++y) {
            for (std::int32_t x = 0; x < sw; ++x) {
                std::uint8_t* p = &bits[static_cast<std::size_t>(y * ss + 3 * x)];
                p[0] = static_cast<std::uint8_t>(x & 0xFF);
                p[1] = static_cast<std::uint8_t>(y & 0xFF);
                p[2] = static_cast<std::uint8_t>(((x >> 8) & 0x0F) | ((y >> 8) << 4));
            }
        }
    }
};

struct Frame {
    std::int32_t w, h, fs;
    std::vector<std::uint8_t> bits;

    Frame(std::int32_t width, std::int32_t height)
        : w(width), h(height), fs(row_size_24(width)),
          bits(static_cast<std::size_t>(fs) * static_cast<std::size_t>(height), 0xEE) {}

    struct Point {
        std::int32_t x, y;
        bool operator==(const Point& o) const { return x == o.x && y == o.y; }
    };

    Point logo_pixel(std::int32_t j, std::int32_t i) const {
        const std::uint8_t* p = &bits[static_cast<std::size_t>(i * fs + 3 * j)];
        return {p[0] | ((p[2] & 0x0F) << 8), p[1] | ((p[2] >> 4) << 8)};
    }
};

std::ostream& operator<<(std::ostream& out, const Frame::Point& p) {
    return out << "(" << p.x << ", " << p.y << ")";
}

void render(const NamedLogo& logo, Frame& frame, std::int32_t angle, double zoom) {
    render_frame(logo.bits.data(), logo.sw, logo.sh, logo.ss, frame.bits.data(), frame.w,
                 frame.h, frame.fs, angle, zoom);
}

// The about window's frame (76 x 56) over the 48 x 20 logo.
TEST(RenderFrame, MapsFramePixelsToLogoPixels) {
    struct Case {
        std::int32_t angle;
        double zoom;
        Frame::Point frame_pixel;
        Frame::Point logo_pixel;
    };
    const Case cases[] = {
        {0, 1.0, {0, 0}, {34, 2}},
        {0, 1.0, {38, 28}, {24, 10}},
        {0, 1.0, {75, 55}, {13, 17}},
        {0, 0.3, {0, 0}, {42, 17}},  // truncation toward zero; the floor would give (41, 16)
        {90, 0.5, {0, 0}, {31, 14}},
        {90, 0.5, {75, 0}, {32, 3}},
        {180, 1.0, {0, 0}, {14, 17}},
    };
    const NamedLogo logo(48, 20);
    for (const Case& c : cases) {
        Frame frame(76, 56);
        render(logo, frame, c.angle, c.zoom);
        EXPECT_EQ(c.logo_pixel, frame.logo_pixel(c.frame_pixel.x, c.frame_pixel.y))
            << "angle " << c.angle << ", zoom " << c.zoom << ", frame pixel " << c.frame_pixel;
    }
}

TEST(RenderFrame, TurnsAnticlockwise) {
    const NamedLogo logo(48, 20);
    Frame frame(76, 56);
    render(logo, frame, 10, 1.0);
    // Ten columns right of the logo's centre, lifted above the frame's centre row.
    const Frame::Point right_of_centre{34, 10};
    EXPECT_EQ(right_of_centre, frame.logo_pixel(48, 26));
    EXPECT_EQ(right_of_centre, frame.logo_pixel(48, 27));
}

TEST(RenderFrame, OnePixelLogoMapsEverythingToColumnOrRowZero) {
    struct Case {
        std::int32_t sw, sh;
    };
    for (const Case c : {Case{1, 20}, Case{48, 1}, Case{1, 1}}) {
        const NamedLogo logo(c.sw, c.sh);
        for (const std::int32_t angle : {0, 37, 90, 211}) {
            Frame frame(76, 56);
            render(logo, frame, angle, 0.45);
            for (std::int32_t i = 0; i < frame.h; ++i) {
                for (std::int32_t j = 0; j < frame.w; ++j) {
                    const Frame::Point p = frame.logo_pixel(j, i);
                    if (c.sw == 1) {
                        ASSERT_EQ(0, p.x) << "logo 1x" << c.sh << " at (" << j << ", " << i << ")";
                    }
                    if (c.sh == 1) {
                        ASSERT_EQ(0, p.y) << "logo " << c.sw << "x1 at (" << j << ", " << i << ")";
                    }
                }
            }
        }
    }
}

TEST(RenderFrame, EmptyTargetOrLogoWritesNothing) {
    struct Case {
        std::int32_t sw, sh, w, h;
    };
    const Case cases[] = {{48, 20, 0, 56}, {48, 20, 76, 0}, {48, 20, 0, 0},
                          {0, 20, 76, 56}, {48, 0, 76, 56}, {48, 20, -3, 56}};
    for (const Case& c : cases) {
        const NamedLogo logo(c.sw > 0 ? c.sw : 1, c.sh > 0 ? c.sh : 1);
        // The frame buffer is sized for 76 x 56 whatever the width passed.
        std::vector<std::uint8_t> frame(static_cast<std::size_t>(row_size_24(76)) * 56, 0xEE);
        render_frame(logo.bits.data(), c.sw, c.sh, logo.ss, frame.data(), c.w, c.h,
                     row_size_24(76), 0, 1.0);
        EXPECT_EQ(std::vector<std::uint8_t>(frame.size(), 0xEE), frame)
            << "logo " << c.sw << "x" << c.sh << ", target " << c.w << "x" << c.h;
    }
}

// Run under AddressSanitizer the exactly sized buffers catch any read past the logo.
TEST(RenderFrame, RandomSizesStayInsideTheLogo) {
    std::mt19937 random(20260512);
    std::uniform_int_distribution<std::int32_t> logo_size(1, 300);
    std::uniform_int_distribution<std::int32_t> frame_size(1, 120);
    std::uniform_int_distribution<std::int32_t> angle(-720, 720);
    std::uniform_real_distribution<double> zoom(0.001, 3.0);
    for (int round = 0; round < 200; ++round) {
        const NamedLogo logo(logo_size(random), logo_size(random));
        Frame frame(frame_size(random), frame_size(random));
        const std::int32_t a = angle(random);
        const double z = zoom(random);
        render(logo, frame, a, z);
        for (std::int32_t i = 0; i < frame.h; ++i) {
            for (std::int32_t j = 0; j < frame.w; ++j) {
                const Frame::Point p = frame.logo_pixel(j, i);
                ASSERT_TRUE(p.x >= 0 && p.x < logo.sw && p.y >= 0 && p.y < logo.sh)
                    << "logo " << logo.sw << "x" << logo.sh << ", frame " << frame.w << "x"
                    << frame.h << ", angle " << a << ", zoom " << z << ": pixel (" << j << ", "
                    << i << ") shows " << p;
            }
        }
    }
}

TEST(RenderFrame, DegenerateZoomStaysInsideTheLogo) {
    const NamedLogo logo(48, 20);
    for (const double z : {0.0, -0.0, 1e-300, -1.0, 1e300}) {
        Frame frame(76, 56);
        render(logo, frame, 45, z);
        const Frame::Point p = frame.logo_pixel(0, 0);
        EXPECT_TRUE(p.x >= 0 && p.x < 48 && p.y >= 0 && p.y < 20) << "zoom " << z << " shows " << p;
    }
}

// The zoom each frame is drawn with, frames counted from 1.
std::vector<double> zoom_of_frames(double step, int frames) {
    std::vector<double> zooms;
    AnimationState state{0, 1.0, step};
    for (int k = 0; k < frames; ++k) {
        zooms.push_back(state.zoom);
        state = advance_animation(state.angle, 2, state.zoom, state.zoom_step);
    }
    return zooms;
}

// Frames (from 1) after which the zoom changes direction.
std::vector<int> turning_frames(const std::vector<double>& zooms) {
    std::vector<int> turns;
    for (std::size_t k = 1; k + 1 < zooms.size(); ++k) {
        if ((zooms[k] - zooms[k - 1]) * (zooms[k + 1] - zooms[k]) < 0) {
            turns.push_back(static_cast<int>(k + 1));
        }
    }
    return turns;
}

TEST(AdvanceAnimation, SmallZoomStepSwingsBetweenBounds) {
    const std::vector<double> zooms = zoom_of_frames(0.01, 290);
    EXPECT_EQ(1.0, zooms[0]);
    EXPECT_EQ(1.01, zooms[1]);
    EXPECT_EQ(1.0, zooms[2]);
    EXPECT_EQ(0.99, zooms[3]);
    EXPECT_EQ(0.2999999999999994, zooms[72]);
    EXPECT_EQ(1.0, zooms[142]);
    EXPECT_EQ(0.2999999999999994, zooms[212]);
    EXPECT_EQ((std::vector<int>{2, 73, 143, 213, 283}), turning_frames(zooms));
}

TEST(AdvanceAnimation, CoarseZoomStepSwingsBetweenBounds) {
    const std::vector<double> zooms = zoom_of_frames(0.1, 36);
    const std::vector<double> first = {1.0, 1.1, 1.0, 0.9, 0.8, 0.7000000000000001,
                                       0.6000000000000001, 0.5000000000000001,
                                       0.40000000000000013, 0.30000000000000016,
                                       0.20000000000000015};
    for (std::size_t k = 0; k < first.size(); ++k) {
        EXPECT_EQ(first[k], zooms[k]) << "frame " << k + 1;
    }
    EXPECT_EQ(1.0, zooms[18]);
    EXPECT_EQ(0.20000000000000015, zooms[26]);
    EXPECT_EQ((std::vector<int>{2, 11, 19, 27, 35}), turning_frames(zooms));
}

TEST(AdvanceAnimation, AngleWrapsToZero) {
    struct Case {
        std::int32_t angle, step, expected;
    };
    for (const Case& c : {Case{348, 12, 0}, Case{358, 2, 0}, Case{346, 12, 358}, Case{0, 2, 2}}) {
        EXPECT_EQ(c.expected, advance_animation(c.angle, c.step, 0.5, 0.01).angle)
            << c.angle << " + " << c.step;
    }
}

TEST(AnimationPace, FastOnlyAboveOneHundredMegahertz) {
    struct Case {
        float speed_mhz;
        std::int32_t angle_step;
        double zoom_step;
        std::int32_t pause_ms;
    };
    const Case cases[] = {
        {0.0f, 12, 0.1, 50}, {100.0f, 12, 0.1, 50}, {100.1f, 2, 0.01, 10}, {2400.0f, 2, 0.01, 10}};
    for (const Case& c : cases) {
        const AnimationPace pace = animation_pace(c.speed_mhz);
        EXPECT_EQ(c.angle_step, pace.angle_step) << c.speed_mhz << " MHz";
        EXPECT_EQ(c.zoom_step, pace.zoom_step) << c.speed_mhz << " MHz";
        EXPECT_EQ(c.pause_ms, pace.frame_pause_ms) << c.speed_mhz << " MHz";
    }
}

TEST(LinkArea, OpenOnLeftAndTopClosedOnRightAndBottom) {
    const LinkExtent extent{120, 16};
    struct Case {
        std::int32_t x, y;
        bool inside;
    };
    const Case cases[] = {
        {110, 60, false}, {111, 60, true}, {230, 60, true}, {231, 60, false},
        {150, 58, false}, {150, 59, true}, {150, 74, true}, {150, 75, false},
        {111, 59, true},  {230, 74, true}, {110, 58, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.inside, in_link_area(c.x, c.y, extent)) << "(" << c.x << ", " << c.y << ")";
    }
}

TEST(LinkArea, EmptyBeforeFirstPaint) {
    const LinkExtent unpainted;
    for (std::int32_t x = 100; x < 130; ++x) {
        for (std::int32_t y = 50; y < 70; ++y) {
            ASSERT_FALSE(in_link_area(x, y, unpainted)) << "(" << x << ", " << y << ")";
        }
    }
}

TEST(LinkArea, CursorChangesOnlyOnCrossingTheEdge) {
    const LinkExtent extent{120, 16};
    struct Move {
        std::int32_t x, y;
        CursorChange expected;
    };
    const Move moves[] = {
        {20, 20, CursorChange::none},         {111, 59, CursorChange::show_link},
        {150, 65, CursorChange::none},        {230, 74, CursorChange::none},
        {231, 74, CursorChange::show_normal}, {300, 10, CursorChange::none},
        {120, 70, CursorChange::show_link},
    };
    bool over_link = false;
    for (const Move& m : moves) {
        EXPECT_EQ(static_cast<int>(m.expected),
                  static_cast<int>(track_pointer(over_link, m.x, m.y, extent)))
            << "move to (" << m.x << ", " << m.y << ")";
        EXPECT_EQ(in_link_area(m.x, m.y, extent), over_link) << "move to (" << m.x << ", " << m.y << ")";
    }
}

TEST(MailRequest, KeepsTheBlankAfterTheColon) {
    EXPECT_EQ(std::string("mailto: corelens@example.org"), mail_request(k_contact_address));
    EXPECT_EQ(std::string("mailto: "), mail_request(""));
}

}  // namespace
}  // namespace corelens
