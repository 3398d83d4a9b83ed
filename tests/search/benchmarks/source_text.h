// Real source code for the search benchmarks: the machine's own C and C++
// headers (/usr/include, seen through Wine's Z: drive on Windows), read in a
// fixed order and concatenated, repeated if need be, up to `size` bytes.
#pragma once

#include <cstddef>
#include <string>

std::string MachineSourceText(size_t size);
