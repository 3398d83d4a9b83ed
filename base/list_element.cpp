#include "base/list_element.h"

int Element::Compare(const Element*, int32_t) const {
    return -1;
}

Element* Element::Clone(int32_t) const {
    return nullptr;
}

Element::~Element() = default;
