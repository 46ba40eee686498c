// Set-up every fuzz target shares, run by libFuzzer once before the first input.
#include "tables/reference_tables.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    corelens::build_reference_tables();
    return 0;
}
