// Runs a test body on every instruction set the CPR codec can use on this processor, then goes
// back to the best one.
#pragma once

#include <gtest/gtest.h>

#include "cpr/CprIsa.h"

namespace moro_test {

template <class F>
void ForEachCprIsa(F body) {
    for (CprIsa isa : {CPR_ISA_SCALAR, CPR_ISA_AVX2}) {
        if (!SetCprIsa(isa)) continue;
        SCOPED_TRACE(GetCprIsaName(isa));
        body(isa);
    }
    SetCprIsa(GetBestCprIsa());
}

}  // namespace moro_test
