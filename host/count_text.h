// How the host's texts write a run's counts: as the platform's wsprintfA
// writes %d, a signed decimal, so that a count past 2^31 reads negative.
#pragma once

#include <cstddef>
#include <cstdint>

// Writes `format` with one or two counts into the `size` bytes at `text` (cut
// to fit, always terminated). Allocates nothing, so that the host can read
// its texts when memory has run out.
void FormatCounts(char* text, size_t size, const char* format, uint32_t first, uint32_t second = 0);
