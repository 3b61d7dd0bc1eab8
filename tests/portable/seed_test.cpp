// SEED: the RFC 4269 test vectors, the tables' algebraic structure, and agreement with a second,
// deliberately plain implementation (byte-wise S-boxes and masks, loops, 64-bit halves).
#include "Seed.h"
#include "SeedTables.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<BYTE> FromHex(const std::string& hex) {
    std::vector<BYTE> out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back((BYTE)std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

struct Vector {
    const char* key;
    const char* plain;
    const char* cipher;
};

// RFC 4269, Appendix B: key, plaintext, ciphertext as the byte strings written there.
const Vector kRfcVectors[] = {
    {"00000000000000000000000000000000", "000102030405060708090A0B0C0D0E0F",
     "5EBAC6E0054E166819AFF1CC6D346CDB"},
    {"000102030405060708090A0B0C0D0E0F", "00000000000000000000000000000000",
     "C11F22F20140505084483597E4370F43"},
    {"4706480851E61BE85D74BFB3FD956185", "83A2F8A288641FB9A4E9A5CC2F131C7D",
     "EE54D13EBCAE706D226BC3142CD40D4A"},
    {"28DBC3BC49FFD87DCFA509B11D422BE7", "B41E6BE2EBA84A148E2EED84593C5EC7",
     "9B9B7BFCD1813CB95D0B3618F40F5122"},
};

// ---- The plain implementation ----------------------------------------------------------------

// Multiplication in GF(2^8) modulo x^8 + x^6 + x^5 + x + 1, SEED's field.
BYTE GfMul(BYTE a, BYTE b) {
    unsigned r = 0, x = a;
    for (int i = 0; i < 8; ++i) {
        if (b & (1u << i)) r ^= x;
        x <<= 1;
        if (x & 0x100) x ^= 0x163;
    }
    return (BYTE)r;
}

BYTE GfPow(BYTE a, int e) {
    BYTE r = 1;
    for (int i = 0; i < e; ++i)
        r = GfMul(r, a);
    return r;
}

// The S-box S1 or S2 as the byte that the combined tables spread over a word: every bit of the
// S-box output appears in at least one of the four masked bytes, so OR-ing them gives it back.
BYTE SboxFromTable(const uint32_t* table, int x) {
    uint32_t w = table[x];
    return (BYTE)((w | w >> 8 | w >> 16 | w >> 24) & 0xFF);
}

class PlainSeed {
public:
    PlainSeed() {
        for (int x = 0; x < 256; ++x) {
            s1[x] = SboxFromTable(SEED_SS0, x);
            s2[x] = SboxFromTable(SEED_SS1, x);
        }
    }

    // G: S1 on bytes 0 and 2, S2 on bytes 1 and 3, then the masked mixing of the four outputs.
    uint32_t G(uint32_t x) const {
        const BYTE m0 = 0xFC, m1 = 0xF3, m2 = 0xCF, m3 = 0x3F;
        BYTE y0 = s1[x & 0xFF], y1 = s2[(x >> 8) & 0xFF], y2 = s1[(x >> 16) & 0xFF], y3 = s2[x >> 24];
        BYTE z0 = (BYTE)((y0 & m0) ^ (y1 & m1) ^ (y2 & m2) ^ (y3 & m3));
        BYTE z1 = (BYTE)((y0 & m1) ^ (y1 & m2) ^ (y2 & m3) ^ (y3 & m0));
        BYTE z2 = (BYTE)((y0 & m2) ^ (y1 & m3) ^ (y2 & m0) ^ (y3 & m1));
        BYTE z3 = (BYTE)((y0 & m3) ^ (y1 & m0) ^ (y2 & m1) ^ (y3 & m2));
        return (uint32_t)z3 << 24 | (uint32_t)z2 << 16 | (uint32_t)z1 << 8 | z0;
    }

    void ExpandKey(const BYTE key[16], uint32_t rk[32]) const {
        uint64_t a = 0, b = 0; // a = k0||k1, b = k2||k3
        for (int i = 0; i < 8; ++i) {
            a = a << 8 | key[i];
            b = b << 8 | key[8 + i];
        }
        uint32_t kc = 0x9E3779B9;
        for (int i = 0; i < 16; ++i) {
            uint32_t k0 = (uint32_t)(a >> 32), k1 = (uint32_t)a, k2 = (uint32_t)(b >> 32), k3 = (uint32_t)b;
            rk[2 * i] = G(k0 + k2 - kc);
            rk[2 * i + 1] = G(k1 - k3 + kc);
            if (i % 2 == 0)
                a = a >> 8 | a << 56;
            else
                b = b << 8 | b >> 56;
            kc = kc << 1 | kc >> 31;
        }
    }

    uint64_t F(uint64_t r, uint32_t k0, uint32_t k1) const {
        uint32_t c = (uint32_t)(r >> 32) ^ k0, d = (uint32_t)r ^ k1;
        d ^= c;
        d = G(d);
        c = G(c + d);
        d = G(d + c);
        c = c + d;
        return (uint64_t)c << 32 | d;
    }

    void Crypt(BYTE block[16], const BYTE key[16], bool decrypt) const {
        uint32_t rk[32];
        ExpandKey(key, rk);
        uint64_t l = 0, r = 0;
        for (int i = 0; i < 8; ++i) {
            l = l << 8 | block[i];
            r = r << 8 | block[8 + i];
        }
        for (int round = 0; round < 16; ++round) {
            int i = decrypt ? 15 - round : round;
            l ^= F(r, rk[2 * i], rk[2 * i + 1]);
            if (round != 15) std::swap(l, r);
        }
        for (int i = 7; i >= 0; --i) {
            block[i] = (BYTE)l;
            block[8 + i] = (BYTE)r;
            l >>= 8;
            r >>= 8;
        }
    }

    BYTE s1[256], s2[256];
};

// ---- Tests -----------------------------------------------------------------------------------

TEST(Seed, RfcVectorsEncrypt) {
    for (const Vector& v : kRfcVectors) {
        std::vector<BYTE> key = FromHex(v.key), block = FromHex(v.plain), expected = FromHex(v.cipher);
        SeedKeySchedule ks;
        SeedExpandKey(&ks, key.data());
        SeedEncrypt(block.data(), &ks);
        EXPECT_EQ(expected, block) << "key " << v.key;
    }
}

TEST(Seed, RfcVectorsDecrypt) {
    for (const Vector& v : kRfcVectors) {
        std::vector<BYTE> key = FromHex(v.key), block = FromHex(v.cipher), expected = FromHex(v.plain);
        SeedKeySchedule ks;
        SeedExpandKey(&ks, key.data());
        SeedDecrypt(block.data(), &ks);
        EXPECT_EQ(expected, block) << "key " << v.key;
    }
}

TEST(Seed, PlainImplementationPassesTheRfcVectors) {
    // The reference is only a reference if it is right itself.
    PlainSeed ref;
    for (const Vector& v : kRfcVectors) {
        std::vector<BYTE> key = FromHex(v.key), block = FromHex(v.plain);
        ref.Crypt(block.data(), key.data(), false);
        EXPECT_EQ(FromHex(v.cipher), block);
        ref.Crypt(block.data(), key.data(), true);
        EXPECT_EQ(FromHex(v.plain), block);
    }
}

TEST(Seed, TablesStartWithThePublishedWords) {
    EXPECT_EQ(0x2989A1A8u, SEED_SS0[0]);
    EXPECT_EQ(0x38380830u, SEED_SS1[0]);
    EXPECT_EQ(0xA1A82989u, SEED_SS2[0]);
    EXPECT_EQ(0x08303838u, SEED_SS3[0]);
    EXPECT_EQ(0x2A0A2228u, SEED_SS0[254]);
    EXPECT_EQ(0x1A8A9298u, SEED_SS0[255]);
    EXPECT_EQ(0x87B3B437u, SEED_SS3[255]);
}

// S1(x) = A1 * x^247 + 169 and S2(x) = A2 * x^251 + 56 in GF(2^8), with A1, A2 linear maps over
// GF(2). The linear maps are read off at the eight powers of two; every other entry of the
// S-boxes must then follow, which checks all 256 entries of both.
void ExpectAffinePowerMap(const BYTE* sbox, int exponent, BYTE constant) {
    BYTE power[256];
    int preimage[256];
    for (int x = 0; x < 256; ++x)
        preimage[x] = -1;
    for (int x = 0; x < 256; ++x) {
        power[x] = GfPow((BYTE)x, exponent);
        preimage[power[x]] = x;
    }
    for (int y = 0; y < 256; ++y)
        ASSERT_NE(-1, preimage[y]) << "x^" << exponent << " is not a permutation";
    BYTE column[8];
    for (int bit = 0; bit < 8; ++bit)
        column[bit] = (BYTE)(sbox[preimage[1 << bit]] ^ constant);
    bool seen[256] = {};
    for (int x = 0; x < 256; ++x) {
        BYTE linear = 0;
        for (int bit = 0; bit < 8; ++bit)
            if (power[x] & (1 << bit)) linear ^= column[bit];
        EXPECT_EQ((int)(BYTE)(linear ^ constant), (int)sbox[x]) << "entry " << x;
        seen[sbox[x]] = true;
    }
    for (int y = 0; y < 256; ++y)
        EXPECT_TRUE(seen[y]) << "S-box misses " << y;
}

TEST(Seed, SboxesAreTheAffinePowerMaps) {
    PlainSeed ref;
    ExpectAffinePowerMap(ref.s1, 247, 169);
    ExpectAffinePowerMap(ref.s2, 251, 56);
}

TEST(Seed, CombinedTablesAreTheSboxesThroughTheMasks) {
    PlainSeed ref;
    const uint32_t m0 = 0xFC, m1 = 0xF3, m2 = 0xCF, m3 = 0x3F;
    for (int x = 0; x < 256; ++x) {
        uint32_t a = ref.s1[x], b = ref.s2[x];
        EXPECT_EQ((a & m3) << 24 | (a & m2) << 16 | (a & m1) << 8 | (a & m0), SEED_SS0[x]) << x;
        EXPECT_EQ((b & m0) << 24 | (b & m3) << 16 | (b & m2) << 8 | (b & m1), SEED_SS1[x]) << x;
        EXPECT_EQ((a & m1) << 24 | (a & m0) << 16 | (a & m3) << 8 | (a & m2), SEED_SS2[x]) << x;
        EXPECT_EQ((b & m2) << 24 | (b & m1) << 16 | (b & m0) << 8 | (b & m3), SEED_SS3[x]) << x;
    }
}

TEST(Seed, KeyScheduleMatchesThePlainImplementation) {
    PlainSeed ref;
    std::mt19937 rng(4269);
    for (int n = 0; n < 500; ++n) {
        BYTE key[16];
        for (BYTE& b : key)
            b = (BYTE)rng();
        uint32_t expected[32];
        ref.ExpandKey(key, expected);
        SeedKeySchedule ks;
        SeedExpandKey(&ks, key);
        for (int i = 0; i < 32; ++i)
            ASSERT_EQ(expected[i], ks.key[i]) << "word " << i << " of key #" << n;
    }
}

TEST(Seed, RandomKeysAndBlocksMatchThePlainImplementation) {
    PlainSeed ref;
    std::mt19937 rng(20050131);
    for (int n = 0; n < 2000; ++n) {
        BYTE key[16], block[16];
        for (BYTE& b : key)
            b = (BYTE)rng();
        for (BYTE& b : block)
            b = (BYTE)rng();
        SeedKeySchedule ks;
        SeedExpandKey(&ks, key);

        BYTE ours[16], theirs[16];
        std::memcpy(ours, block, 16);
        std::memcpy(theirs, block, 16);
        SeedEncrypt(ours, &ks);
        ref.Crypt(theirs, key, false);
        ASSERT_EQ(0, std::memcmp(ours, theirs, 16)) << "encryption, case " << n;

        SeedDecrypt(ours, &ks);
        ASSERT_EQ(0, std::memcmp(ours, block, 16)) << "round trip, case " << n;

        std::memcpy(ours, block, 16);
        std::memcpy(theirs, block, 16);
        SeedDecrypt(ours, &ks);
        ref.Crypt(theirs, key, true);
        ASSERT_EQ(0, std::memcmp(ours, theirs, 16)) << "decryption, case " << n;
    }
}

TEST(Seed, ExtremeKeysAndBlocksMatchThePlainImplementation) {
    // All-zero and all-one words exercise the carries of the schedule's additions.
    PlainSeed ref;
    const BYTE fills[] = {0x00, 0xFF, 0x80, 0x7F, 0x01};
    for (BYTE kf : fills) {
        for (BYTE bf : fills) {
            BYTE key[16], block[16], theirs[16];
            std::memset(key, kf, 16);
            std::memset(block, bf, 16);
            std::memcpy(theirs, block, 16);
            SeedKeySchedule ks;
            SeedExpandKey(&ks, key);
            SeedEncrypt(block, &ks);
            ref.Crypt(theirs, key, false);
            EXPECT_EQ(0, std::memcmp(block, theirs, 16)) << (int)kf << "/" << (int)bf;
        }
    }
}

TEST(Seed, WorksInPlaceOnUnalignedBlocksAndTouchesNothingElse) {
    std::vector<BYTE> key = FromHex(kRfcVectors[2].key);
    SeedKeySchedule ks;
    SeedExpandKey(&ks, key.data());
    std::vector<BYTE> plain = FromHex(kRfcVectors[2].plain), cipher = FromHex(kRfcVectors[2].cipher);
    BYTE buffer[40];
    std::memset(buffer, 0xA5, sizeof buffer);
    std::memcpy(buffer + 3, plain.data(), 16);
    SeedEncrypt(buffer + 3, &ks);
    EXPECT_EQ(0, std::memcmp(buffer + 3, cipher.data(), 16));
    for (int i : {0, 1, 2, 19, 20, 39})
        EXPECT_EQ(0xA5, buffer[i]) << i;
    SeedDecrypt(buffer + 3, &ks);
    EXPECT_EQ(0, std::memcmp(buffer + 3, plain.data(), 16));
}

TEST(Seed, DifferentKeysGiveDifferentSchedulesAndCiphertexts) {
    BYTE key[16] = {}, block1[16] = {}, block2[16] = {};
    SeedKeySchedule a, b;
    SeedExpandKey(&a, key);
    key[15] = 1;
    SeedExpandKey(&b, key);
    EXPECT_NE(0, std::memcmp(a.key, b.key, sizeof a.key));
    SeedEncrypt(block1, &a);
    SeedEncrypt(block2, &b);
    EXPECT_NE(0, std::memcmp(block1, block2, 16));
}

TEST(Seed, BufferRoutinesEqualBlockByBlockForEveryLength) {
    std::mt19937 rng(16);
    BYTE key[16];
    for (BYTE& b : key)
        b = (BYTE)rng();
    SeedKeySchedule ks;
    SeedExpandKey(&ks, key);
    for (size_t len : {0, 1, 15, 16, 17, 31, 32, 33, 47, 48, 63, 64, 80, 95, 96, 112, 160, 1000, 4096}) {
        std::vector<BYTE> input(len);
        for (BYTE& b : input)
            b = (BYTE)rng();
        std::vector<BYTE> expectEnc = input, expectDec = input;
        for (size_t off = 0; off + 16 <= len; off += 16) {
            SeedEncrypt(&expectEnc[off], &ks);
            SeedDecrypt(&expectDec[off], &ks);
        }
        // Exactly sized heap blocks: the address sanitizer catches any access past the end.
        std::unique_ptr<BYTE[]> enc(new BYTE[len + !len]), dec(new BYTE[len + !len]);
        if (len) {
            std::memcpy(enc.get(), input.data(), len);
            std::memcpy(dec.get(), input.data(), len);
        }
        SeedEncryptBlocks(enc.get(), len, &ks);
        SeedDecryptBlocks(dec.get(), len, &ks);
        EXPECT_EQ(0, len ? std::memcmp(enc.get(), expectEnc.data(), len) : 0) << "encrypt, length " << len;
        EXPECT_EQ(0, len ? std::memcmp(dec.get(), expectDec.data(), len) : 0) << "decrypt, length " << len;
        // A partial last block is left as it is.
        for (size_t i = len / 16 * 16; i < len; ++i) {
            EXPECT_EQ(input[i], enc[i]) << "length " << len << ", byte " << i;
            EXPECT_EQ(input[i], dec[i]) << "length " << len << ", byte " << i;
        }
        SeedDecryptBlocks(enc.get(), len, &ks);
        EXPECT_EQ(0, len ? std::memcmp(enc.get(), input.data(), len) : 0) << "round trip, length " << len;
    }
}

TEST(Seed, BufferRoutinesPassTheRfcVectors) {
    // Two copies of each vector's block side by side, so the paired path is the one taken.
    for (const Vector& v : kRfcVectors) {
        std::vector<BYTE> key = FromHex(v.key), plain = FromHex(v.plain), cipher = FromHex(v.cipher);
        SeedKeySchedule ks;
        SeedExpandKey(&ks, key.data());
        std::vector<BYTE> buf = plain;
        buf.insert(buf.end(), plain.begin(), plain.end());
        SeedEncryptBlocks(buf.data(), buf.size(), &ks);
        EXPECT_EQ(cipher, std::vector<BYTE>(buf.begin(), buf.begin() + 16));
        EXPECT_EQ(cipher, std::vector<BYTE>(buf.begin() + 16, buf.end()));
        SeedDecryptBlocks(buf.data(), buf.size(), &ks);
        EXPECT_EQ(plain, std::vector<BYTE>(buf.begin() + 16, buf.end()));
    }
}

} // namespace
