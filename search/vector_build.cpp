#include "search/vector_build.h"

namespace {

// The detection is run here rather than left to the runtime's start, whose
// order against a library's first caller is not given.
bool ProcessorOffersAvx2() {
    static const bool offers = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return offers;
}

} // namespace

bool ProcessorOffers(VectorBuild build) {
    return build == VectorBuild::sse2 || ProcessorOffersAvx2();
}

VectorBuild WidestVectorBuild() {
    return ProcessorOffersAvx2() ? VectorBuild::avx2 : VectorBuild::sse2;
}
