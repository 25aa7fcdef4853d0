// Runs a test body on every instruction set the CPR codec can use on this processor, then puts
// the program's switch back.
#pragma once

#include <gtest/gtest.h>

#include "cpr/CprIsa.h"

namespace moro_test {

template <class F>
void ForEachCprIsa(F body) {
    MoroIsa previous = GetIsa();
    for (CprIsa isa : {CPR_ISA_SCALAR, CPR_ISA_AVX2}) {
        if (!SetCprIsa(isa)) continue;
        SCOPED_TRACE(GetCprIsaName(isa));
        body(isa);
    }
    SetIsa(previous);
}

}  // namespace moro_test
