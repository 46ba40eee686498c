// The program's icon, bitmaps and cursor as stored in the module: sizes, colour depths, the
// background's palette and the cursor's hot spot, read from the raw resources.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "resources/resource.h"

namespace {

struct RawResource {
    const std::uint8_t* data = nullptr;
    DWORD size = 0;
};

RawResource find_raw(int id, LPCSTR type) {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), type);
    if (!found) return {};
    return {static_cast<const std::uint8_t*>(LockResource(LoadResource(nullptr, found))),
            SizeofResource(nullptr, found)};
}

template <typename T>
T read_at(const RawResource& raw, size_t offset) {
    T value{};
    if (offset + sizeof value <= raw.size) std::memcpy(&value, raw.data + offset, sizeof value);
    return value;
}

std::string size_text(int width, int height) { return std::to_string(width) + "x" + std::to_string(height); }

// Each image of a group, in directory order, as "WxH N bpp" from its own bitmap header (which
// counts the colour and the mask bitmap in its height). The directory is packed: a 6-byte
// header, then 14-byte entries ending in the image's id. A cursor image starts with its hot
// spot; an icon entry's size and colour count are what the system chooses by.
std::vector<std::string> group_images(int group_id, LPCSTR group_type, LPCSTR image_type) {
    const RawResource group = find_raw(group_id, group_type);
    const bool cursor = image_type == RT_CURSOR;
    std::vector<std::string> images;
    for (int i = 0; i < read_at<WORD>(group, 4); ++i) {
        const size_t entry = 6 + 14 * i;
        const RawResource image = find_raw(read_at<WORD>(group, entry + 12), image_type);
        const auto header = read_at<BITMAPINFOHEADER>(image, cursor ? 4 : 0);
        std::string text = size_text(header.biWidth, header.biHeight / 2) + " " +
                           std::to_string(header.biBitCount) + " bpp, ";
        if (cursor) {
            text += "hot spot " + std::to_string(read_at<WORD>(image, 0)) + "," +
                    std::to_string(read_at<WORD>(image, 2));
        } else {
            const int colours = read_at<BYTE>(group, entry + 2);
            text += "listed " + size_text(read_at<BYTE>(group, entry), read_at<BYTE>(group, entry + 1)) + " " +
                    std::to_string(colours ? colours : 256) + " colours " +
                    std::to_string(read_at<WORD>(group, entry + 6)) + " bpp";
        }
        images.push_back(text);
    }
    return images;
}

TEST(Resources, IconGroupHasFourImagesInOrder) {
    const std::vector<std::string> expected{
        "32x32 4 bpp, listed 32x32 16 colours 4 bpp",
        "48x48 8 bpp, listed 48x48 256 colours 8 bpp",
        "32x32 8 bpp, listed 32x32 256 colours 8 bpp",
        "16x16 4 bpp, listed 16x16 16 colours 4 bpp",
    };
    EXPECT_EQ(expected, group_images(IDI_CORELENS, RT_GROUP_ICON, RT_ICON));
}

// The group entry's bit count is not read: windres writes 1 there.
TEST(Resources, HandCursorHasTwoImagesWithTheFingertipHotSpot) {
    const std::vector<std::string> expected{"32x32 4 bpp, hot spot 12,1", "32x32 1 bpp, hot spot 12,1"};
    EXPECT_EQ(expected, group_images(IDR_HAND, RT_GROUP_CURSOR, RT_CURSOR));
}

TEST(Resources, BitmapsHaveTheirSizeAndDepth) {
    const std::pair<int, const char*> rows[] = {{IDB_BACKGROUND, "48x19 4 bpp"}, {IDB_LOGO, "48x20 8 bpp"}};
    for (const auto& [id, expected] : rows) {
        const auto header = read_at<BITMAPINFOHEADER>(find_raw(id, RT_BITMAP), 0);
        EXPECT_EQ(expected, size_text(header.biWidth, header.biHeight) + " " + std::to_string(header.biBitCount) +
                                " bpp" + (header.biCompression == BI_RGB ? "" : " compressed"));
    }
}

TEST(Resources, BackgroundPaletteIsTheFourGreys) {
    const RawResource raw = find_raw(IDB_BACKGROUND, RT_BITMAP);
    const auto header = read_at<BITMAPINFOHEADER>(raw, 0);
    EXPECT_EQ(4u, header.biClrUsed);  // a palette entry twice would pass the set below
    std::set<COLORREF> actual;
    for (DWORD i = 0; i < header.biClrUsed; ++i) {
        const auto quad = read_at<RGBQUAD>(raw, header.biSize + 4 * i);
        actual.insert(RGB(quad.rgbRed, quad.rgbGreen, quad.rgbBlue));
    }
    EXPECT_EQ((std::set<COLORREF>{RGB(206, 206, 206), RGB(214, 214, 214), RGB(222, 222, 222), RGB(231, 231, 231)}),
              actual);
}

}  // namespace
