// The fault guard: faults inside the guarded range end the guarded code with
// a result, faults elsewhere are not taken, guards nest. A mapped file cut
// short under its reader: mapped_file_win32_test.cpp.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "fs/fault_guard.h"

namespace {

struct SharedPages {
    char* pages;
    int result;
};

DWORD WINAPI ReadUnderOwnGuard(void* argument);

// Pages that fault on every read, released at the end of the test.
class NoAccessPages {
public:
    explicit NoAccessPages(uint32_t size)
        : _base(static_cast<char*>(VirtualAlloc(nullptr, size, MEM_COMMIT, PAGE_NOACCESS))) {}
    ~NoAccessPages() { VirtualFree(_base, 0, MEM_RELEASE); }
    char* Get() const { return _base; }

private:
    char* _base;
};

// Reads `count` bytes from `from` and counts them; plain code for a guard.
struct Reader {
    const volatile char* from;
    uint32_t count;
    uint32_t read;
    void operator()() {
        for (read = 0; read < count; ++read)
            (void)from[read];
    }
};

DWORD WINAPI ReadUnderOwnGuard(void* argument) {
    auto* shared = static_cast<SharedPages*>(argument);
    Reader reader{shared->pages, 1, 0};
    shared->result = RunGuarded(shared->pages, 4096, reader);
    return 0;
}

} // namespace

TEST(FaultGuard, CompletedCodeReportsOne) {
    char bytes[16] = {};
    Reader reader{bytes, sizeof bytes, 0};
    EXPECT_EQ(1, RunGuarded(bytes, sizeof bytes, reader));
    EXPECT_EQ(sizeof bytes, reader.read);
}

TEST(FaultGuard, FaultInsideTheRangeEndsTheCodeWithZero) {
    NoAccessPages pages(8192);
    Reader reader{pages.Get() + 4096, 100, 7};
    EXPECT_EQ(0, RunGuarded(pages.Get(), 8192, reader));
    EXPECT_EQ(0u, reader.read); // abandoned at the first read
    uint8_t value = 1;
    EXPECT_EQ(0, ProbeByte(pages.Get() + 8191, &value));
    EXPECT_EQ(1, value);
    char byte = 42;
    EXPECT_EQ(1, ProbeByte(&byte, &value));
    EXPECT_EQ(42, value);
}

TEST(FaultGuard, FaultOutsideTheInnerRangeGoesToTheGuardThatCoversIt) {
    NoAccessPages pages(8192);
    char* first = pages.Get();
    char* second = pages.Get() + 4096;
    int innerResult = -1;
    auto outer = [&] {
        Reader reader{second, 1, 0}; // faults in the second page, guarded only outside
        innerResult = RunGuarded(first, 4096, reader);
    };
    EXPECT_EQ(0, RunGuarded(second, 4096, outer));
    EXPECT_EQ(-1, innerResult); // the inner guard did not take the fault
    // The abandoned inner guard is gone: a later guard works on its own.
    Reader again{first, 1, 0};
    EXPECT_EQ(0, RunGuarded(first, 4096, again));
}

TEST(FaultGuard, InnerGuardTakesItsFaultAndTheOuterGoesOn) {
    NoAccessPages pages(4096);
    int innerResult = -1;
    int afterInner = 0;
    auto outer = [&] {
        Reader reader{pages.Get(), 1, 0};
        innerResult = RunGuarded(pages.Get(), 4096, reader);
        afterInner = 1;
    };
    EXPECT_EQ(1, RunGuarded(pages.Get(), 4096, outer));
    EXPECT_EQ(0, innerResult);
    EXPECT_EQ(1, afterInner);
}

TEST(FaultGuard, KeepsTheThreadsLastError) {
    NoAccessPages pages(4096);
    auto body = [&] {
        SetLastError(1234);
        (void)*static_cast<const volatile char*>(pages.Get());
    };
    EXPECT_EQ(0, RunGuarded(pages.Get(), 4096, body));
    EXPECT_EQ(1234u, GetLastError());
}

TEST(FaultGuard, AGuardOnAnotherThreadDoesNotCoverThisOne) {
    NoAccessPages pages(4096);
    // This thread's guard covers nothing of the pages; another thread reading
    // them under its own guard survives, and this thread's guard is untouched.
    SharedPages shared{pages.Get(), -1};
    char bytes[4] = {};
    auto body = [&] {
        const HANDLE handle = CreateThread(nullptr, 0, ReadUnderOwnGuard, &shared, 0, nullptr);
        WaitForSingleObject(handle, INFINITE);
        CloseHandle(handle);
    };
    EXPECT_EQ(1, RunGuarded(bytes, sizeof bytes, body));
    EXPECT_EQ(0, shared.result);
}
