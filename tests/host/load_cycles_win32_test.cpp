// A host that loads trovik.dll, searches and unloads it again and again: the
// process must not grow, whether in address space or in the process heap
// (where the system keeps what windows, dialogs and classes cost).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>

#include "tests/fs/scratch_dir.h"
#include "tests/heap/process_memory.h"
#include "tests/host/trovik_exports.h"
#include "tests/ui/dialog_driver.h"

namespace {

TEST(LoadCycles, AHundredLoadSearchUnloadCyclesLeaveNothingBehind) {
    ScratchDir home, data;
    for (int i = 0; i < 20; ++i)
        WriteBytes(data / ("f" + std::to_string(i) + ".c"), "x\nneedle\n");
    uint64_t addressAfterWarmUp = 0, heapAfterWarmUp = 0;
    for (int cycle = 0; cycle < 100; ++cycle) {
        {
            TrovikExports trovik(home.Path());
            ASSERT_TRUE(trovik.Loaded());
            DialogDriver driver([&] { ConfirmSearchDialog({"", data.Path(), "*.c"}); });
            ASSERT_EQ(trovik.DoTrovik(3, "needle", 0), 2) << cycle;
            ASSERT_EQ(trovik.GetValue(0, 7), 20) << cycle;
        }
        if (cycle == 9) {
            addressAfterWarmUp = AddressSpaceInUse();
            heapAfterWarmUp = ProcessHeapInUse();
        }
    }
    EXPECT_LE(AddressSpaceInUse(), addressAfterWarmUp + 256 * 1024);
    EXPECT_LE(ProcessHeapInUse(), heapAfterWarmUp + 64 * 1024);
    printf("growth over 90 cycles: address space %lld bytes, process heap %lld bytes\n",
           static_cast<long long>(AddressSpaceInUse()) - static_cast<long long>(addressAfterWarmUp),
           static_cast<long long>(ProcessHeapInUse()) - static_cast<long long>(heapAfterWarmUp));
}

} // namespace
