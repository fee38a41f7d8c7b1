// The libFuzzer driver of one target, chosen at compile time.
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_entries.h"

#ifndef PAWNLET_FUZZ_TARGET
#error "PAWNLET_FUZZ_TARGET names the entry this driver runs"
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzz::Entry entry = fuzz::FindEntry(PAWNLET_FUZZ_TARGET);
    if (entry == nullptr) {
        std::fprintf(stderr, "fuzz: no entry named %s\n", PAWNLET_FUZZ_TARGET);
        std::abort();
    }
    if (auto fault = entry({data, size})) {
        std::fprintf(stderr, "fuzz %s: %s\n", PAWNLET_FUZZ_TARGET, fault->c_str());
        std::abort();
    }
    return 0;
}
