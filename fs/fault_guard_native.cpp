// The fault guard natively, over SIGBUS and SIGSEGV: a mapped file cut short
// by another program faults with SIGBUS past its new end. Each thread keeps
// a chain of guard frames; the handler, when the fault's address lies inside
// a frame of the faulting thread, jumps back to that frame's RunGuarded with
// siglongjmp. Any other fault goes to the handler that was there before
// (the sanitizers' report, or the default: the process ends), as if the
// guard were not there. The handlers run with their signal unblocked
// (SA_NODEFER), so the jump need not save and restore the signal mask, which
// would cost a system call per guard.
#include "fs/fault_guard.h"

#include <setjmp.h>
#include <signal.h>

#include <cstdint>
#include <mutex>

namespace {

struct GuardFrame {
    uintptr_t begin;   // first guarded byte
    uintptr_t size;    // guarded bytes from begin
    GuardFrame* outer; // the guard this one runs inside, or null
    sigjmp_buf jump;
};

thread_local GuardFrame* innermost = nullptr;

const int guardedSignals[] = {SIGBUS, SIGSEGV};
struct sigaction previousHandlers[2];

// The handler before ours, for a fault no guard takes: called when it is a
// function, else restored, so that the fault, happening again on return,
// gets the default action.
void PassOn(int index, int signal, siginfo_t* info, void* context) {
    const struct sigaction& previous = previousHandlers[index];
    if (previous.sa_flags & SA_SIGINFO) {
        previous.sa_sigaction(signal, info, context);
    } else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
    } else {
        sigaction(signal, &previous, nullptr);
    }
}

void OnFault(int signal, siginfo_t* info, void* context) {
    const uintptr_t address = reinterpret_cast<uintptr_t>(info->si_addr);
    for (GuardFrame* frame = innermost; frame != nullptr; frame = frame->outer)
        if (address - frame->begin < frame->size) siglongjmp(frame->jump, 1);
    PassOn(signal == guardedSignals[0] ? 0 : 1, signal, info, context);
}

void InstallHandlers() {
    struct sigaction handler = {};
    handler.sa_sigaction = OnFault;
    handler.sa_flags = SA_SIGINFO | SA_NODEFER | SA_ONSTACK;
    sigemptyset(&handler.sa_mask);
    for (int i = 0; i < 2; ++i)
        sigaction(guardedSignals[i], &handler, &previousHandlers[i]);
}

} // namespace

int RunGuarded(const void* begin, uint32_t size, GuardedFunction function, void* context) {
    static std::once_flag installed;
    std::call_once(installed, InstallHandlers);
    GuardFrame frame;
    frame.begin = reinterpret_cast<uintptr_t>(begin);
    frame.size = size;
    frame.outer = innermost;
    if (sigsetjmp(frame.jump, 0) != 0) {
        // A fault in this frame's range, here or in a guard inside it.
        innermost = frame.outer;
        return 0;
    }
    innermost = &frame;
    try {
        function(context);
    } catch (...) {
        innermost = frame.outer;
        throw;
    }
    innermost = frame.outer;
    return 1;
}
