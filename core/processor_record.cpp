#include "core/processor_record.h"

namespace corelens {

ProcessorRecord processor_record{};
std::int32_t non_intel = 0;

const char* const processor_type_names[4] = {
    "Original OEM",
    "Overdrive processor",
    "Dual processor",
    "Reserved",
};

}  // namespace corelens
