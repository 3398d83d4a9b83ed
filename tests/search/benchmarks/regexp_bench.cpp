// TRegexp::Find over 10 MB of real source code (the machine's own C and C++
// headers, read at start-up), called the way the file search calls it: from
// offset 0, then again one byte after the start of every match, until there
// is none; the bytes per second count the whole text once per pass.
// The patterns that make a backtracking search exponential also run as one
// call that has to cross the whole text. [^x]*[^y]*[^z]*q matches at almost
// every byte of source code, each match running on to the last q before the
// next z after a y after an x; restarting one byte after each match start
// makes the whole pass quadratic whatever the matcher, so in the file-search
// loop it stops, as the file search does, at 10000 matches, and counts the
// bytes up to there.
#include "search/regexp.h"
#include "tests/search/benchmarks/source_text.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

const size_t kTextSize = 10 * 1024 * 1024;

// The headers as text for Find: zero bytes, which would end it, become spaces.
const std::string& SourceText() {
    static const std::string text = [] {
        std::string all = MachineSourceText(kTextSize);
        std::replace(all.begin(), all.end(), '\0', ' ');
        return all;
    }();
    return text;
}

// `limit`: the number of matches after which the loop stops (0: none).
void SearchLikeTheFileSearch(benchmark::State& state, const char* pattern, long limit) {
    const std::string& text = SourceText();
    TRegexp regexp(pattern);
    long matches = 0;
    int covered = 0; // the bytes the pass went through
    for (auto _ : state) {
        matches = 0;
        int start = 0;
        int length = 0;
        covered = static_cast<int>(text.size());
        for (;;) {
            int offset = regexp.Find(text.c_str(), start, length);
            if (offset < 0 || length == 0) break;
            start = offset + 1;
            if (++matches == limit) {
                covered = start;
                break;
            }
            if (start > static_cast<int>(text.size())) break;
        }
    }
    state.counters["matches"] = static_cast<double>(matches);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * covered);
}

void OneCall(benchmark::State& state, const char* pattern, const std::string& text) {
    TRegexp regexp(pattern);
    int length = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(regexp.Find(text.c_str(), 0, length));
    state.counters["length"] = length;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
}

// 10 MB of `a`: no match, so every byte is stepped over by every repetition.
void RunOfA(benchmark::State& state, const char* pattern) {
    static const std::string text(kTextSize, 'a');
    OneCall(state, pattern, text);
}

// The source text without a q: a negated class crosses every line end, so the
// search runs to the end of the text with all repetitions alive.
void SourceWithoutQ(benchmark::State& state, const char* pattern) {
    static const std::string text = [] {
        std::string copy = SourceText();
        std::replace(copy.begin(), copy.end(), 'q', 'Q');
        return copy;
    }();
    OneCall(state, pattern, text);
}

const char* const kPatterns[] = {
    "[a-z]+_lock", "a.*b", "^#include", "x*", "[A-Z][A-Z_]*[0-9]", "a*a*a*a*a*a*a*a*c",
};
const char kRunOfAPattern[] = "a*a*a*a*a*a*a*a*c";
const char kQuadraticPattern[] = "[^x]*[^y]*[^z]*q";

int RegisterAll() {
    for (const char* pattern : kPatterns) {
        benchmark::RegisterBenchmark((std::string("FileSearch/") + pattern).c_str(),
                                     SearchLikeTheFileSearch, pattern, 0L)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark((std::string("FileSearch10000/") + kQuadraticPattern).c_str(),
                                 SearchLikeTheFileSearch, kQuadraticPattern, 10000L)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("OneCall/RunOfA/") + kRunOfAPattern).c_str(), RunOfA,
                                 kRunOfAPattern)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(
        (std::string("OneCall/SourceWithoutQ/") + kQuadraticPattern).c_str(), SourceWithoutQ,
        kQuadraticPattern)
        ->Unit(benchmark::kMillisecond);
    return 0;
}

const int kRegistered = RegisterAll();

} // namespace

BENCHMARK_MAIN();
