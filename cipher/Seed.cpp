// SEED, written as straight-line code: the key schedule's 16 steps and the cipher's 16 rounds are
// unrolled, and each G function is four look-ups in the combined S-box tables.
#include "Seed.h"

#include "SeedTables.h"

static inline uint32_t LoadBigEndian(const BYTE* p) {
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | (uint32_t)p[3];
}

static inline void StoreBigEndian(BYTE* p, uint32_t v) {
    p[0] = (BYTE)(v >> 24);
    p[1] = (BYTE)(v >> 16);
    p[2] = (BYTE)(v >> 8);
    p[3] = (BYTE)v;
}

static inline uint32_t SeedG(uint32_t x) {
    // Two independent pairs, so the four look-ups combine in two steps rather than four.
    return (SEED_SS0[x & 0xFF] ^ SEED_SS1[(x >> 8) & 0xFF]) ^
           (SEED_SS2[(x >> 16) & 0xFF] ^ SEED_SS3[x >> 24]);
}

// One key-schedule step: the two subkeys of round i from the key constant kc. Steps with an even
// i then rotate the 64-bit value k0||k1 right by 8 bits, steps with an odd i rotate k2||k3 left
// by 8 bits; the last step's rotation would not be used and is left out.
#define SEED_SUBKEYS(i, kc)                                                                                  \
    do {                                                                                                     \
        out->key[2 * (i)] = SeedG(k0 + k2 - (uint32_t)(kc));                                                 \
        out->key[2 * (i) + 1] = SeedG(k1 - k3 + (uint32_t)(kc));                                             \
    } while (0)
#define SEED_KEY_STEP_EVEN(i, kc)                                                                            \
    do {                                                                                                     \
        SEED_SUBKEYS(i, kc);                                                                                 \
        t = k0;                                                                                              \
        k0 = (k0 >> 8) | (k1 << 24);                                                                         \
        k1 = (k1 >> 8) | (t << 24);                                                                          \
    } while (0)
#define SEED_KEY_STEP_ODD(i, kc)                                                                             \
    do {                                                                                                     \
        SEED_SUBKEYS(i, kc);                                                                                 \
        t = k2;                                                                                              \
        k2 = (k2 << 8) | (k3 >> 24);                                                                         \
        k3 = (k3 << 8) | (t >> 24);                                                                          \
    } while (0)

void SeedExpandKey(SeedKeySchedule* out, const BYTE key[16]) {
    uint32_t k0 = LoadBigEndian(key), k1 = LoadBigEndian(key + 4);
    uint32_t k2 = LoadBigEndian(key + 8), k3 = LoadBigEndian(key + 12);
    uint32_t t;
    // The key constants KC0..KC15: the golden-ratio word 0x9E3779B9, each next one rotated left
    // by one bit.
    SEED_KEY_STEP_EVEN(0, 0x9E3779B9);
    SEED_KEY_STEP_ODD(1, 0x3C6EF373);
    SEED_KEY_STEP_EVEN(2, 0x78DDE6E6);
    SEED_KEY_STEP_ODD(3, 0xF1BBCDCC);
    SEED_KEY_STEP_EVEN(4, 0xE3779B99);
    SEED_KEY_STEP_ODD(5, 0xC6EF3733);
    SEED_KEY_STEP_EVEN(6, 0x8DDE6E67);
    SEED_KEY_STEP_ODD(7, 0x1BBCDCCF);
    SEED_KEY_STEP_EVEN(8, 0x3779B99E);
    SEED_KEY_STEP_ODD(9, 0x6EF3733C);
    SEED_KEY_STEP_EVEN(10, 0xDDE6E678);
    SEED_KEY_STEP_ODD(11, 0xBBCDCCF1);
    SEED_KEY_STEP_EVEN(12, 0x779B99E3);
    SEED_KEY_STEP_ODD(13, 0xEF3733C6);
    SEED_KEY_STEP_EVEN(14, 0xDE6E678D);
    SEED_SUBKEYS(15, 0xBCDCCF1B);
}

// One round: the F function of the half (b0, b1) under the subkey pair k[0], k[1] is XORed into
// the half (a0, a1). The halves are not exchanged; the callers alternate their roles instead.
#define SEED_ROUND(a0, a1, b0, b1, k)                                                                        \
    do {                                                                                                     \
        t0 = (b0) ^ (k)[0];                                                                                  \
        t1 = (b1) ^ (k)[1] ^ t0;                                                                             \
        t1 = SeedG(t1);                                                                                      \
        t0 = SeedG(t0 + t1);                                                                                 \
        t1 = SeedG(t1 + t0);                                                                                 \
        t0 += t1;                                                                                            \
        (a0) ^= t0;                                                                                          \
        (a1) ^= t1;                                                                                          \
    } while (0)

