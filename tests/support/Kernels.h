// Test support: a suite that runs once per cipher kernel.  Each test forces its kernel and puts
// the program's choice back afterwards; kernels the processor lacks are skipped.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "cipher/Isa.h"

namespace moro_test {

class EveryKernel : public ::testing::TestWithParam<CipherIsa> {
protected:
    void SetUp() override {
        m_previous = GetCipherIsa();
        if (!SetCipherIsa(GetParam())) GTEST_SKIP() << GetCipherIsaName(GetParam()) << " not supported here";
    }
    void TearDown() override { SetCipherIsa(m_previous); }
    CipherIsa m_previous = CIPHER_ISA_SCALAR;
};

inline std::string KernelName(const ::testing::TestParamInfo<CipherIsa>& info) {
    return GetCipherIsaName(info.param);
}

}  // namespace moro_test

// INSTANTIATE_FOR_EVERY_KERNEL(Suite): Suite derives from moro_test::EveryKernel.
#define INSTANTIATE_FOR_EVERY_KERNEL(Suite)                                                             \
    INSTANTIATE_TEST_SUITE_P(Kernels, Suite,                                                            \
                             ::testing::Values(CIPHER_ISA_SCALAR, CIPHER_ISA_AVX2, CIPHER_ISA_AVX512), \
                             moro_test::KernelName)
