// The SEED block cipher (RFC 4269): 128-bit blocks, 128-bit keys, 16 rounds.
//
// Blocks and keys are byte strings; their bytes are read as big-endian 32-bit words whatever the
// processor's byte order, so the results are those of the RFC's test vectors everywhere.
// Nothing here allocates, fails or throws.
#pragma once

#include "afxtypes.h"

#include <cstdint>

// The 32 round-key words in round order: words 2i and 2i + 1 are the two subkeys of round i.
struct SeedKeySchedule {
    uint32_t key[32];
};

// Builds the round keys of a 16-byte key.
void SeedExpandKey(SeedKeySchedule* out, const BYTE key[16]);
// Encrypts one 16-byte block in place.
void SeedEncrypt(BYTE block[16], const SeedKeySchedule* ks);
// Decrypts one 16-byte block in place.
void SeedDecrypt(BYTE block[16], const SeedKeySchedule* ks);

// ECB over a buffer in place: every whole 16-byte block of the len bytes, as SeedEncrypt and
// SeedDecrypt would do them one by one (but faster); a last partial block is left as it is.
void SeedEncryptBlocks(BYTE* data, size_t len, const SeedKeySchedule* ks);
void SeedDecryptBlocks(BYTE* data, size_t len, const SeedKeySchedule* ks);