// The 16 rounds with the subkey pairs at offsets k0, k1, ..., k15 of the schedule. Round i works on
// the left half when i is even and on the right half when i is odd, which is the exchange of the
// halves after every round but the last; so the result is stored right half first.
#define SEED_16_ROUNDS(k0, k1, k2, k3, k4, k5, k6, k7, k8, k9, k10, k11, k12, k13, k14, k15)                 \
    do {                                                                                                     \
        SEED_ROUND(l0, l1, r0, r1, rk + (k0));                                                               \
        SEED_ROUND(r0, r1, l0, l1, rk + (k1));                                                               \
        SEED_ROUND(l0, l1, r0, r1, rk + (k2));                                                               \
        SEED_ROUND(r0, r1, l0, l1, rk + (k3));                                                               \
        SEED_ROUND(l0, l1, r0, r1, rk + (k4));                                                               \
        SEED_ROUND(r0, r1, l0, l1, rk + (k5));                                                               \
        SEED_ROUND(l0, l1, r0, r1, rk + (k6));                                                               \
        SEED_ROUND(r0, r1, l0, l1, rk + (k7));                                                               \
        SEED_ROUND(l0, l1, r0, r1, rk + (k8));                                                               \
        SEED_ROUND(r0, r1, l0, l1, rk + (k9));                                                               \
        SEED_ROUND(l0, l1, r0, r1, rk + (k10));                                                              \
        SEED_ROUND(r0, r1, l0, l1, rk + (k11));                                                              \
        SEED_ROUND(l0, l1, r0, r1, rk + (k12));                                                              \
        SEED_ROUND(r0, r1, l0, l1, rk + (k13));                                                              \
        SEED_ROUND(l0, l1, r0, r1, rk + (k14));                                                              \
        SEED_ROUND(r0, r1, l0, l1, rk + (k15));                                                              \
    } while (0)

void SeedEncrypt(BYTE block[16], const SeedKeySchedule* ks) {
    const uint32_t* rk = ks->key;
    uint32_t l0 = LoadBigEndian(block), l1 = LoadBigEndian(block + 4);
    uint32_t r0 = LoadBigEndian(block + 8), r1 = LoadBigEndian(block + 12);
    uint32_t t0, t1;
    SEED_16_ROUNDS(0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30);
    StoreBigEndian(block, r0);
    StoreBigEndian(block + 4, r1);
    StoreBigEndian(block + 8, l0);
    StoreBigEndian(block + 12, l1);
}

// Decryption is the same network with the subkey pairs in reverse order.
void SeedDecrypt(BYTE block[16], const SeedKeySchedule* ks) {
    const uint32_t* rk = ks->key;
    uint32_t l0 = LoadBigEndian(block), l1 = LoadBigEndian(block + 4);
    uint32_t r0 = LoadBigEndian(block + 8), r1 = LoadBigEndian(block + 12);
    uint32_t t0, t1;
    SEED_16_ROUNDS(30, 28, 26, 24, 22, 20, 18, 16, 14, 12, 10, 8, 6, 4, 2, 0);
    StoreBigEndian(block, r0);
    StoreBigEndian(block + 4, r1);
    StoreBigEndian(block + 8, l0);
    StoreBigEndian(block + 12, l1);
}

// ECB over a buffer, two blocks at a time. One block's rounds are a chain of dependent table
// look-ups, so a single block leaves the processor waiting on each look-up; two independent
// blocks in the same rounds fill those waits. The results are those of SeedEncrypt and
// SeedDecrypt block by block.
#define SEED_ROUND_X2(a0, a1, b0, b1, c0, c1, d0, d1, k)                                                     \
    do {                                                                                                     \
        t0 = (b0) ^ (k)[0];                                                                                  \
        u0 = (d0) ^ (k)[0];                                                                                  \
        t1 = (b1) ^ (k)[1] ^ t0;                                                                             \
        u1 = (d1) ^ (k)[1] ^ u0;                                                                             \
        t1 = SeedG(t1);                                                                                      \
        u1 = SeedG(u1);                                                                                      \
        t0 = SeedG(t0 + t1);                                                                                 \
        u0 = SeedG(u0 + u1);                                                                                 \
        t1 = SeedG(t1 + t0);                                                                                 \
        u1 = SeedG(u1 + u0);                                                                                 \
        t0 += t1;                                                                                            \
        u0 += u1;                                                                                            \
        (a0) ^= t0;                                                                                          \
        (a1) ^= t1;                                                                                          \
        (c0) ^= u0;                                                                                          \
        (c1) ^= u1;                                                                                          \
    } while (0)

