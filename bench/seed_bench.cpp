// SEED throughput: our ECB loop against OpenSSL's SEED-ECB (legacy provider), both measured in
// this run over the same 64 MiB buffer, encrypting and decrypting in place. The outputs are
// compared too, so a fast wrong result fails (exit status 1).
//
//   cmake --preset bench && cmake --build --preset bench && build/bench/bin/seed_bench [MiB] [runs]
#include "ScriptCipher.h"
#include "Seed.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#ifdef VK_HAVE_OPENSSL
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/provider.h>
#endif

namespace {

typedef std::chrono::steady_clock Clock;

double Seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

double MegabytesPerSecond(size_t bytes, double seconds) {
    return seconds > 0 ? bytes / seconds / 1e6 : 0;
}

void OurEcb(std::vector<BYTE>& buf, const SeedKeySchedule& ks, bool decrypt) {
    if (decrypt)
        SeedDecryptBlocks(buf.data(), buf.size(), &ks);
    else
        SeedEncryptBlocks(buf.data(), buf.size(), &ks);
}

// Block by block through the one-block routines, for context.
void OurSingleBlocks(std::vector<BYTE>& buf, const SeedKeySchedule& ks, bool decrypt) {
    BYTE* p = buf.data();
    const size_t n = buf.size();
    if (decrypt)
        for (size_t off = 0; off < n; off += 16)
            SeedDecrypt(p + off, &ks);
    else
        for (size_t off = 0; off < n; off += 16)
            SeedEncrypt(p + off, &ks);
}

#ifdef VK_HAVE_OPENSSL
struct OpenSslSeed {
    EVP_CIPHER* cipher = nullptr;
    EVP_CIPHER_CTX* ctx = nullptr;
    OSSL_PROVIDER* legacy = nullptr;
    OSSL_PROVIDER* deflt = nullptr;

    bool Load() {
        legacy = OSSL_PROVIDER_load(nullptr, "legacy");
        deflt = OSSL_PROVIDER_load(nullptr, "default");
        cipher = legacy ? EVP_CIPHER_fetch(nullptr, "SEED-ECB", nullptr) : nullptr;
        ctx = EVP_CIPHER_CTX_new();
        return legacy && cipher && ctx;
    }
    ~OpenSslSeed() {
        EVP_CIPHER_CTX_free(ctx);
        EVP_CIPHER_free(cipher);
        if (legacy) OSSL_PROVIDER_unload(legacy);
        if (deflt) OSSL_PROVIDER_unload(deflt);
    }

    // ECB over the whole buffer in place, padding off; the key set-up is part of the run, as ours.
    bool Run(std::vector<BYTE>& buf, const BYTE key[16], bool decrypt) {
        if (EVP_CipherInit_ex2(ctx, cipher, key, nullptr, decrypt ? 0 : 1, nullptr) != 1) return false;
        EVP_CIPHER_CTX_set_padding(ctx, 0);
        // EVP_CipherUpdate takes an int length: feed the buffer in chunks.
        const size_t chunk = 1 << 24;
        for (size_t off = 0; off < buf.size(); off += chunk) {
            int len = (int)std::min(chunk, buf.size() - off), outl = 0;
            if (EVP_CipherUpdate(ctx, buf.data() + off, &outl, buf.data() + off, len) != 1 || outl != len)
                return false;
        }
        int finl = 0;
        return EVP_CipherFinal_ex(ctx, buf.data(), &finl) == 1 && finl == 0;
    }
};
#endif

} // namespace

// Best time of `runs` runs of fn over a fresh copy of `input`; the last run's output in *output.
template <class Fn>
double BestOf(int runs, const std::vector<BYTE>& input, std::vector<BYTE>* output, Fn fn) {
    double best = 1e9;
    for (int r = 0; r < runs; ++r) {
        *output = input;
        auto t0 = Clock::now();
        if (!fn(*output)) return -1;
        best = std::min(best, Seconds(t0, Clock::now()));
    }
    return best;
}

bool Report(const char* name, size_t size, double enc, double dec) {
    if (enc < 0 || dec < 0) {
        std::fprintf(stderr, "seed_bench: %s failed\n", name);
        return false;
    }
    std::printf("  %-28s encrypt %8.1f MB/s   decrypt %8.1f MB/s\n", name, MegabytesPerSecond(size, enc),
                MegabytesPerSecond(size, dec));
    return true;
}

