// The table of the wavelet filter banks the library knows, in lookup order.
//
// Where the values come from: the program's own bank table, copied digit for digit; every value
// is a decimal of at most four places (a rounding of the exact filter, which is why a one-level
// round trip can miss its input by up to about 0.16).  Orthogonal banks keep their decomposition
// low-pass filter; the high-pass one is its alternating-sign reversal, made here at compile time.
// Spline (bior) banks keep both, zero-padded to a common length.  Nothing else is stored: the
// reconstruction filters are derived when a bank is selected.
#include <cstddef>

#include "ipdib/TransformInternal.h"

namespace {

template <size_t L>
struct Filters {
    double lo[L];
    double hi[L];
};

// HiD[i] = (-1)^(i+1) x LoD[L-1-i].
template <size_t L>
constexpr Filters<L> Orthogonal(const double (&lo)[L]) {
    Filters<L> f{};
    for (size_t i = 0; i < L; ++i) {
        f.lo[i] = lo[i];
        f.hi[i] = i % 2 ? lo[L - 1 - i] : -lo[L - 1 - i];
    }
    return f;
}

template <size_t L>
constexpr Filters<L> Spline(const double (&lo)[L], const double (&hi)[L]) {
    Filters<L> f{};
    for (size_t i = 0; i < L; ++i) {
        f.lo[i] = lo[i];
        f.hi[i] = hi[i];
    }
    return f;
}

// ---- orthogonal: Haar, Daubechies, symlets, coiflets (decomposition low-pass) ----

constexpr double kLo_haar[] = {0.7071, 0.7071};
constexpr double kLo_db2[] = {-0.1294, 0.2241, 0.8365, 0.483};
constexpr double kLo_db3[] = {0.0352, -0.0854, -0.135, 0.4599, 0.8069, 0.3327};
constexpr double kLo_db4[] = {-0.0106, 0.0329, 0.0308, -0.187, -0.028, 0.6309, 0.7148, 0.2304};
constexpr double kLo_db5[] = {0.0033, -0.0126, -0.0062, 0.0776, -0.0322, -0.2423, 0.1384, 0.7243, 0.6038, 0.1601};
constexpr double kLo_db6[] = {-0.0011, 0.0048, 0.0006, -0.0316, 0.0275, 0.0975, -0.1298, -0.2263, 0.3153, 0.7511, 0.4946, 0.1115};
constexpr double kLo_db7[] = {0.0004, -0.0018, 0.0004, 0.0126, -0.0166, -0.038, 0.0806, 0.0713, -0.224, -0.1439, 0.4698, 0.7291, 0.3965, 0.0779};
constexpr double kLo_db8[] = {-0.0001, 0.0007, -0.0004, -0.0049, 0.0087, 0.014, -0.0441, -0.0174, 0.1287, 0.0005, -0.284, -0.0158, 0.5854, 0.6756, 0.3129, 0.0544};
constexpr double kLo_sym2[] = {-0.1294, 0.2241, 0.8365, 0.483};
constexpr double kLo_sym3[] = {0.0352, -0.0854, -0.135, 0.4599, 0.8069, 0.3327};
constexpr double kLo_sym4[] = {-0.0758, -0.0296, 0.4976, 0.8037, 0.2979, -0.0992, -0.0126, 0.0322};
constexpr double kLo_sym5[] = {0.0273, 0.0295, -0.0391, 0.1994, 0.7234, 0.634, 0.0166, -0.1753, -0.0211, 0.0195};
constexpr double kLo_sym6[] = {0.0154, 0.0035, -0.118, -0.0483, 0.4911, 0.7876, 0.3379, -0.0726, -0.0211, 0.0447, 0.0018, -0.0078};
constexpr double kLo_sym7[] = {0.0027, -0.001, -0.0126, 0.0305, 0.0679, -0.0496, 0.0174, 0.5361, 0.7678, 0.2886, -0.14, -0.1078, 0.004, 0.0103};
constexpr double kLo_sym8[] = {-0.0034, -0.0005, 0.0317, 0.0076, -0.1433, -0.0613, 0.4814, 0.7772, 0.3644, -0.0519, -0.0272, 0.0491, 0.0038, -0.015, -0.0003, 0.0019};
constexpr double kLo_coif1[] = {-0.0157, -0.0727, 0.3849, 0.8526, 0.3379, -0.0727};
constexpr double kLo_coif2[] = {-0.0007, -0.0018, 0.0056, 0.0237, -0.0594, -0.0765, 0.417, 0.8127, 0.3861, -0.0674, -0.0415, 0.0164};
constexpr double kLo_coif3[] = {0, -0.0001, 0.0005, 0.0011, -0.0026, -0.009, 0.0159, 0.0346, -0.0823, -0.0718, 0.4285, 0.7938, 0.4052, -0.0611, -0.0658, 0.0235, 0.0078, -0.0038};

// ---- biorthogonal splines (decomposition low-pass, then high-pass) ----
constexpr double kLo_bior1_3[] = {-0.0884, 0.0884, 0.7071, 0.7071, 0.0884, -0.0884};
constexpr double kHi_bior1_3[] = {0, 0, -0.7071, 0.7071, 0, 0};
constexpr double kLo_bior1_5[] = {0.0166, -0.0166, -0.1215, 0.1215, 0.7071, 0.7071, 0.1215, -0.1215, -0.0166, 0.0166};
constexpr double kHi_bior1_5[] = {0, 0, 0, 0, -0.7071, 0.7071, 0, 0, 0, 0};
constexpr double kLo_bior2_2[] = {0, -0.1768, 0.3536, 1.0607, 0.3536, -0.1768};
constexpr double kHi_bior2_2[] = {0, 0.3536, -0.7071, 0.3536, 0, 0};
constexpr double kLo_bior2_4[] = {0, 0.0331, -0.0663, -0.1768, 0.4198, 0.9944, 0.4198, -0.1768, -0.0663, 0.0331};
constexpr double kHi_bior2_4[] = {0, 0, 0, 0.3536, -0.7071, 0.3536, 0, 0, 0, 0};
constexpr double kLo_bior2_6[] = {0, -0.0069, 0.0138, 0.047, -0.1077, -0.1699, 0.4475, 0.9667, 0.4475, -0.1699, -0.1077, 0.047, 0.0138, -0.0069};
constexpr double kHi_bior2_6[] = {0, 0, 0, 0, 0, 0.3536, -0.7071, 0.3536, 0, 0, 0, 0, 0, 0};
constexpr double kLo_bior2_8[] = {0, 0.0015, -0.003, -0.0129, 0.0289, 0.053, -0.1349, -0.1638, 0.4626, 0.9516, 0.4626, -0.1638, -0.1349, 0.053, 0.0289, -0.0129, -0.003, 0.0015};
constexpr double kHi_bior2_8[] = {0, 0, 0, 0, 0, 0, 0, 0.3536, -0.7071, 0.3536, 0, 0, 0, 0, 0, 0, 0, 0};
constexpr double kLo_bior3_1[] = {-0.3536, 1.0607, 1.0607, -0.3536};
constexpr double kHi_bior3_1[] = {-0.1768, 0.5303, -0.5303, 0.1768};
constexpr double kLo_bior3_3[] = {0.0663, -0.1989, -0.1547, 0.9944, 0.9944, -0.1547, -0.1989, 0.0663};
constexpr double kHi_bior3_3[] = {0, 0, -0.1768, 0.5303, -0.5303, 0.1768, 0, 0};
constexpr double kLo_bior3_5[] = {-0.0138, 0.0414, 0.0525, -0.2679, -0.0718, 0.9667, 0.9667, -0.0718, -0.2679, 0.0525, 0.0414, -0.0138};
constexpr double kHi_bior3_5[] = {0, 0, 0, 0, -0.1768, 0.5303, -0.5303, 0.1768, 0, 0, 0, 0};
constexpr double kLo_bior3_7[] = {0.003, -0.0091, -0.0168, 0.0747, 0.0313, -0.3012, -0.0265, 0.9516, 0.9516, -0.0265, -0.3012, 0.0313, 0.0747, -0.0168, -0.0091, 0.003};
constexpr double kHi_bior3_7[] = {0, 0, 0, 0, 0, 0, -0.1768, 0.5303, -0.5303, 0.1768, 0, 0, 0, 0, 0, 0};
constexpr double kLo_bior3_9[] = {-0.0007, 0.002, 0.0051, -0.0206, -0.0141, 0.0991, 0.0123, -0.3202, 0.0021, 0.9421, 0.9421, 0.0021, -0.3202, 0.0123, 0.0991, -0.0141, -0.0206, 0.0051, 0.002, -0.0007};
constexpr double kHi_bior3_9[] = {0, 0, 0, 0, 0, 0, 0, 0, -0.1768, 0.5303, -0.5303, 0.1768, 0, 0, 0, 0, 0, 0, 0, 0};
constexpr double kLo_bior4_4[] = {0, 0.0378, -0.0238, -0.1106, 0.3774, 0.8527, 0.3774, -0.1106, -0.0238, 0.0378};
constexpr double kHi_bior4_4[] = {0, -0.0645, 0.0407, 0.4181, -0.7885, 0.4181, 0.0407, -0.0645, 0, 0};
constexpr double kLo_bior5_5[] = {0, 0, 0.0397, 0.0079, -0.0545, 0.3456, 0.7367, 0.3456, -0.0545, 0.0079, 0.0397, 0};
constexpr double kHi_bior5_5[] = {-0.0135, -0.0027, 0.1367, -0.0935, -0.4768, 0.8995, -0.4768, -0.0935, 0.1367, -0.0027, -0.0135, 0};
constexpr double kLo_bior6_8[] = {0, 0.0019, -0.0019, -0.017, 0.0119, 0.0497, -0.0773, -0.0941, 0.4208, 0.8259, 0.4208, -0.0941, -0.0773, 0.0497, 0.0119, -0.017, -0.0019, 0.0019};
constexpr double kHi_bior6_8[] = {0, 0, 0, 0.0144, -0.0145, -0.0787, 0.0404, 0.4178, -0.7589, 0.4178, 0.0404, -0.0787, -0.0145, 0.0144, 0, 0, 0, 0};

constexpr auto k_haar = Orthogonal(kLo_haar);
constexpr auto k_db2 = Orthogonal(kLo_db2);
constexpr auto k_db3 = Orthogonal(kLo_db3);
constexpr auto k_db4 = Orthogonal(kLo_db4);
constexpr auto k_db5 = Orthogonal(kLo_db5);
constexpr auto k_db6 = Orthogonal(kLo_db6);
constexpr auto k_db7 = Orthogonal(kLo_db7);
constexpr auto k_db8 = Orthogonal(kLo_db8);
constexpr auto k_bior1_3 = Spline(kLo_bior1_3, kHi_bior1_3);
constexpr auto k_bior1_5 = Spline(kLo_bior1_5, kHi_bior1_5);
constexpr auto k_bior2_2 = Spline(kLo_bior2_2, kHi_bior2_2);
constexpr auto k_bior2_4 = Spline(kLo_bior2_4, kHi_bior2_4);
constexpr auto k_bior2_6 = Spline(kLo_bior2_6, kHi_bior2_6);
constexpr auto k_bior2_8 = Spline(kLo_bior2_8, kHi_bior2_8);
constexpr auto k_bior3_1 = Spline(kLo_bior3_1, kHi_bior3_1);
constexpr auto k_bior3_3 = Spline(kLo_bior3_3, kHi_bior3_3);
constexpr auto k_bior3_5 = Spline(kLo_bior3_5, kHi_bior3_5);
constexpr auto k_bior3_7 = Spline(kLo_bior3_7, kHi_bior3_7);
constexpr auto k_bior3_9 = Spline(kLo_bior3_9, kHi_bior3_9);
constexpr auto k_bior4_4 = Spline(kLo_bior4_4, kHi_bior4_4);
constexpr auto k_bior5_5 = Spline(kLo_bior5_5, kHi_bior5_5);
constexpr auto k_bior6_8 = Spline(kLo_bior6_8, kHi_bior6_8);
constexpr auto k_sym2 = Orthogonal(kLo_sym2);
constexpr auto k_sym3 = Orthogonal(kLo_sym3);
constexpr auto k_sym4 = Orthogonal(kLo_sym4);
constexpr auto k_sym5 = Orthogonal(kLo_sym5);
constexpr auto k_sym6 = Orthogonal(kLo_sym6);
constexpr auto k_sym7 = Orthogonal(kLo_sym7);
constexpr auto k_sym8 = Orthogonal(kLo_sym8);
constexpr auto k_coif1 = Orthogonal(kLo_coif1);
constexpr auto k_coif2 = Orthogonal(kLo_coif2);
constexpr auto k_coif3 = Orthogonal(kLo_coif3);

#define MORO_BANK(name, filters) {name, int(sizeof filters.lo / sizeof(double)), filters.lo, filters.hi}

constexpr ipdib::WaveBank kBanks[] = {
    MORO_BANK("haar", k_haar),
    MORO_BANK("db2", k_db2),
    MORO_BANK("db3", k_db3),
    MORO_BANK("db4", k_db4),
    MORO_BANK("db5", k_db5),
    MORO_BANK("db6", k_db6),
    MORO_BANK("db7", k_db7),
    MORO_BANK("db8", k_db8),
    MORO_BANK("bior1.3", k_bior1_3),
    MORO_BANK("bior1.5", k_bior1_5),
    MORO_BANK("bior2.2", k_bior2_2),
    MORO_BANK("bior2.4", k_bior2_4),
    MORO_BANK("bior2.6", k_bior2_6),
    MORO_BANK("bior2.8", k_bior2_8),
    MORO_BANK("bior3.1", k_bior3_1),
    MORO_BANK("bior3.3", k_bior3_3),
    MORO_BANK("bior3.5", k_bior3_5),
    MORO_BANK("bior3.7", k_bior3_7),
    MORO_BANK("bior3.9", k_bior3_9),
    MORO_BANK("bior4.4", k_bior4_4),
    MORO_BANK("bior5.5", k_bior5_5),
    MORO_BANK("bior6.8", k_bior6_8),
    MORO_BANK("sym2", k_sym2),
    MORO_BANK("sym3", k_sym3),
    MORO_BANK("sym4", k_sym4),
    MORO_BANK("sym5", k_sym5),
    MORO_BANK("sym6", k_sym6),
    MORO_BANK("sym7", k_sym7),
    MORO_BANK("sym8", k_sym8),
    MORO_BANK("coif1", k_coif1),
    MORO_BANK("coif2", k_coif2),
    MORO_BANK("coif3", k_coif3),
};

#undef MORO_BANK

}  // namespace

namespace ipdib {

int WaveBankCount() { return int(sizeof kBanks / sizeof kBanks[0]); }

const WaveBank* WaveBankAt(int nIndex) { return nIndex >= 0 && nIndex < WaveBankCount() ? &kBanks[nIndex] : nullptr; }

}  // namespace ipdib
