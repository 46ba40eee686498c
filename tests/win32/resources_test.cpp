// The program's icon, bitmaps and cursor as they are stored in the module:
// sizes, colour depths, palettes and hot spot, read from the raw resources.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "resources/resource.h"

namespace {

struct RawResource {
    const std::uint8_t* data = nullptr;
    DWORD size = 0;
};

RawResource find_raw(int id, LPCSTR type)
{
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), type);
    if (!found)
        return {};
    return {static_cast<const std::uint8_t*>(LockResource(LoadResource(nullptr, found))),
            SizeofResource(nullptr, found)};
}

template <typename T>
T read_at(const RawResource& raw, size_t offset)
{
    T value{};
    if (offset + sizeof value <= raw.size)
        std::memcpy(&value, raw.data + offset, sizeof value);
    return value;
}

// Group directories are packed: a 6-byte header, then 14-byte entries
// ending in the 16-bit id of the image resource.
constexpr size_t k_group_header = 6;
constexpr size_t k_group_entry = 14;

WORD group_count(const RawResource& group)
{
    return read_at<WORD>(group, 4);
}

WORD group_image_id(const RawResource& group, int index)
{
    return read_at<WORD>(group, k_group_header + k_group_entry * index + 12);
}

size_t row_size(int width, int bpp)
{
    return (static_cast<size_t>(width) * bpp + 31) / 32 * 4;
}

int palette_entries(const BITMAPINFOHEADER& header)
{
    if (header.biClrUsed)
        return static_cast<int>(header.biClrUsed);
    return header.biBitCount <= 8 ? 1 << header.biBitCount : 0;
}

TEST(Resources, IconGroupHasFourImagesInOrder)
{
    struct Image {
        int size;
        int colours;  // as the directory counts them: 0 for 256
        int bpp;
    };
    const Image expected[] = {{32, 16, 4}, {48, 0, 8}, {32, 0, 8}, {16, 16, 4}};

    const RawResource group = find_raw(IDI_CORELENS, RT_GROUP_ICON);
    ASSERT_TRUE(group.data) << "no icon group " << IDI_CORELENS;
    EXPECT_EQ(1, read_at<WORD>(group, 2)) << "directory type";
    ASSERT_EQ(std::size(expected), group_count(group));

    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE("image " + std::to_string(i));
        const size_t entry = k_group_header + k_group_entry * i;
        const Image& want = expected[i];
        EXPECT_EQ(want.size, read_at<BYTE>(group, entry + 0)) << "width";
        EXPECT_EQ(want.size, read_at<BYTE>(group, entry + 1)) << "height";
        EXPECT_EQ(want.colours, read_at<BYTE>(group, entry + 2)) << "colour count";
        EXPECT_EQ(want.bpp, read_at<WORD>(group, entry + 6)) << "bit count";

        // The image itself: its header counts the colour and the mask bitmap.
        const RawResource image = find_raw(group_image_id(group, i), RT_ICON);
        ASSERT_TRUE(image.data);
        const auto header = read_at<BITMAPINFOHEADER>(image, 0);
        EXPECT_EQ(want.size, header.biWidth);
        EXPECT_EQ(2 * want.size, header.biHeight);
        EXPECT_EQ(want.bpp, header.biBitCount);
    }

    for (int size : {16, 32, 48}) {
        HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr),
                                                   MAKEINTRESOURCEA(IDI_CORELENS), IMAGE_ICON,
                                                   size, size, 0));
        EXPECT_TRUE(icon) << "icon of " << size << " pixels does not load";
        if (icon)
            DestroyIcon(icon);
    }
}

struct BitmapCase {
    int id;
    int width;
    int height;
    int bpp;
};

class BitmapResource : public ::testing::TestWithParam<BitmapCase> {};

