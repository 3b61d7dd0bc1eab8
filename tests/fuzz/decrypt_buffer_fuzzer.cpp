// DecryptBuffer over any ciphertext: no crash, nothing read past the len bytes (the input is an
// exactly sized heap block, so the address sanitizer sees any overrun), whole blocks decrypted,
// a partial tail kept as it is, the text cut at the first NUL.
#include "ScriptCipher.h"
#include "fuzz_util.h"

#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    if (size > (1u << 20)) return 0;
    CScriptCipher cipher;
    cipher.SetKey(SCRIPT_PASS_PHRASE);
    CString text;
    cipher.DecryptBuffer(&text, data, (int)size);
    FUZZ_CHECK((size_t)text.GetLength() <= size);
    FUZZ_CHECK(std::memchr((const char*)text, 0, (size_t)text.GetLength()) == nullptr);

    // The same result, block by block with the bare cipher.
    std::string expected((const char*)data, size);
    BYTE key[16];
    std::memset(key, ' ', sizeof key);
    std::memcpy(key, SCRIPT_PASS_PHRASE, std::strlen(SCRIPT_PASS_PHRASE));
    SeedKeySchedule ks;
    SeedExpandKey(&ks, key);
    for (size_t off = 0; off + 16 <= size; off += 16)
        SeedDecrypt((BYTE*)&expected[off], &ks);
    expected.resize(std::strlen(expected.c_str()));
    FUZZ_CHECK(text.str() == expected);

    // Encrypting the whole blocks again gives the input back where the text was not cut.
    if (text.GetLength() == (int)size && size > 0) {
        std::string again = text.str();
        cipher.EncryptBlocks((BYTE*)&again[0], (int)again.size());
        FUZZ_CHECK(std::memcmp(again.data(), data, size) == 0);
    }
    return 0;
}