#define SEED_16_ROUNDS_X2(k0, k1, k2, k3, k4, k5, k6, k7, k8, k9, k10, k11, k12, k13, k14, k15)              \
    do {                                                                                                     \
        SEED_ROUND_X2(l0, l1, r0, r1, m0, m1, s0, s1, rk + (k0));                                            \
        SEED_ROUND_X2(r0, r1, l0, l1, s0, s1, m0, m1, rk + (k1));                                            \
        SEED_ROUND_X2(l0, l1, r0, r1, m0, m1, s0, s1, rk + (k2));                                            \
        SEED_ROUND_X2(r0, r1, l0, l1, s0, s1, m0, m1, rk + (k3));                                            \
        SEED_ROUND_X2(l0, l1, r0, r1, m0, m1, s0, s1, rk + (k4));                                            \
        SEED_ROUND_X2(r0, r1, l0, l1, s0, s1, m0, m1, rk + (k5));                                            \
        SEED_ROUND_X2(l0, l1, r0, r1, m0, m1, s0, s1, rk + (k6));                                            \
        SEED_ROUND_X2(r0, r1, l0, l1, s0, s1, m0, m1, rk + (k7));                                            \
        SEED_ROUND_X2(l0, l1, r0, r1, m0, m1, s0, s1, rk + (k8));                                            \
        SEED_ROUND_X2(r0, r1, l0, l1, s0, s1, m0, m1, rk + (k9));                                            \
        SEED_ROUND_X2(l0, l1, r0, r1, m0, m1, s0, s1, rk + (k10));                                           \
        SEED_ROUND_X2(r0, r1, l0, l1, s0, s1, m0, m1, rk + (k11));                                           \
        SEED_ROUND_X2(l0, l1, r0, r1, m0, m1, s0, s1, rk + (k12));                                           \
        SEED_ROUND_X2(r0, r1, l0, l1, s0, s1, m0, m1, rk + (k13));                                           \
        SEED_ROUND_X2(l0, l1, r0, r1, m0, m1, s0, s1, rk + (k14));                                           \
        SEED_ROUND_X2(r0, r1, l0, l1, s0, s1, m0, m1, rk + (k15));                                           \
    } while (0)

#define SEED_LOAD_X2(p)                                                                                      \
    uint32_t l0 = LoadBigEndian(p), l1 = LoadBigEndian(p + 4);                                               \
    uint32_t r0 = LoadBigEndian(p + 8), r1 = LoadBigEndian(p + 12);                                          \
    uint32_t m0 = LoadBigEndian(p + 16), m1 = LoadBigEndian(p + 20);                                         \
    uint32_t s0 = LoadBigEndian(p + 24), s1 = LoadBigEndian(p + 28);                                         \
    uint32_t t0, t1, u0, u1

#define SEED_STORE_X2(p)                                                                                     \
    do {                                                                                                     \
        StoreBigEndian(p, r0);                                                                               \
        StoreBigEndian(p + 4, r1);                                                                           \
        StoreBigEndian(p + 8, l0);                                                                           \
        StoreBigEndian(p + 12, l1);                                                                          \
        StoreBigEndian(p + 16, s0);                                                                          \
        StoreBigEndian(p + 20, s1);                                                                          \
        StoreBigEndian(p + 24, m0);                                                                          \
        StoreBigEndian(p + 28, m1);                                                                          \
    } while (0)

void SeedEncryptBlocks(BYTE* data, size_t len, const SeedKeySchedule* ks) {
    const uint32_t* rk = ks->key;
    size_t off = 0;
    for (; off + 32 <= len; off += 32) {
        BYTE* p = data + off;
        SEED_LOAD_X2(p);
        SEED_16_ROUNDS_X2(0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30);
        SEED_STORE_X2(p);
    }
    if (off + 16 <= len) SeedEncrypt(data + off, ks);
}

void SeedDecryptBlocks(BYTE* data, size_t len, const SeedKeySchedule* ks) {
    const uint32_t* rk = ks->key;
    size_t off = 0;
    for (; off + 32 <= len; off += 32) {
        BYTE* p = data + off;
        SEED_LOAD_X2(p);
        SEED_16_ROUNDS_X2(30, 28, 26, 24, 22, 20, 18, 16, 14, 12, 10, 8, 6, 4, 2, 0);
        SEED_STORE_X2(p);
    }
    if (off + 16 <= len) SeedDecrypt(data + off, ks);
}