TEST_P(BitmapResource, SizeDepthAndPixelsWithinPalette)
{
    const BitmapCase& want = GetParam();
    const RawResource raw = find_raw(want.id, RT_BITMAP);
    ASSERT_TRUE(raw.data) << "no bitmap " << want.id;
    const auto header = read_at<BITMAPINFOHEADER>(raw, 0);
    EXPECT_EQ(sizeof(BITMAPINFOHEADER), header.biSize);
    EXPECT_EQ(want.width, header.biWidth);
    EXPECT_EQ(want.height, header.biHeight);
    EXPECT_EQ(want.bpp, header.biBitCount);
    EXPECT_EQ(static_cast<DWORD>(BI_RGB), header.biCompression);

    // A pixel past the palette would show whatever the display makes of it.
    const int entries = palette_entries(header);
    const size_t bits = header.biSize + 4 * entries;
    const size_t stride = row_size(want.width, want.bpp);
    ASSERT_LE(bits + stride * want.height, raw.size);
    for (int y = 0; y < want.height; ++y) {
        for (int x = 0; x < want.width; ++x) {
            const size_t bit = static_cast<size_t>(x) * want.bpp;
            const int byte = raw.data[bits + stride * y + bit / 8];
            const int index = (byte >> (8 - want.bpp - bit % 8)) & ((1 << want.bpp) - 1);
            ASSERT_LT(index, entries) << "pixel (" << x << ", " << y << ") from the bottom";
        }
    }

    HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(want.id));
    ASSERT_TRUE(bitmap);
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    EXPECT_EQ(want.width, info.bmWidth);
    EXPECT_EQ(want.height, info.bmHeight);
    DeleteObject(bitmap);
}

INSTANTIATE_TEST_SUITE_P(Artwork, BitmapResource,
                         ::testing::Values(BitmapCase{IDB_BACKGROUND, 48, 19, 4},
                                           BitmapCase{IDB_LOGO, 48, 20, 8}),
                         [](const ::testing::TestParamInfo<BitmapCase>& info) {
                             return info.param.id == IDB_BACKGROUND ? std::string("Background")
                                                                    : std::string("Logo");
                         });

TEST(Resources, BackgroundPaletteIsTheFourGreys)
{
    const RawResource raw = find_raw(IDB_BACKGROUND, RT_BITMAP);
    ASSERT_TRUE(raw.data);
    const auto header = read_at<BITMAPINFOHEADER>(raw, 0);
    ASSERT_EQ(4, palette_entries(header));

    std::set<COLORREF> actual;
    for (int i = 0; i < 4; ++i) {
        const auto quad = read_at<RGBQUAD>(raw, header.biSize + 4 * i);
        actual.insert(RGB(quad.rgbRed, quad.rgbGreen, quad.rgbBlue));
    }
    const std::set<COLORREF> expected{RGB(206, 206, 206), RGB(214, 214, 214), RGB(222, 222, 222),
                                      RGB(231, 231, 231)};
    EXPECT_EQ(expected, actual);
}

TEST(Resources, HandCursorHasTwoImagesWithTheFingertipHotSpot)
{
    struct Image {
        int bpp;
        int hot_x, hot_y;
    };
    const Image expected[] = {{4, 12, 1}, {1, 12, 1}};

    const RawResource group = find_raw(IDR_HAND, RT_GROUP_CURSOR);
    ASSERT_TRUE(group.data) << "no cursor group " << IDR_HAND;
    EXPECT_EQ(2, read_at<WORD>(group, 2)) << "directory type";
    ASSERT_EQ(std::size(expected), group_count(group));

    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE("image " + std::to_string(i));
        const Image& want = expected[i];
        // A cursor image starts with its hot spot, then the bitmap header.
        // The group entry's bit count is not used: windres writes 1 there.
        const RawResource image = find_raw(group_image_id(group, i), RT_CURSOR);
        ASSERT_TRUE(image.data);
        EXPECT_EQ(want.hot_x, read_at<WORD>(image, 0)) << "hot spot x";
        EXPECT_EQ(want.hot_y, read_at<WORD>(image, 2)) << "hot spot y";
        const auto header = read_at<BITMAPINFOHEADER>(image, 4);
        EXPECT_EQ(32, header.biWidth);
        EXPECT_EQ(64, header.biHeight);
        EXPECT_EQ(want.bpp, header.biBitCount);

        // The hot spot is on the hand, the top-left corner is not.
        const size_t mask = 4 + header.biSize + 4 * palette_entries(header) + row_size(32, want.bpp) * 32;
        ASSERT_LE(mask + row_size(32, 1) * 32, image.size);
        const auto transparent = [&](int x, int y) {
            const std::uint8_t byte = image.data[mask + row_size(32, 1) * (31 - y) + x / 8];
            return ((byte >> (7 - x % 8)) & 1) != 0;
        };
        EXPECT_FALSE(transparent(want.hot_x, want.hot_y));
        EXPECT_TRUE(transparent(0, 0));
    }

    // What the about window will get.
    HCURSOR cursor = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_HAND));
    ASSERT_TRUE(cursor);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(12u, info.xHotspot);
    EXPECT_EQ(1u, info.yHotspot);
    if (info.hbmMask)
        DeleteObject(info.hbmMask);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
}

}  // namespace
