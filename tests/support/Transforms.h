// Test support for the FFT and wavelet suites: random grey images, arrays compared bit for bit,
// and the number of draws an operation took from the program's random generator.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "ipdib/IPDib.h"
#include "ipdib/TransformInternal.h"
#include "platform/Rand.h"
#include "tests/support/IPDibImages.h"

namespace moro_test {

// An 8-bit image of uniformly random pixels.
inline void RandomGrey(CIPDib& dib, int w, int h, unsigned seed) {
    ASSERT_TRUE(dib.Create(w, h, 8));
    std::mt19937 rng(seed);
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) dib.StoredRow(r)[c] = BYTE(rng());
}

// Runs the test body once with each kernel form the processor has.
inline std::vector<MoroIsa> KernelForms() {
    std::vector<MoroIsa> forms = {MORO_ISA_SCALAR};
    if (IsIsaSupported(MORO_ISA_AVX2)) forms.push_back(MORO_ISA_AVX2);
    return forms;
}

// Puts the program's switch back as it was at the end of a test.
struct IsaRestorer {
    MoroIsa saved = GetIsa();
    ~IsaRestorer() { SetIsa(saved); }
};

}  // namespace moro_test
