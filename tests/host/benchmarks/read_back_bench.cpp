// Reading a million hit records back through the exports, as a host fills its
// message list: for each record in order its line number, file name and line
// text. The records come from a real run of a copy of trovik.dll over 100
// files of 10000 matching lines each (10000 is the most one file gives).
#include <benchmark/benchmark.h>

#include <windows.h>

#include <memory>
#include <string>

#include "tests/fs/scratch_dir.h"
#include "tests/host/trovik_exports.h"
#include "tests/ui/dialog_driver.h"

namespace {

struct MillionHits {
    ScratchDir home, data;
    std::unique_ptr<TrovikExports> trovik;
    int count = 0;

    MillionHits() {
        std::string lines;
        for (int i = 0; i < 10000; ++i)
            lines += "    return x;\n";
        for (int f = 0; f < 100; ++f)
            WriteBytes(data / ("f" + std::to_string(f) + ".c"), lines);
        trovik.reset(new TrovikExports(home.Path()));
        DialogDriver driver([this] { ConfirmSearchDialog({"", data.Path(), "*.c"}); });
        trovik->DoTrovik(3, "return", 0);
        count = trovik->GetValue(0, 7);
    }
};

MillionHits& Hits() {
    static MillionHits hits;
    return hits;
}

// What a host does with each record.
void ReadInOrder(benchmark::State& state) {
    MillionHits& hits = Hits();
    const TrovikExports& trovik = *hits.trovik;
    for (auto _ : state) {
        long long sum = 0;
        for (int i = 0; i < hits.count; ++i) {
            sum += trovik.GetValue(i, 6);
            benchmark::DoNotOptimize(trovik.GetText(i, 4));
            benchmark::DoNotOptimize(trovik.GetText(i, 5));
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["records"] = hits.count;
    state.counters["ns_per_record"] =
        benchmark::Counter(static_cast<double>(hits.count) * state.iterations(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(ReadInOrder)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
