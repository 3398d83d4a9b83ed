// The plain search of the file search over 64 MB of real source text (the
// machine's own C and C++ headers, read at start-up) held in memory, beside
// an SSE2 loop that only adds up every byte: the rate one core can read
// memory at, which the search is measured against. Each pass goes through the
// whole text as the file search goes through files: from the start until
// the end or the 10000th accepted match, then on from behind that match.
#include "search/plain_search.h"
#include "search/search_file.h"
#include "tests/search/benchmarks/source_text.h"

#include <benchmark/benchmark.h>

#include <emmintrin.h>

#include <string>
#include <vector>

namespace {

const size_t textSize = 64 * 1024 * 1024;

const std::string& SourceText() {
    static const std::string text = MachineSourceText(textSize);
    return text;
}

void ByteSum(benchmark::State& state) {
    const std::string& text = SourceText();
    const unsigned char* data = reinterpret_cast<const unsigned char*>(text.data());
    for (auto _ : state) {
        const __m128i zero = _mm_setzero_si128();
        __m128i sum = zero;
        for (size_t i = 0; i + 16 <= text.size(); i += 16) {
            __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
            sum = _mm_add_epi64(sum, _mm_sad_epu8(bytes, zero));
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
}
BENCHMARK(ByteSum)->Unit(benchmark::kMillisecond);

void PlainSearch(benchmark::State& state, const char* literal, int caseInsensitive,
                 int wholeWords) {
    const std::string& text = SourceText();
    const unsigned char* data = reinterpret_cast<const unsigned char*>(text.data());
    const uint32_t size = static_cast<uint32_t>(text.size());
    std::vector<uint32_t> positions(matchBatch);
    PlainQuery query = {reinterpret_cast<const unsigned char*>(literal),
                        static_cast<uint32_t>(std::char_traits<char>::length(literal)),
                        caseInsensitive, wholeWords};
    int64_t matches = 0;
    for (auto _ : state) {
        matches = 0;
        uint32_t start = 0;
        while (start < size) {
            uint32_t stoppedAt = size;
            matches += FindPlainMatches(data + start, size - start, query, positions.data(),
                                        matchBatch, &stoppedAt);
            start += stoppedAt;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
    state.counters["matches"] = static_cast<double>(matches);
}
BENCHMARK_CAPTURE(PlainSearch, rare, "PM_SUSPEND_PREPARE", 0, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PlainSearch, common, "return", 0, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PlainSearch, caseInsensitive, "ERROR", 1, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PlainSearch, wholeWord, "int", 0, 1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
