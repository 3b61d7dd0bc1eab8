// The four combined S-box tables of the SEED G function (each S-box output already spread over
// the four bytes of the result through the function's masks).
#pragma once

#include <cstdint>

extern const uint32_t SEED_SS0[256]; // indexed by the least significant byte of the G input
extern const uint32_t SEED_SS1[256];
extern const uint32_t SEED_SS2[256];
extern const uint32_t SEED_SS3[256]; // indexed by the most significant byte
