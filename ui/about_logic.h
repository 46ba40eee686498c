#pragma once
// What the about window shows and how its mail link reacts, without the window system.
#include <cstdint>
#include <string>

namespace corelens {

// Width and height in pixels of the address as last painted.
struct LinkExtent {
    std::int32_t cx = 0;
    std::int32_t cy = 0;
};

struct CreditLine {
    std::int32_t y;  // top of the text, client pixels
    const char* text;
};

// Every credits line starts at this client x, in pixels (not dialog units).
constexpr std::int32_t k_credits_x = 110;
constexpr std::int32_t k_link_y = 58;
constexpr unsigned k_credits_colour = 0x404040;  // 0xRRGGBB
constexpr unsigned k_link_colour = 0x0000FF;
constexpr char k_contact_address[] = "corelens@example.org";

// Drawn in grey above the address; the underscores sit under the version notice.
constexpr CreditLine k_credit_lines[] = {
    {10, "Corelens Version 1.13f"},
    {30, "_______________________"},
    {44, "send comments to:"},
};

constexpr char k_cursor_error_text[] = "Error loading mouse-cursors";
constexpr char k_cursor_error_caption[] = "Error";
constexpr char k_email_error_text[] =
    "You're email software couldn't be found.\n"
    "The most probable cause is that you don't\n"
    "have any email software installed.\n"
    "You'll have to send me an email manually...";
constexpr char k_email_error_caption[] = "email-error";

// Open on the left and top edges, closed on the right and bottom: 110 < x <= 110 + cx,
// 58 < y <= 58 + cy. Empty while the extent is zero.
bool in_link_area(std::int32_t x, std::int32_t y, LinkExtent extent);

enum class CursorChange { none, show_link, show_normal };

// Follows the pointer over the link: changes over_link and names the cursor to show only
// when the pointer crosses the edge of the link area.
CursorChange track_pointer(bool& over_link, std::int32_t x, std::int32_t y, LinkExtent extent);

// The request handed to the mail client; the blank after the colon is kept.
std::string mail_request(const char* address);

}  // namespace corelens
