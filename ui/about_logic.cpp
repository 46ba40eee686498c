#include "ui/about_logic.h"

namespace corelens {

bool in_link_area(std::int32_t x, std::int32_t y, LinkExtent extent) {
    const std::int64_t right = std::int64_t{k_credits_x} + extent.cx;
    const std::int64_t bottom = std::int64_t{k_link_y} + extent.cy;
    return x > k_credits_x && x <= right && y > k_link_y && y <= bottom;
}

CursorChange track_pointer(bool& over_link, std::int32_t x, std::int32_t y, LinkExtent extent) {
    const bool inside = in_link_area(x, y, extent);
    if (inside == over_link) return CursorChange::none;
    over_link = inside;
    return inside ? CursorChange::show_link : CursorChange::show_normal;
}

std::string mail_request(const char* address) { return std::string("mailto: ") + address; }

}  // namespace corelens
