// The builds of the search's byte scans (the plain search's candidates, the
// count of line ends). Each scan is written once as a template over a vector
// of bytes (search/vector_lanes.h) and built twice: with SSE2, which every
// processor the library runs on offers, and with AVX2 (search/search_avx2.cpp),
// twice as wide, taken where the processor offers it.
#pragma once

// ProcessorOffers(sse2) always holds; avx2 holds when the processor has AVX2
// and the system saves its registers.
enum class VectorBuild { sse2, avx2 };
bool ProcessorOffers(VectorBuild build);

// The widest build the processor offers.
VectorBuild WidestVectorBuild();
