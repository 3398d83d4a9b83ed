#include "fs/directory_enumeration.h"

int IsEnumerated(uint32_t attributes) {
    const uint32_t filtered = fileAttributeHidden | fileAttributeSystem | fileAttributeDirectory;
    const uint32_t requested = fileAttributeDirectory;
    return (attributes & filtered) == 0 || (attributes & requested) != 0;
}