int main(int argc, char** argv) {
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("usage: seed_bench [MIB [RUNS]]\n"
                    "SEED in ECB over MIB mebibytes (default 64), best of RUNS runs (default 5), against\n"
                    "OpenSSL's SEED when its headers were found, and the script cipher's throughput.\n"
                    "At its defaults it takes well under a minute.\n");
        return 0;
    }
    const size_t mib = argc > 1 ? (size_t)std::max(1, std::atoi(argv[1])) : 64;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const size_t size = mib << 20;

    std::mt19937_64 rng(4269);
    std::vector<BYTE> plain(size);
    for (size_t i = 0; i < size; i += 8) {
        uint64_t r = rng();
        std::memcpy(&plain[i], &r, 8);
    }
    BYTE key[16];
    for (BYTE& b : key)
        b = (BYTE)rng();

    // Each run includes the key set-up, as OpenSSL's does. Best of the runs: shared, noisy machines.
    std::printf("SEED-ECB over %zu MiB, in place, best of %d runs (MB = 10^6 bytes)\n", mib, runs);
    std::vector<BYTE> ours, back;
    const double ourEnc = BestOf(runs, plain, &ours, [&](std::vector<BYTE>& b) {
        SeedKeySchedule ks;
        SeedExpandKey(&ks, key);
        OurEcb(b, ks, false);
        return true;
    });
    const double ourDec = BestOf(runs, ours, &back, [&](std::vector<BYTE>& b) {
        SeedKeySchedule ks;
        SeedExpandKey(&ks, key);
        OurEcb(b, ks, true);
        return true;
    });
    if (back != plain) {
        std::fprintf(stderr, "seed_bench: our decryption does not give the plain text back\n");
        return 1;
    }
    Report("ours (ECB loop)", size, ourEnc, ourDec);

    std::vector<BYTE> single;
    const double oneEnc = BestOf(runs, plain, &single, [&](std::vector<BYTE>& b) {
        SeedKeySchedule ks;
        SeedExpandKey(&ks, key);
        OurSingleBlocks(b, ks, false);
        return true;
    });
    if (single != ours) {
        std::fprintf(stderr, "seed_bench: block-by-block encryption differs from the ECB loop\n");
        return 1;
    }
    const double oneDec = BestOf(runs, ours, &back, [&](std::vector<BYTE>& b) {
        SeedKeySchedule ks;
        SeedExpandKey(&ks, key);
        OurSingleBlocks(b, ks, true);
        return true;
    });
    if (back != plain) {
        std::fprintf(stderr, "seed_bench: block-by-block decryption does not give the plain text back\n");
        return 1;
    }
    Report("ours (one block per call)", size, oneEnc, oneDec);

#ifdef VK_HAVE_OPENSSL
    OpenSslSeed ossl;
    if (!ossl.Load()) {
        std::fprintf(stderr, "seed_bench: OpenSSL's SEED-ECB (legacy provider) is not available\n");
        ERR_print_errors_fp(stderr);
        return 1;
    }
    std::vector<BYTE> theirs;
    const double sslEnc =
        BestOf(runs, plain, &theirs, [&](std::vector<BYTE>& b) { return ossl.Run(b, key, false); });
    const double sslDec =
        BestOf(runs, ours, &back, [&](std::vector<BYTE>& b) { return ossl.Run(b, key, true); });
    if (!Report("OpenSSL (EVP SEED-ECB)", size, sslEnc, sslDec)) {
        ERR_print_errors_fp(stderr);
        return 1;
    }
    if (theirs != ours || back != plain) {
        std::fprintf(stderr, "seed_bench: our results differ from OpenSSL's\n");
        return 1;
    }
    std::printf("  ratio ours (ECB loop) / OpenSSL: encrypt %.2fx, decrypt %.2fx (above 1 is faster)\n",
                sslEnc / ourEnc, sslDec / ourDec);
    std::printf("  ciphertexts identical\n");
#else
    std::printf("  (OpenSSL not found at configure time: no baseline)\n");
#endif

    // The script cipher's own paths (hexadecimal codec and result strings included), for context.
    {
        CScriptCipher cipher;
        cipher.SetKey(SCRIPT_PASS_PHRASE);
        const int textLen = (int)std::min(size, (size_t)16 << 20);
        const CString plainText((LPCTSTR)plain.data(), textLen);
        double buffer = 1e9, toHex = 1e9, fromHex = 1e9;
        for (int r = 0; r < runs; ++r) {
            CString text, hex, decoded;
            auto t0 = Clock::now();
            cipher.DecryptBuffer(&text, ours.data(), textLen);
            auto t1 = Clock::now();
            cipher.EncryptToHex(plainText, &hex);
            auto t2 = Clock::now();
            cipher.DecryptFromHex(hex, &decoded);
            auto t3 = Clock::now();
            buffer = std::min(buffer, Seconds(t0, t1));
            toHex = std::min(toHex, Seconds(t1, t2));
            fromHex = std::min(fromHex, Seconds(t2, t3));
        }
        std::printf("  CScriptCipher over %d MiB of text: DecryptBuffer %.1f MB/s, EncryptToHex %.1f MB/s, "
                    "DecryptFromHex %.1f MB/s\n",
                    textLen >> 20, MegabytesPerSecond(textLen, buffer), MegabytesPerSecond(textLen, toHex),
                    MegabytesPerSecond(textLen, fromHex));
    }
    return 0;
}
