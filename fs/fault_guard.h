// Survives a fault while reading memory that may vanish under the reader: a
// mapped view whose file was cut short, whose medium went away, or whose
// region another process has locked. RunGuarded runs a function; when that
// function faults (access violation or in-page error) at an address inside
// the guarded range, the function is abandoned and RunGuarded returns 0
// instead of letting the fault end the process. Faults anywhere else go on to
// the usual handling untouched.
//
// The function is abandoned at the faulting instruction: nothing it started
// is finished and no destructor of an object it created runs. Guard plain
// code over plain data (a scan loop writing into a buffer owned by the
// caller), and do not hand guarded memory to code that catches its own faults.
// Guards nest; each thread has its own. The cost of one call is two
// thread-slot writes and a register save, so a guard per scanned view is cheap.
// Natively (fault_guard_native.cpp) the faults are SIGBUS (a mapped file cut
// short) and SIGSEGV.
#pragma once

#include <cstdint>

using GuardedFunction = void (*)(void* context);

// Runs function(context). Returns 1 when it returned normally, 0 when it
// faulted inside [begin, begin + size); a size of 0 guards nothing.
int RunGuarded(const void* begin, uint32_t size, GuardedFunction function, void* context);

// The same for a callable object (for example a lambda), called without
// arguments. Its captures live in the caller's frame, outside the guard.
template <class Body>
int RunGuarded(const void* begin, uint32_t size, Body& body) {
    return RunGuarded(
        begin, size, [](void* context) { (*static_cast<Body*>(context))(); }, &body);
}

// Reads the byte at `address` inside a guard over that byte: 1 and the byte in
// `value` when it could be read, 0 when the read faulted.
int ProbeByte(const void* address, uint8_t* value);
