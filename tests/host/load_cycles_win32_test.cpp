// A host that loads trovik.dll, searches and unloads it again and again: the
// process must not grow, whether in address space, in the process heap
// (where the system keeps what windows, dialogs and classes cost), in
// handles or in thread-local slots (a process has 1088), and no thread of the
// run may outlive the search command or the library, whatever number of
// threads searched.
#include <gtest/gtest.h>

#include <windows.h>

#include <tlhelp32.h>

#include <cstdint>
#include <vector>

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

// The handles open in this process. Wine's GetProcessHandleCount reports 0,
// so every handle value up to far beyond what a test opens is asked about.
long HandlesOfProcess() {
    long count = 0;
    DWORD flags;
    for (uintptr_t value = 4; value < 0x10000; value += 4)
        count += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != 0;
    return count;
}

// The thread-local slots still free: taken one by one until none is left.
long FreeTlsSlots() {
    std::vector<DWORD> taken;
    for (DWORD slot; (slot = TlsAlloc()) != TLS_OUT_OF_INDEXES;)
        taken.push_back(slot);
    for (DWORD slot : taken)
        TlsFree(slot);
    return static_cast<long>(taken.size());
}

// The [Settings] line that sets the run's threads; empty: the automatic count.
class LoadCycles : public ::testing::TestWithParam<const char*> {};

TEST_P(LoadCycles, AHundredLoadSearchUnloadCyclesLeaveNothingBehind) {
    ScratchDir home, data;
    for (int i = 0; i < 20; ++i)
        WriteBytes(data / ("f" + std::to_string(i) + ".c"), "x\nneedle\n");
    WriteBytes(home / "TROVIK.INI", std::string("[Settings]\r\n") + GetParam() + "\r\n");
    // A host has the system's dialog libraries loaded already; Wine's
    // printing library, which they load, keeps a handle of each load.
    const HMODULE dialogs = LoadLibraryA("comdlg32.dll");
    const int threadsBefore = ThreadsOfProcess();
    int threadsWithDriver = 0;
    {
        DialogDriver driver([&] { threadsWithDriver = ThreadsOfProcess(); });
    }
    ASSERT_EQ(threadsWithDriver, threadsBefore + 1) << "the count sees the threads of the process";
    uint64_t addressAfterWarmUp = 0, heapAfterWarmUp = 0;
    long handlesAfterWarmUp = 0, tlsAfterWarmUp = 0;
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
            handlesAfterWarmUp = HandlesOfProcess();
            tlsAfterWarmUp = FreeTlsSlots();
        }
    }
    const long long addressGrowth =
        static_cast<long long>(AddressSpaceInUse() - addressAfterWarmUp);
    const long long heapGrowth = static_cast<long long>(ProcessHeapInUse() - heapAfterWarmUp);
    const long handleGrowth = HandlesOfProcess() - handlesAfterWarmUp;
    const long tlsGrowth = tlsAfterWarmUp - FreeTlsSlots();
    FreeLibrary(dialogs);
    printf("growth over 90 cycles: address space %lld bytes, process heap %lld bytes, %ld "
           "handles, %ld thread-local slots\n",
           addressGrowth, heapGrowth, handleGrowth, tlsGrowth);
    EXPECT_NE(ReadBytes(home / "TROVIK.INI").find(GetParam()), std::string::npos);
    EXPECT_LE(addressGrowth, 256 * 1024);
    EXPECT_LE(heapGrowth, 64 * 1024);
    // The threads runtime linked into the library makes an event for each of
    // its own locks when threads first contend for it, and never closes it: a
    // load whose runs started threads may keep one or two.
    const bool oneThread = std::string(GetParam()) == "Threads=1";
    EXPECT_LE(handleGrowth, oneThread ? 0 : 2 * 90);
    EXPECT_LE(tlsGrowth, 0);
}

INSTANTIATE_TEST_SUITE_P(Threads, LoadCycles, ::testing::Values("Threads=1", "", "Threads=8"));

} // namespace
