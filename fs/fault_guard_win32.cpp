// The fault guard over vectored exception handling (the compiler has no
// __try/__except). Each thread keeps a chain of guard frames in a thread slot.
// The vectored handler runs first, before any frame-based handler; when a
// fault's address lies inside a frame of the faulting thread, it does not
// unwind from inside the exception dispatcher: it resumes the thread at
// ResumeAfterFault, on the faulting thread's own stack, once the dispatcher
// has gone. That function jumps back to the frame's receiver in RunGuarded
// with __builtin_longjmp, which restores only the stack and frame pointers
// (the receiver reloads every register it needs), so no frame-based handler
// chain or C++ unwinding is involved.
#include "fs/fault_guard.h"

#include <windows.h>

namespace {

struct GuardFrame {
    uintptr_t begin;   // first guarded byte
    uintptr_t size;    // guarded bytes from begin
    GuardFrame* outer; // the guard this one runs inside, or null
    void* jump[5];     // receiver of __builtin_setjmp: frame, resume address, stack
};

LONG CALLBACK OnFault(EXCEPTION_POINTERS* info);

// The thread slot and the handler, set up on first use and removed when the
// module goes (a handler left behind in an unloaded library would be called
// at the host's next fault).
class GuardRegistry {
public:
    GuardRegistry() : _slot(TlsAlloc()), _handler(AddVectoredExceptionHandler(1, OnFault)) {}
    ~GuardRegistry() {
        if (_handler) RemoveVectoredExceptionHandler(_handler);
        if (_slot != TLS_OUT_OF_INDEXES) TlsFree(_slot);
    }
    int IsReady() const { return _slot != TLS_OUT_OF_INDEXES && _handler; }

    // Reads and writes of the slot keep the thread's last error: guarded code
    // and the handler run between a failing call and its GetLastError.
    GuardFrame* Innermost() const {
        DWORD error = GetLastError();
        auto* frame = static_cast<GuardFrame*>(TlsGetValue(_slot));
        SetLastError(error);
        return frame;
    }
    void SetInnermost(GuardFrame* frame) const { TlsSetValue(_slot, frame); }

private:
    DWORD _slot;
    PVOID _handler;
};

GuardRegistry& Registry() {
    static GuardRegistry registry;
    return registry;
}

[[noreturn]] __attribute__((noinline)) void ResumeAfterFault() {
    GuardFrame* frame = Registry().Innermost();
    __builtin_longjmp(frame->jump, 1);
}

LONG CALLBACK OnFault(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    // Wine may report a read of a vanished file page as an access violation
    // rather than an in-page error; both carry the address as parameter 1.
    if ((record->ExceptionCode != EXCEPTION_ACCESS_VIOLATION &&
         record->ExceptionCode != EXCEPTION_IN_PAGE_ERROR) ||
        record->NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    uintptr_t address = record->ExceptionInformation[1];
    GuardFrame* frame = Registry().Innermost();
    while (frame && address - frame->begin >= frame->size)
        frame = frame->outer;
    if (!frame) return EXCEPTION_CONTINUE_SEARCH;
    // Frames inside the catching one are abandoned with their code.
    Registry().SetInnermost(frame);
    info->ContextRecord->Eip = reinterpret_cast<DWORD>(&ResumeAfterFault);
    return EXCEPTION_CONTINUE_EXECUTION;
}

// Kept out of line so that the receiver's frame is RunGuarded's own.
__attribute__((noinline)) int RunInFrame(GuardFrame* frame, GuardedFunction function,
                                         void* context) {
    if (__builtin_setjmp(frame->jump)) return 0;
    function(context);
    return 1;
}

} // namespace

int RunGuarded(const void* begin, uint32_t size, GuardedFunction function, void* context) {
    const GuardRegistry& registry = Registry();
    if (!registry.IsReady()) {
        function(context); // without a handler there is nothing to guard with
        return 1;
    }
    GuardFrame frame{reinterpret_cast<uintptr_t>(begin), size, registry.Innermost(), {}};
    registry.SetInnermost(&frame);
    int completed = RunInFrame(&frame, function, context);
    registry.SetInnermost(frame.outer);
    return completed;
}
