// CScriptCipher: SEED in ECB mode over whole texts, keyed with a text pass phrase, with the
// upper-case hexadecimal form used for masked trace details and encrypted script listings.
//
// Every user constructs a fresh object and calls SetKey before anything else. All lengths are
// byte counts of multi-byte strings. Nothing reports an error: bad digits decode as 0, a wrong key
// or corrupt data gives a wrong text. The only failure is running out of memory, which propagates
// from the one buffer each call allocates (std::bad_alloc, or CMemoryException* where the
// framework's operator new throws that); a result longer than a CString can hold fails the same
// way (CMemoryException*).
#pragma once

#include "Seed.h"
#include "afx.h"

class CScriptCipher {
public:
    CScriptCipher();

    // The key is the pass phrase's first 16 bytes, padded with spaces to 16 bytes.
    void SetKey(const CString& passPhrase);

    // Pads the text with spaces to a multiple of 16 bytes, encrypts it and writes two upper-case
    // hexadecimal digits per byte into *out. An empty text gives an empty result.
    void EncryptToHex(const CString& plain, CString* out);

    // Reads digit pairs ("0"-"9", "A"-"F"; every other character counts as 0, a last odd
    // character is ignored), decrypts them and sets *out to the text up to its first NUL byte,
    // without trailing white space.
    void DecryptFromHex(const CString& hex, CString* out);

    // Decrypts len bytes of ciphertext and sets *out to the plain text up to its first NUL byte.
    // Padding bytes are not trimmed.
    void DecryptBuffer(CString* out, const BYTE* data, int len);

    // Encrypts the whole 16-byte blocks of data in place; a last partial block is left as it is.
    // The counterpart of DecryptBuffer, used to write compiled scripts.
    void EncryptBlocks(BYTE* data, int len) const;

private:
    SeedKeySchedule m_schedule;
};

// The program's one pass phrase for masked details and protected scripts.
#define SCRIPT_PASS_PHRASE "kwelvaprotsim"

// TRUE for the functions whose trace details are stored masked: exactly "LoadInputFID" and
// "S_UpperLower" (byte-wise, case-sensitive).
BOOL IsMaskedFunction(LPCTSTR name);

// The masked form of a trace detail: a fresh cipher keyed with the pass phrase, EncryptToHex.
CString MaskTraceDetail(const CString& detail);
