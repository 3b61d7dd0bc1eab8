// Our SEED against OpenSSL's (legacy provider) on fuzzer-chosen keys and blocks: the first 16
// bytes are the key, the whole 16-byte blocks after it the data; both directions must agree.
#include "Seed.h"
#include "fuzz_util.h"

#include <cstring>
#include <openssl/evp.h>
#include <openssl/provider.h>
#include <vector>

namespace {

struct OpenSsl {
    OpenSsl() {
        legacy = OSSL_PROVIDER_load(nullptr, "legacy");
        deflt = OSSL_PROVIDER_load(nullptr, "default");
        cipher = EVP_CIPHER_fetch(nullptr, "SEED-ECB", nullptr);
        ctx = EVP_CIPHER_CTX_new();
        FUZZ_CHECK(legacy && deflt && cipher && ctx);
    }
    void Run(const BYTE key[16], std::vector<BYTE>& buf, int encrypt) {
        int outl = 0, finl = 0;
        FUZZ_CHECK(EVP_CipherInit_ex2(ctx, cipher, key, nullptr, encrypt, nullptr) == 1);
        EVP_CIPHER_CTX_set_padding(ctx, 0);
        FUZZ_CHECK(EVP_CipherUpdate(ctx, buf.data(), &outl, buf.data(), (int)buf.size()) == 1);
        FUZZ_CHECK(outl == (int)buf.size());
        FUZZ_CHECK(EVP_CipherFinal_ex(ctx, buf.data(), &finl) == 1 && finl == 0);
    }
    OSSL_PROVIDER* legacy;
    OSSL_PROVIDER* deflt;
    EVP_CIPHER* cipher;
    EVP_CIPHER_CTX* ctx;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    static OpenSsl ossl;
    if (size < 32 || size > 4096) return 0;
    const BYTE* key = data;
    const std::vector<BYTE> input(data + 16, data + 16 + (size - 16) / 16 * 16);
    SeedKeySchedule ks;
    SeedExpandKey(&ks, key);

    // Encryption agrees.
    std::vector<BYTE> ours = input, theirs = input;
    for (size_t off = 0; off < ours.size(); off += 16)
        SeedEncrypt(&ours[off], &ks);
    ossl.Run(key, theirs, 1);
    FUZZ_CHECK(ours == theirs);

    // Decryption of the ciphertext gives the input back.
    for (size_t off = 0; off < ours.size(); off += 16)
        SeedDecrypt(&ours[off], &ks);
    FUZZ_CHECK(ours == input);

    // Decryption of the input itself agrees.
    ours = input;
    theirs = input;
    for (size_t off = 0; off < ours.size(); off += 16)
        SeedDecrypt(&ours[off], &ks);
    ossl.Run(key, theirs, 0);
    FUZZ_CHECK(ours == theirs);
    return 0;
}
