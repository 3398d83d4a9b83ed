// The pattern matcher over 10 MB of real source code (the machine's own C and
// C++ headers, read at start-up). FileSearch runs the file search's pattern
// search (FindPatternMatches: every match in one pass, at most 10000 kept);
// the bytes per second count the text once per pass, or up to the last match
// kept when the limit ends the search. OneCall runs TRegexp::Find once on the
// texts that make a backtracking search exponential. LongLine is the file
// search over one line of `a` ending in `b`, where `a.*b` matches at every
// byte and each match runs to the end of the line.
#include "search/compiled_pattern.h"
#include "search/pattern_search.h"
#include "search/regexp.h"
#include "tests/search/benchmarks/source_text.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

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

const int32_t kMaxPositions = 10000; // the file search's limit

void FileSearchOver(benchmark::State& state, const char* pattern, const std::string& text) {
    CompiledPattern compiled;
    const RegexpProgram& program = *compiled.For(pattern);
    std::vector<uint32_t> positions(kMaxPositions);
    int32_t matches = 0;
    for (auto _ : state) {
        matches = FindPatternMatches(text.c_str(), static_cast<uint32_t>(text.size()), program, 0,
                                     positions.data(), kMaxPositions);
        benchmark::DoNotOptimize(positions.data());
    }
    state.counters["matches"] = matches;
    const int64_t covered =
        matches == kMaxPositions ? positions[matches - 1] + 1 : static_cast<int64_t>(text.size());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * covered);
}

void SearchLikeTheFileSearch(benchmark::State& state, const char* pattern) {
    FileSearchOver(state, pattern, SourceText());
}

void LongLine(benchmark::State& state, const char* pattern) {
    static const std::string text = std::string(kTextSize - 1, 'a') + "b";
    FileSearchOver(state, pattern, text);
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
                                     SearchLikeTheFileSearch, pattern)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark((std::string("FileSearch/") + kQuadraticPattern).c_str(),
                                 SearchLikeTheFileSearch, kQuadraticPattern)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("LongLine/a.*b", LongLine, "a.*b")->Unit(benchmark::kMillisecond);
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
