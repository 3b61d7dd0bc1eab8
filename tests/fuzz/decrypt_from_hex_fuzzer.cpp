// DecryptFromHex over any text: no crash, no read past the text, and the result obeys the
// decoder's rules. Also the round trip EncryptToHex -> DecryptFromHex of the input as a text.
#include "ScriptCipher.h"
#include "fuzz_util.h"

#include <cstring>

static bool EndsWithWhiteSpace(const CString& s) {
    if (s.IsEmpty()) return false;
    const char c = s[s.GetLength() - 1];
    return c == ' ' || (c >= 0x09 && c <= 0x0D);
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    const CString input((const char*)data, (int)size);
    CScriptCipher cipher;
    cipher.SetKey(SCRIPT_PASS_PHRASE);

    CString plain;
    cipher.DecryptFromHex(input, &plain);
    const size_t pairs = size / 2;
    FUZZ_CHECK((size_t)plain.GetLength() <= (pairs + 15) / 16 * 16);
    FUZZ_CHECK(std::memchr((const char*)plain, 0, (size_t)plain.GetLength()) == nullptr);
    FUZZ_CHECK(!EndsWithWhiteSpace(plain));
    if (pairs == 0) FUZZ_CHECK(plain.IsEmpty());

    // Every character but "0"-"9" and "A"-"F" counts as the digit 0.
    CString normalised(input);
    for (int i = 0; i < normalised.GetLength(); ++i) {
        const char c = normalised[i];
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) normalised.SetAt(i, '0');
    }
    CString again;
    cipher.DecryptFromHex(normalised, &again);
    FUZZ_CHECK(again == plain);

    // Round trip of the input as a text: its bytes up to the first NUL, without trailing white space.
    CString hex;
    cipher.EncryptToHex(input, &hex);
    FUZZ_CHECK((size_t)hex.GetLength() == (size + 15) / 16 * 32);
    CString back;
    cipher.DecryptFromHex(hex, &back);
    CString expected((const char*)input);
    expected.TrimRight();
    FUZZ_CHECK(back.str() == expected.str());
    return 0;
}
