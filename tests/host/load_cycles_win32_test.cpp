// A host that loads trovik.dll, searches and unloads it again and again: the
// process must not grow, whether in address space, in the process heap
// (where the system keeps what windows, dialogs and classes cost), and no
// thread of the run may outlive the search command or the library, whatever
// number of threads searched.
#include <gtest/gtest.h>

#include <windows.h>

#include <tlhelp32.h>

#include <cstdint>

#include "tests/fs/scratch_dir.h"
#include "tests/heap/process_memory.h"
#include "tests/host/trovik_exports.h"
#include "tests/ui/dialog_driver.h"

namespace {

// The threads of this process that the system lists, or -1 when it cannot.
int ThreadsOfProcess() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    int count = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snapshot);
    return count;
}

// The [Settings] line that sets the run's threads; empty: the automatic count.
class LoadCycles : public ::testing::TestWithParam<const char*> {};

TEST_P(LoadCycles, AHundredLoadSearchUnloadCyclesLeaveNothingBehind) {
    ScratchDir home, data;
    for (int i = 0; i < 20; ++i)
        WriteBytes(data / ("f" + std::to_string(i) + ".c"), "x\nneedle\n");
    WriteBytes(home / "TROVIK.INI", std::string("[Settings]\r\n") + GetParam() + "\r\n");
    const int threadsBefore = ThreadsOfProcess();
    int threadsWithDriver = 0;
    {
        DialogDriver driver([&] { threadsWithDriver = ThreadsOfProcess(); });
    }
    ASSERT_EQ(threadsWithDriver, threadsBefore + 1) << "the count sees the threads of the process";
    uint64_t addressAfterWarmUp = 0, heapAfterWarmUp = 0;
    for (int cycle = 0; cycle < 100; ++cycle) {
        {
            TrovikExports trovik(home.Path());
            ASSERT_TRUE(trovik.Loaded());
            {
                DialogDriver driver([&] { ConfirmSearchDialog({"", data.Path(), "*.c"}); });
                ASSERT_EQ(trovik.DoTrovik(3, "needle", 0), 2) << cycle;
            }
            ASSERT_EQ(trovik.GetValue(0, 7), 20) << cycle;
            ASSERT_EQ(ThreadsOfProcess(), threadsBefore) << "after the search, cycle " << cycle;
        }
        ASSERT_EQ(ThreadsOfProcess(), threadsBefore) << "after the unload, cycle " << cycle;
        if (cycle == 9) {
            addressAfterWarmUp = AddressSpaceInUse();
            heapAfterWarmUp = ProcessHeapInUse();
        }
    }
    const long long addressGrowth =
        static_cast<long long>(AddressSpaceInUse() - addressAfterWarmUp);
    const long long heapGrowth = static_cast<long long>(ProcessHeapInUse() - heapAfterWarmUp);
    printf("growth over 90 cycles: address space %lld bytes, process heap %lld bytes\n",
           addressGrowth, heapGrowth);
    EXPECT_NE(ReadBytes(home / "TROVIK.INI").find(GetParam()), std::string::npos);
    EXPECT_LE(addressGrowth, 256 * 1024);
    EXPECT_LE(heapGrowth, 64 * 1024);
}

INSTANTIATE_TEST_SUITE_P(Threads, LoadCycles, ::testing::Values("", "Threads=8"));

} // namespace
