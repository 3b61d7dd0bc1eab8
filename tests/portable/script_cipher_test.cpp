// CScriptCipher: key derivation, padding, the hexadecimal codec and its NUL and white-space rules.
// Known answers were computed independently with OpenSSL's SEED-ECB under the same 16-byte keys.
#include "ScriptCipher.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

CString Encrypt(const CString& plain, const char* pass = SCRIPT_PASS_PHRASE) {
    CScriptCipher c;
    c.SetKey(pass);
    CString out;
    c.EncryptToHex(plain, &out);
    return out;
}

CString Decrypt(const CString& hex, const char* pass = SCRIPT_PASS_PHRASE) {
    CScriptCipher c;
    c.SetKey(pass);
    CString out("left over from before");
    c.DecryptFromHex(hex, &out);
    return out;
}

std::string Bytes(const CString& s) {
    return s.str();
}

std::vector<BYTE> HexBytes(const char* hex) {
    std::vector<BYTE> out;
    for (size_t i = 0; hex[i] && hex[i + 1]; i += 2)
        out.push_back((BYTE)std::stoi(std::string(hex + i, 2), nullptr, 16));
    return out;
}

// "abc" padded to one block, under the key "kwelvaprotsim   ".
const char kAbcHex[] = "83A83D03FA14A3EC6266C626DCDEC251";
// "0123456789abcdef" and "0123456789abcdef0" padded to two blocks.
const char kSixteenHex[] = "A62B8760902C39D03341CA6AAE1B08F9";
const char kSeventeenHex[] = "A62B8760902C39D03341CA6AAE1B08F9E2BFCC7F3810ACCABB85AD5F7AEEDCB7";

TEST(ScriptCipher, PassPhraseIsTheProgramsConstant) {
    EXPECT_STREQ("kwelvaprotsim", SCRIPT_PASS_PHRASE);
    EXPECT_EQ(13u, std::strlen(SCRIPT_PASS_PHRASE));
}

TEST(ScriptCipher, EncryptToHexKnownAnswers) {
    EXPECT_EQ(CString(kAbcHex), Encrypt("abc"));
    EXPECT_EQ(CString(kSixteenHex), Encrypt("0123456789abcdef"));
    EXPECT_EQ(CString(kSeventeenHex), Encrypt("0123456789abcdef0"));
}

TEST(ScriptCipher, EncryptToHexLengths) {
    EXPECT_EQ(CString(""), Encrypt(""));
    EXPECT_EQ(32, Encrypt("x").GetLength());
    EXPECT_EQ(32, Encrypt(CString('x', 15)).GetLength());
    EXPECT_EQ(32, Encrypt(CString('x', 16)).GetLength());
    EXPECT_EQ(64, Encrypt(CString('x', 17)).GetLength());
    EXPECT_EQ(64, Encrypt(CString('x', 32)).GetLength());
    EXPECT_EQ(96, Encrypt(CString('x', 33)).GetLength());
}

TEST(ScriptCipher, EncryptToHexWritesUpperCaseDigitsOnly) {
    CString hex = Encrypt(CString('q', 1000));
    ASSERT_EQ(2016, hex.GetLength());
    for (int i = 0; i < hex.GetLength(); ++i) {
        char c = hex[i];
        ASSERT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << "character " << i;
    }
}

TEST(ScriptCipher, EncryptToHexPadsWithSpacesNotZeros) {
    // "abc" and "abc" followed by 13 spaces are the same padded block.
    EXPECT_EQ(Encrypt("abc"), Encrypt("abc             "));
    EXPECT_NE(Encrypt("abc"), Encrypt(CString("abc\0\0\0\0\0\0\0\0\0\0\0\0\0", 16)));
}

TEST(ScriptCipher, EncryptToHexEncryptsEmbeddedNulBytes) {
    // The length, not a NUL, says where the text ends.
    CString withNul("ab\0cd", 5);
    EXPECT_NE(Encrypt("ab"), Encrypt(withNul));
    EXPECT_EQ(32, Encrypt(withNul).GetLength());
}

