// How common each byte is in text: its rank (0 the rarest, 255 the most
// common) among the bytes of source code and English prose. The plain search
// looks first for the two rarest bytes of its text, which stops it at fewer
// places that then fail.
#pragma once

#include <cstdint>

extern const uint8_t byteFrequencyRank[256];
