#include "fs/fault_guard.h"

int ProbeByte(const void* address, uint8_t* value) {
    struct Probe {
        const volatile uint8_t* address;
        uint8_t* value;
        void operator()() const { *value = *address; }
    } probe{static_cast<const volatile uint8_t*>(address), value};
    return RunGuarded(address, 1, probe);
}