TEST(ScriptCipher, DecryptFromHexKnownAnswers) {
    EXPECT_EQ(CString("abc"), Decrypt(kAbcHex));
    EXPECT_EQ(CString("0123456789abcdef"), Decrypt(kSixteenHex));
    EXPECT_EQ(CString("0123456789abcdef0"), Decrypt(kSeventeenHex));
    // B1 BC B8 B2 " test" NUL "zz" and spaces: the text ends at the NUL.
    EXPECT_EQ(CString("굴림 test"), Decrypt("021060DAC6A7881E9B52AC6B5E652C97"));
    EXPECT_EQ(std::string("\xB1\xBC\xB8\xB2 test"), Bytes(Decrypt("021060DAC6A7881E9B52AC6B5E652C97")));
}

TEST(ScriptCipher, RoundTripDropsTrailingWhiteSpaceOnly) {
    EXPECT_EQ(CString("  lead and trail"), Decrypt(Encrypt("  lead and trail \t\r\n  ")));
    EXPECT_EQ(CString("a\nb\r\nc"), Decrypt(Encrypt("a\nb\r\nc\n")));
    EXPECT_EQ(CString(""), Decrypt(Encrypt("      ")));
}

TEST(ScriptCipher, RoundTripStopsAtTheFirstNul) {
    EXPECT_EQ(CString("ab"), Decrypt(Encrypt(CString("ab\0cd", 5))));
    EXPECT_EQ(CString(""), Decrypt(Encrypt(CString("\0abc", 4))));
}

TEST(ScriptCipher, RandomRoundTrips) {
    std::mt19937 rng(949);
    for (int n = 0; n < 300; ++n) {
        int len = (int)(rng() % 80);
        std::string s;
        for (int i = 0; i < len; ++i)
            s += (char)(1 + rng() % 255); // no NUL
        CString plain(s.data(), len);
        CString expected(plain);
        expected.TrimRight();
        CString hex = Encrypt(plain);
        ASSERT_EQ((len + 15) / 16 * 32, hex.GetLength());
        ASSERT_EQ(Bytes(expected), Bytes(Decrypt(hex))) << "case " << n;
    }
}

TEST(ScriptCipher, DecryptFromHexOfTooFewDigits) {
    EXPECT_EQ(CString(""), Decrypt(""));
    EXPECT_EQ(CString(""), Decrypt("8"));
    EXPECT_EQ(CString(""), Decrypt("\n"));
}

TEST(ScriptCipher, DecryptFromHexIgnoresALastOddCharacter) {
    CString base = Decrypt(kSeventeenHex);
    EXPECT_EQ(base, Decrypt(CString(kSeventeenHex) + "7"));
    EXPECT_EQ(base, Decrypt(CString(kSeventeenHex) + "\n"));
    EXPECT_EQ(CString("abc"), Decrypt(CString(kAbcHex) + "F"));
}

TEST(ScriptCipher, LowerCaseDigitsCountAsZero) {
    CString lower(kAbcHex);
    lower.MakeLower();
    ASSERT_NE(CString(kAbcHex), lower);
    EXPECT_NE(Decrypt(kAbcHex), Decrypt(lower));
    CString zeroed(lower);
    for (char c = 'a'; c <= 'f'; ++c)
        zeroed.Replace(c, '0');
    EXPECT_EQ(Bytes(Decrypt(zeroed)), Bytes(Decrypt(lower)));
}

TEST(ScriptCipher, EveryOtherCharacterCountsAsZero) {
    CString digits(kAbcHex);
    CString odd(digits);
    odd.SetAt(0, 'G');     // was '8'
    odd.SetAt(3, ' ');     // was '8'
    odd.SetAt(5, '\n');    // was '3'
    odd.SetAt(30, '\xB1'); // was '5'
    CString zeros(digits);
    zeros.SetAt(0, '0');
    zeros.SetAt(3, '0');
    zeros.SetAt(5, '0');
    zeros.SetAt(30, '0');
    EXPECT_EQ(Bytes(Decrypt(zeros)), Bytes(Decrypt(odd)));
    CString withNul(digits);
    withNul.SetAt(7, '\0');
    CString zero7(digits);
    zero7.SetAt(7, '0');
    EXPECT_EQ(Bytes(Decrypt(zero7)), Bytes(Decrypt(withNul)));
}

