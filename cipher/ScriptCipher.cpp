#include "ScriptCipher.h"

#include <climits>
#include <cstring>
#include <functional>

CScriptCipher::CScriptCipher() : m_schedule{} {}

void CScriptCipher::SetKey(const CString& passPhrase) {
    BYTE key[16];
    std::memset(key, 0x20, sizeof key);
    int n = passPhrase.GetLength();
    if (n > 16) n = 16;
    std::memcpy(key, (LPCTSTR)passPhrase, (size_t)n);
    SeedExpandKey(&m_schedule, key);
}

// Rounds a byte count up to whole 16-byte blocks.
static size_t WholeBlocks(size_t len) {
    return (len + 15) / 16 * 16;
}

void CScriptCipher::EncryptToHex(const CString& plain, CString* out) {
    if (out == &plain) {
        // The result replaces the text it is made from: work from a copy.
        CString copy(plain);
        EncryptToHex(copy, out);
        return;
    }
    const int len = plain.GetLength();
    if (len <= 0) {
        out->Empty();
        return;
    }
    const size_t n = WholeBlocks((size_t)len);
    if (n > (size_t)INT_MAX / 2) AfxThrowMemoryException(); // two digits per byte must fit a CString

    // The one buffer of the call is the result itself, 2n characters: the padded text is placed in
    // its second half and encrypted there, then spread into digit pairs from the front. Pair j
    // goes to characters 2j and 2j + 1, never beyond the byte n + j it is made from, so no byte is
    // overwritten before it has been read.
    char* digits = out->GetBufferSetLength((int)(2 * n));
    BYTE* data = (BYTE*)digits + n;
    std::memcpy(data, (LPCTSTR)plain, (size_t)len);
    std::memset(data + len, 0x20, n - (size_t)len);
    SeedEncryptBlocks(data, n, &m_schedule);
    static const char hexDigits[] = "0123456789ABCDEF";
    for (size_t j = 0; j < n; ++j) {
        const BYTE b = data[j];
        digits[2 * j] = hexDigits[b >> 4];
        digits[2 * j + 1] = hexDigits[b & 0x0F];
    }
    out->ReleaseBuffer((int)(2 * n));
}

// The value of one hexadecimal digit; anything but "0"-"9" and "A"-"F" counts as 0.
static inline unsigned HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return (unsigned)(c - '0');
    if (c >= 'A' && c <= 'F') return (unsigned)(c - 'A' + 10);
    return 0;
}

void CScriptCipher::DecryptFromHex(const CString& hex, CString* out) {
    if (out == &hex) {
        CString copy(hex);
        DecryptFromHex(copy, out);
        return;
    }
    const int m = hex.GetLength() / 2; // a last odd character is not part of any pair
    if (m <= 0) {
        out->Empty();
        return;
    }
    const size_t n = WholeBlocks((size_t)m);
    const char* src = hex;
    BYTE* data = (BYTE*)out->GetBufferSetLength((int)n);
    for (size_t j = 0; j < (size_t)m; ++j)
        data[j] = (BYTE)(HexDigitValue(src[2 * j]) << 4 | HexDigitValue(src[2 * j + 1]));
    // A number of pairs that is not a multiple of 16 leaves the last block short: it is completed
    // with zero bytes, so the result depends on the digits alone.
    std::memset(data + m, 0, n - (size_t)m);
    SeedDecryptBlocks(data, n, &m_schedule);
    out->ReleaseBuffer(-1); // the text ends at its first NUL byte
    out->TrimRight();       // and loses the space padding
}

void CScriptCipher::DecryptBuffer(CString* out, const BYTE* data, int len) {
    if (data == nullptr || len <= 0) {
        out->Empty();
        return;
    }
    const std::string& current = out->str();
    const BYTE* curBegin = (const BYTE*)current.data();
    if (std::less_equal<const BYTE*>()(curBegin, data) &&
        std::less<const BYTE*>()(data, curBegin + current.size() + 1)) {
        // The ciphertext lies in the string that receives the result: work from a copy.
        CString copy((LPCTSTR)data, len);
        DecryptBuffer(out, (const BYTE*)(LPCTSTR)copy, len);
        return;
    }
    // The result's own buffer is the work buffer: len bytes and the string's terminating NUL.
    BYTE* buf = (BYTE*)out->GetBufferSetLength(len);
    std::memcpy(buf, data, (size_t)len);
    // Only whole blocks are decrypted. A partial last block (len not a multiple of 16) cannot be
    // decrypted: SEED has no shorter block, and a well-formed compiled script never has one. Its
    // bytes stay as they are, still ciphertext, so the text shows that the file is torn instead
    // of hiding bytes or guessing at them; and nothing beyond the len bytes is read or written.
    SeedDecryptBlocks(buf, (size_t)len, &m_schedule);
    out->ReleaseBuffer(-1); // the text ends at its first NUL byte, at the latest after len bytes
}

void CScriptCipher::EncryptBlocks(BYTE* data, int len) const {
    if (data == nullptr || len <= 0) return;
    SeedEncryptBlocks(data, (size_t)len, &m_schedule);
}

BOOL IsMaskedFunction(LPCTSTR name) {
    if (name == nullptr) return FALSE;
    const unsigned char* p = (const unsigned char*)name;
    return _mbscmp(p, (const unsigned char*)"LoadInputFID") == 0 ||
           _mbscmp(p, (const unsigned char*)"S_UpperLower") == 0;
}

CString MaskTraceDetail(const CString& detail) {
    CScriptCipher cipher;
    cipher.SetKey(SCRIPT_PASS_PHRASE);
    CString masked;
    cipher.EncryptToHex(detail, &masked);
    return masked;
}