TEST(ScriptCipher, ShortLastBlockIsCompletedWithZeroBytes) {
    // Two digits: the block 41 00 00 ... 00, decrypted.
    BYTE key[16];
    std::memset(key, ' ', 16);
    std::memcpy(key, SCRIPT_PASS_PHRASE, 13);
    SeedKeySchedule ks;
    SeedExpandKey(&ks, key);
    BYTE block[17] = {0x41};
    SeedDecrypt(block, &ks);
    CString expected((LPCTSTR)block);
    expected.TrimRight();
    EXPECT_EQ(Bytes(expected), Bytes(Decrypt("41")));
    // Whatever the output string held before does not leak in.
    CScriptCipher c;
    c.SetKey(SCRIPT_PASS_PHRASE);
    CString out(CString('Z', 64));
    c.DecryptFromHex("41", &out);
    EXPECT_EQ(Bytes(expected), Bytes(out));
    // A whole block and two more digits: the first block decodes as usual.
    CString longer = Decrypt(CString(kAbcHex) + "41");
    EXPECT_EQ(0, std::strncmp(longer, "abc             ", 16));
}

TEST(ScriptCipher, KeyIsThePassPhrasePaddedWithSpaces) {
    EXPECT_EQ(Encrypt("abc", "kwelvaprotsim   "), Encrypt("abc", "kwelvaprotsim"));
    EXPECT_NE(Encrypt("abc", "kwelvaprotsim"), Encrypt("abc", "kwelvaprotsi"));
    // SetKey("") keys with 16 spaces.
    EXPECT_EQ(CString("8508BF93500C7D93BB5A962E6F68F8E5"), Encrypt("abc", ""));
    EXPECT_EQ(Encrypt("abc", "                "), Encrypt("abc", ""));
}

TEST(ScriptCipher, KeyUsesTheFirstSixteenBytesOnly) {
    EXPECT_EQ(CString("0F8A19DDA20941AC354F065D9D89018D"), Encrypt("abc", "abcdefghijklmnop"));
    EXPECT_EQ(Encrypt("abc", "abcdefghijklmnop"), Encrypt("abc", "abcdefghijklmnopqrst"));
    EXPECT_NE(Encrypt("abc", "abcdefghijklmnop"), Encrypt("abc", "abcdefghijklmno"));
}

TEST(ScriptCipher, SetKeyReplacesThePreviousKey) {
    CScriptCipher c;
    c.SetKey("first key");
    c.SetKey(SCRIPT_PASS_PHRASE);
    CString out;
    c.EncryptToHex("abc", &out);
    EXPECT_EQ(CString(kAbcHex), out);
}

TEST(ScriptCipher, ResultMayReplaceItsInput) {
    CScriptCipher c;
    c.SetKey(SCRIPT_PASS_PHRASE);
    CString s("abc");
    c.EncryptToHex(s, &s);
    EXPECT_EQ(CString(kAbcHex), s);
    c.DecryptFromHex(s, &s);
    EXPECT_EQ(CString("abc"), s);
}

CString DecryptBytes(const std::vector<BYTE>& bytes, int len) {
    CScriptCipher c;
    c.SetKey(SCRIPT_PASS_PHRASE);
    // An exactly sized heap copy, so a read past its end is caught by the address sanitizer.
    std::unique_ptr<BYTE[]> data(new BYTE[bytes.size() ? bytes.size() : 1]);
    if (!bytes.empty()) std::memcpy(data.get(), bytes.data(), bytes.size());
    CString out("left over");
    c.DecryptBuffer(&out, data.get(), len);
    return out;
}

TEST(ScriptCipher, DecryptBufferDecryptsEveryWholeBlockWithoutTrimming) {
    std::vector<BYTE> two = HexBytes(kSeventeenHex);
    ASSERT_EQ(32u, two.size());
    EXPECT_EQ(std::string("0123456789abcdef0               "), Bytes(DecryptBytes(two, 32)));
    std::vector<BYTE> one = HexBytes(kAbcHex);
    EXPECT_EQ(std::string("abc             "), Bytes(DecryptBytes(one, 16)));
}

TEST(ScriptCipher, DecryptBufferEndsAtTheFirstNul) {
    // One block holding B1 BC B8 B2 " test" NUL "zz" and spaces, then a second block.
    std::vector<BYTE> data = HexBytes("021060DAC6A7881E9B52AC6B5E652C97");
    std::vector<BYTE> more = HexBytes(kAbcHex);
    data.insert(data.end(), more.begin(), more.end());
    EXPECT_EQ(std::string("\xB1\xBC\xB8\xB2 test"), Bytes(DecryptBytes(data, 32)));
}

TEST(ScriptCipher, DecryptBufferKeepsAPartialTailAsItIs) {
    std::vector<BYTE> data = HexBytes(kAbcHex);
    const BYTE tail[] = {'x', 'y', 'z', 0x01};
    data.insert(data.end(), tail, tail + 4);
    EXPECT_EQ(std::string("abc             xyz\x01"), Bytes(DecryptBytes(data, 20)));
    // Fewer than 16 bytes: nothing to decrypt; the bytes up to a NUL are the text.
    std::vector<BYTE> shortData = {'h', 'i', 0, 'x'};
    EXPECT_EQ(std::string("hi"), Bytes(DecryptBytes(shortData, 4)));
    std::vector<BYTE> fifteen(15, 'k');
    EXPECT_EQ(std::string(15, 'k'), Bytes(DecryptBytes(fifteen, 15)));
}

TEST(ScriptCipher, DecryptBufferOfNothing) {
    EXPECT_EQ(std::string(), Bytes(DecryptBytes({}, 0)));
    EXPECT_EQ(std::string(), Bytes(DecryptBytes({1, 2, 3}, -5)));
    CScriptCipher c;
    c.SetKey(SCRIPT_PASS_PHRASE);
    CString out("left over");
    c.DecryptBuffer(&out, nullptr, 16);
    EXPECT_TRUE(out.IsEmpty());
}

TEST(ScriptCipher, DecryptBufferFromTheResultStringItself) {
    std::vector<BYTE> data = HexBytes(kAbcHex);
    CString s((LPCTSTR)data.data(), 16);
    CScriptCipher c;
    c.SetKey(SCRIPT_PASS_PHRASE);
    c.DecryptBuffer(&s, (const BYTE*)(LPCTSTR)s, 16);
    EXPECT_EQ(std::string("abc             "), Bytes(s));
}

TEST(ScriptCipher, EncryptBlocksIsTheInverseOfDecryptBuffer) {
    std::string text = "compiled script text";
    std::vector<BYTE> data(32, 0);
    std::memcpy(data.data(), text.data(), text.size());
    CScriptCipher c;
    c.SetKey(SCRIPT_PASS_PHRASE);
    c.EncryptBlocks(data.data(), 32);
    EXPECT_NE(0, std::memcmp(data.data(), text.data(), text.size()));
    EXPECT_EQ(text, Bytes(DecryptBytes(data, 32)));
    // The first block is the same as EncryptToHex's for the same 16 bytes.
    std::vector<BYTE> block(text.begin(), text.begin() + 16);
    c.EncryptBlocks(block.data(), 16);
    std::vector<BYTE> expected = HexBytes(Encrypt(CString(text.data(), 16)));
    EXPECT_EQ(expected, block);
    // A partial block stays as it is.
    BYTE partial[5] = {1, 2, 3, 4, 5};
    c.EncryptBlocks(partial, 5);
    EXPECT_EQ(5, partial[4]);
}

TEST(ScriptCipher, LargeTextRoundTrip) {
    std::string s(1 << 20, 'a');
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = (char)('a' + i % 23);
    CString plain(s.data(), (int)s.size());
    CString hex = Encrypt(plain);
    EXPECT_EQ(2 << 20, hex.GetLength());
    EXPECT_EQ(s, Bytes(Decrypt(hex)));
}

TEST(ScriptCipher, MaskedFunctionsAreExactNames) {
    EXPECT_TRUE(IsMaskedFunction("LoadInputFID"));
    EXPECT_TRUE(IsMaskedFunction("S_UpperLower"));
    EXPECT_FALSE(IsMaskedFunction("loadinputfid"));
    EXPECT_FALSE(IsMaskedFunction("LoadInputFid"));
    EXPECT_FALSE(IsMaskedFunction("S_UpperLower "));
    EXPECT_FALSE(IsMaskedFunction(" LoadInputFID"));
    EXPECT_FALSE(IsMaskedFunction("S_UpperLowe"));
    EXPECT_FALSE(IsMaskedFunction(""));
    EXPECT_FALSE(IsMaskedFunction(nullptr));
}

TEST(ScriptCipher, MaskTraceDetailIsEncryptToHexUnderThePassPhrase) {
    EXPECT_EQ(CString(kAbcHex), MaskTraceDetail("abc"));
    EXPECT_EQ(CString(""), MaskTraceDetail(""));
    CString masked = MaskTraceDetail(CString('d', 250));
    EXPECT_EQ(512, masked.GetLength());
    EXPECT_EQ(CString('d', 250), Decrypt(masked));
}

} // namespace
