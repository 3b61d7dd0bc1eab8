// The protected script files: the listing (.vkl) and compiled script (.vkc) readers with their
// boundaries, and the writers whose files the readers show back.
#include "ScriptCipher.h"
#include "ScriptFiles.h"
#include "script_test_files.h"

#include <cstring>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace {

const std::string kHeader = "Valkorine Compiled Script V2.0  ";
// "abc" and 13 spaces, encrypted under the pass phrase's key.
const char kAbcHex[] = "83A83D03FA14A3EC6266C626DCDEC251";

std::string HexToBytes(const std::string& hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out += (char)std::stoi(hex.substr(i, 2), nullptr, 16);
    return out;
}

std::string EncryptZeroPadded(const std::string& text) {
    std::string data = text;
    data.resize((text.size() + 15) / 16 * 16, '\0');
    CScriptCipher c;
    c.SetKey(SCRIPT_PASS_PHRASE);
    c.EncryptBlocks((BYTE*)&data[0], (int)data.size());
    return data;
}

class ScriptFiles : public ::testing::Test {
protected:
    ScriptFileResult Listing(const std::string& bytes, std::string* shown) {
        std::string path = dir.Path("script.vkl");
        WriteFileBytes(path, bytes);
        CString text("left over");
        ScriptFileResult r = ReadScriptListing(path.c_str(), &text);
        *shown = text.str();
        return r;
    }
    ScriptFileResult Compiled(const std::string& bytes, std::string* shown) {
        std::string path = dir.Path("script.vkc");
        WriteFileBytes(path, bytes);
        CString text("left over");
        ScriptFileResult r = ReadCompiledScript(path.c_str(), &text);
        *shown = text.str();
        return r;
    }

    ScratchDir dir;
};

// ---- Compiled scripts ---------------------------------------------------------------------------

TEST_F(ScriptFiles, CompiledHeaderIsTheExactThirtyTwoBytes) {
    EXPECT_EQ(32u, std::strlen(COMPILED_SCRIPT_HEADER));
    EXPECT_EQ(kHeader, std::string(COMPILED_SCRIPT_HEADER));
    EXPECT_EQ(32, COMPILED_SCRIPT_HEADER_SIZE);
}

TEST_F(ScriptFiles, CompiledScriptShowsItsText) {
    std::string shown;
    EXPECT_EQ(SCRIPT_FILE_OK, Compiled(kHeader + EncryptZeroPadded("print \"hello\"\r\nend"), &shown));
    EXPECT_EQ("print \"hello\"\r\nend", shown);
}

TEST_F(ScriptFiles, CompiledHeaderAloneShowsNothing) {
    std::string shown;
    EXPECT_EQ(SCRIPT_FILE_TOO_SHORT, Compiled(kHeader, &shown));
    EXPECT_EQ("", shown);
    EXPECT_EQ(SCRIPT_FILE_TOO_SHORT, Compiled("", &shown));
    EXPECT_EQ(SCRIPT_FILE_TOO_SHORT, Compiled(kHeader.substr(0, 31), &shown));
    // The length is checked before the header.
    EXPECT_EQ(SCRIPT_FILE_TOO_SHORT, Compiled(std::string(32, 'x'), &shown));
}

TEST_F(ScriptFiles, CompiledHeaderAndOneBlockDecryptsThatBlockWithoutTrimming) {
    std::string shown;
    EXPECT_EQ(SCRIPT_FILE_OK, Compiled(kHeader + HexToBytes(kAbcHex), &shown));
    EXPECT_EQ("abc             ", shown);
}

TEST_F(ScriptFiles, CompiledHeaderWithOneTrailingSpaceIsRejected) {
    std::string shown;
    std::string body = HexToBytes(kAbcHex);
    EXPECT_EQ(SCRIPT_FILE_BAD_HEADER, Compiled(kHeader.substr(0, 31) + "X" + body, &shown));
    EXPECT_EQ("", shown);
    EXPECT_EQ(SCRIPT_FILE_BAD_HEADER, Compiled(kHeader.substr(0, 31) + std::string(1, '\0') + body, &shown));
    EXPECT_EQ(SCRIPT_FILE_BAD_HEADER, Compiled(kHeader.substr(0, 31) + "\t" + body, &shown));
}

TEST_F(ScriptFiles, CompiledHeaderIsCaseSensitiveAndExact) {
    std::string shown, body = HexToBytes(kAbcHex);
    EXPECT_EQ(SCRIPT_FILE_BAD_HEADER, Compiled("valkorine Compiled Script V2.0  " + body, &shown));
    EXPECT_EQ(SCRIPT_FILE_BAD_HEADER, Compiled("Valkorine Compiled Script V2.1  " + body, &shown));
    EXPECT_EQ(SCRIPT_FILE_BAD_HEADER, Compiled(" Valkorine Compiled Script V2.0 " + body, &shown));
    std::string nulInside = kHeader;
    nulInside[10] = '\0';
    EXPECT_EQ(SCRIPT_FILE_BAD_HEADER, Compiled(nulInside + body, &shown));
}

TEST_F(ScriptFiles, CompiledPayloadWithAPartialLastBlock) {
    std::string shown;
    // A whole block, then three bytes that cannot be decrypted and are kept as they are.
    EXPECT_EQ(SCRIPT_FILE_OK, Compiled(kHeader + HexToBytes(kAbcHex) + "\x01\x02\x03", &shown));
    EXPECT_EQ("abc             \x01\x02\x03", shown);
    // Fewer bytes than one block: nothing is decrypted.
    EXPECT_EQ(SCRIPT_FILE_OK, Compiled(kHeader + "xyz", &shown));
    EXPECT_EQ("xyz", shown);
    EXPECT_EQ(SCRIPT_FILE_OK, Compiled(kHeader + std::string(1, '\0') + "xyz", &shown));
    EXPECT_EQ("", shown);
}

TEST_F(ScriptFiles, TruncatedCompiledScriptShowsItsWholeBlocks) {
    const std::string text = "0123456789abcdefGHIJKLMNOPQRSTUVwxyz";
    std::string file = kHeader + EncryptZeroPadded(text);
    ASSERT_EQ(32u + 48u, file.size());
    std::string shown;
    ASSERT_EQ(SCRIPT_FILE_OK, Compiled(file.substr(0, 32 + 20), &shown));
    ASSERT_EQ(20u, shown.size()); // no NUL among the raw tail bytes of this ciphertext
    EXPECT_EQ(text.substr(0, 16), shown.substr(0, 16));
    EXPECT_EQ(file.substr(48, 4), shown.substr(16));
    ASSERT_EQ(SCRIPT_FILE_OK, Compiled(file.substr(0, 32 + 32), &shown));
    EXPECT_EQ(text.substr(0, 32), shown);
}

TEST_F(ScriptFiles, CompiledTextEndsAtTheFirstNul) {
    std::string shown;
    EXPECT_EQ(SCRIPT_FILE_OK,
              Compiled(kHeader + EncryptZeroPadded(std::string("ab\0cd", 5) + std::string(40, 'z')), &shown));
    EXPECT_EQ("ab", shown);
}

TEST_F(ScriptFiles, CompiledScriptThatCannotBeOpened) {
    CString text("left over");
    EXPECT_EQ(SCRIPT_FILE_CANNOT_OPEN, ReadCompiledScript(dir.Path("missing.vkc").c_str(), &text));
    EXPECT_TRUE(text.IsEmpty());
    std::filesystem::create_directories(dir.Path("folder.vkc"));
    EXPECT_EQ(SCRIPT_FILE_CANNOT_OPEN, ReadCompiledScript(dir.Path("folder.vkc").c_str(), &text));
    EXPECT_EQ(SCRIPT_FILE_CANNOT_OPEN, ReadCompiledScript(nullptr, &text));
}

TEST_F(ScriptFiles, CompiledScriptLargerThanATextIsRefused) {
    // A sparse file: the header, then more bytes than a CString can hold. Refused before any
    // allocation or read.
    std::string path = dir.Path("huge.vkc");
    WriteFileBytes(path, kHeader + HexToBytes(kAbcHex));
    std::filesystem::resize_file(path, 32ull + 0x80000000ull);
    CString text("left over");
    EXPECT_EQ(SCRIPT_FILE_TOO_LARGE, ReadCompiledScript(path.c_str(), &text));
    EXPECT_TRUE(text.IsEmpty());
}

// ---- Listings -----------------------------------------------------------------------------------

TEST_F(ScriptFiles, ListingOfThirtyTwoDigitsAndALineFeedDecodesOneBlock) {
    std::string shown;
    EXPECT_EQ(SCRIPT_FILE_OK, Listing(std::string(kAbcHex) + "\n", &shown));
    EXPECT_EQ("abc", shown);
    EXPECT_EQ(SCRIPT_FILE_OK, Listing(std::string(kAbcHex) + "\r\n", &shown));
    EXPECT_EQ("abc", shown);
    EXPECT_EQ(SCRIPT_FILE_OK, Listing(kAbcHex, &shown));
    EXPECT_EQ("abc", shown);
}

TEST_F(ScriptFiles, ListingOfFourteenDigitsAndALineFeedShowsNothing) {
    std::string shown;
    EXPECT_EQ(SCRIPT_FILE_TOO_SHORT, Listing("83A83D03FA14A3\n", &shown));
    EXPECT_EQ("", shown);
    EXPECT_EQ(SCRIPT_FILE_TOO_SHORT, Listing("83A83D03FA14A3E", &shown));    // 15 characters, no line end
    EXPECT_EQ(SCRIPT_FILE_TOO_SHORT, Listing("83A83D03FA14A3\r\n", &shown)); // CR LF reads as one LF
    EXPECT_EQ(SCRIPT_FILE_TOO_SHORT, Listing("", &shown));
    EXPECT_EQ(SCRIPT_FILE_TOO_SHORT, Listing("\n" + std::string(kAbcHex) + "\n", &shown));
}

TEST_F(ScriptFiles, ListingLineOfSixteenCharactersIsDecoded) {
    // Fifteen digits and a line feed: eight pairs, the last one "E" and the line feed, which counts
    // as the digit 0; completed with zero bytes to one block.
    std::string shown;
    EXPECT_EQ(SCRIPT_FILE_OK, Listing("83A83D03FA14A3E\n", &shown));
    CScriptCipher c;
    c.SetKey(SCRIPT_PASS_PHRASE);
    CString expected;
    c.DecryptFromHex("83A83D03FA14A3E0", &expected);
    EXPECT_EQ(expected.str(), shown);
}

TEST_F(ScriptFiles, ListingReadsTheFirstLineOnly) {
    std::string shown;
    EXPECT_EQ(SCRIPT_FILE_OK, Listing(std::string(kAbcHex) + "\n" + kAbcHex + "\ngarbage\n", &shown));
    EXPECT_EQ("abc", shown);
}

TEST_F(ScriptFiles, ListingWithLowerCaseDigitsGivesAnotherText) {
    std::string lower = kAbcHex;
    for (char& ch : lower)
        ch = (char)std::tolower((unsigned char)ch);
    std::string shownUpper, shownLower;
    EXPECT_EQ(SCRIPT_FILE_OK, Listing(std::string(kAbcHex) + "\n", &shownUpper));
    EXPECT_EQ(SCRIPT_FILE_OK, Listing(lower + "\n", &shownLower));
    EXPECT_NE(shownUpper, shownLower);
}

TEST_F(ScriptFiles, ListingCharactersOtherThanDigitsCountAsZero) {
    std::string odd = kAbcHex, zeros = kAbcHex;
    odd[0] = 'G';
    odd[9] = ' ';
    zeros[0] = '0';
    zeros[9] = '0';
    std::string a, b;
    EXPECT_EQ(SCRIPT_FILE_OK, Listing(odd + "\n", &a));
    EXPECT_EQ(SCRIPT_FILE_OK, Listing(zeros + "\n", &b));
    EXPECT_EQ(b, a);
}

TEST_F(ScriptFiles, ListingLineIsReadWholePastTheReadBuffer) {
    // 31,250 blocks of digits on one line, one character more than the reader's buffer holds
    // with the line feed: every block decodes, and a second line is not read.
    std::string text;
    for (int i = 0; i < 31250 * 16; ++i)
        text += (char)('a' + i % 26);
    CScriptCipher c;
    c.SetKey(SCRIPT_PASS_PHRASE);
    CString hex;
    c.EncryptToHex(CString(text.data(), (int)text.size()), &hex);
    ASSERT_EQ(SCRIPT_LISTING_LINE_MAX, hex.GetLength());
    std::string shown;
    ASSERT_EQ(SCRIPT_FILE_OK, Listing(hex.str() + "\n" + std::string(kAbcHex) + "\n", &shown));
    EXPECT_EQ(text, shown);
}

TEST_F(ScriptFiles, ListingThatCannotBeOpened) {
    CString text("left over");
    EXPECT_EQ(SCRIPT_FILE_CANNOT_OPEN, ReadScriptListing(dir.Path("missing.vkl").c_str(), &text));
    EXPECT_TRUE(text.IsEmpty());
    std::filesystem::create_directories(dir.Path("folder.vkl"));
    EXPECT_EQ(SCRIPT_FILE_CANNOT_OPEN, ReadScriptListing(dir.Path("folder.vkl").c_str(), &text));
}

// ---- Writers ------------------------------------------------------------------------------------

TEST_F(ScriptFiles, ListingWriterWritesTheDigitsAndACrLf) {
    std::string path = dir.Path("out.vkl");
    ASSERT_EQ(SCRIPT_FILE_OK, WriteScriptListing(path.c_str(), "abc"));
    EXPECT_EQ(std::string(kAbcHex) + "\r\n", ReadFileBytes(path));
}

TEST_F(ScriptFiles, ListingWriterRoundTrip) {
    const char* texts[] = {"x", "line 1\nline 2\r\nline 3", "굴림 글꼴 ^ detail | with bars",
                           "exactly sixteen!", "trailing white space  \n\t "};
    for (const char* t : texts) {
        std::string path = dir.Path("round.vkl");
        ASSERT_EQ(SCRIPT_FILE_OK, WriteScriptListing(path.c_str(), t));
        CString shown;
        ASSERT_EQ(SCRIPT_FILE_OK, ReadScriptListing(path.c_str(), &shown));
        CString expected(t);
        expected.TrimRight();
        EXPECT_EQ(expected.str(), shown.str());
    }
}

TEST_F(ScriptFiles, ListingWriterLimits) {
    std::string path = dir.Path("big.vkl");
    // Longer than one read of the viewer's buffer.
    std::string longest(SCRIPT_LISTING_LINE_MAX, 'L');
    longest[0] = 'F';
    ASSERT_EQ(SCRIPT_FILE_OK, WriteScriptListing(path.c_str(), CString(longest.data(), (int)longest.size())));
    CString shown;
    ASSERT_EQ(SCRIPT_FILE_OK, ReadScriptListing(path.c_str(), &shown));
    EXPECT_EQ(longest, shown.str());

    EXPECT_EQ(SCRIPT_FILE_TEXT_HAS_NUL,
              WriteScriptListing(dir.Path("with-nul.vkl").c_str(), CString("ab\0c", 4)));
    EXPECT_FALSE(std::filesystem::exists(dir.Path("with-nul.vkl")));
}

TEST_F(ScriptFiles, CompiledWriterWritesHeaderAndZeroPaddedBlocks) {
    std::string path = dir.Path("out.vkc");
    ASSERT_EQ(SCRIPT_FILE_OK, WriteCompiledScript(path.c_str(), "hello"));
    std::string bytes = ReadFileBytes(path);
    ASSERT_EQ(48u, bytes.size());
    EXPECT_EQ(kHeader, bytes.substr(0, 32));
    EXPECT_EQ(EncryptZeroPadded("hello"), bytes.substr(32));
    ASSERT_EQ(SCRIPT_FILE_OK, WriteCompiledScript(path.c_str(), "exactly sixteen!"));
    EXPECT_EQ(48u, ReadFileBytes(path).size());
    ASSERT_EQ(SCRIPT_FILE_OK, WriteCompiledScript(path.c_str(), "seventeen bytes!!"));
    EXPECT_EQ(64u, ReadFileBytes(path).size());
}

TEST_F(ScriptFiles, CompiledWriterRoundTripIsExact) {
    const char* texts[] = {"x", "line 1\nline 2\r\nline 3\r\n", "굴림 ^ | trailing  \t\n",
                           "exactly sixteen!"};
    for (const char* t : texts) {
        std::string path = dir.Path("round.vkc");
        ASSERT_EQ(SCRIPT_FILE_OK, WriteCompiledScript(path.c_str(), t));
        CString shown;
        ASSERT_EQ(SCRIPT_FILE_OK, ReadCompiledScript(path.c_str(), &shown));
        EXPECT_EQ(std::string(t), shown.str());
    }
}

TEST_F(ScriptFiles, CompiledWriterFailures) {
    EXPECT_EQ(SCRIPT_FILE_TEXT_HAS_NUL,
              WriteCompiledScript(dir.Path("with-nul.vkc").c_str(), CString("ab\0c", 4)));
    EXPECT_EQ(SCRIPT_FILE_CANNOT_OPEN, WriteCompiledScript(dir.Path("no/such/dir/x.vkc").c_str(), "abc"));
    EXPECT_EQ(SCRIPT_FILE_CANNOT_OPEN, WriteScriptListing(dir.Path("no/such/dir/x.vkl").c_str(), "abc"));
    // An empty text is the header alone, which the viewer shows nothing for.
    std::string path = dir.Path("empty.vkc");
    ASSERT_EQ(SCRIPT_FILE_OK, WriteCompiledScript(path.c_str(), ""));
    EXPECT_EQ(kHeader, ReadFileBytes(path));
    CString shown;
    EXPECT_EQ(SCRIPT_FILE_TOO_SHORT, ReadCompiledScript(path.c_str(), &shown));
}

// ---- Extensions ---------------------------------------------------------------------------------

TEST(ScriptFileKinds, ExtensionIsTheTextAfterTheLastDot) {
    EXPECT_EQ(CString("vkl"), ExtractFileExtension("C:\\scripts\\script.vkl"));
    EXPECT_EQ(CString("vkc"), ExtractFileExtension("notes.tar.vkc"));
    EXPECT_EQ(CString(""), ExtractFileExtension("readme"));
    EXPECT_EQ(CString(""), ExtractFileExtension("file."));
    EXPECT_EQ(CString("d\\readme"), ExtractFileExtension("C:\\my.d\\readme"));
}

TEST(ScriptFileKinds, DroppedFilesAreClassifiedByUpperCasedExtension) {
    EXPECT_EQ(DROPPED_FILE_LISTING, ClassifyDroppedFile("script.vkl"));
    EXPECT_EQ(DROPPED_FILE_LISTING, ClassifyDroppedFile("SCRIPT.VKL"));
    EXPECT_EQ(DROPPED_FILE_LISTING, ClassifyDroppedFile("Script.VkL"));
    EXPECT_EQ(DROPPED_FILE_COMPILED, ClassifyDroppedFile("notes.tar.vkc"));
    EXPECT_EQ(DROPPED_FILE_TRACE, ClassifyDroppedFile("C:\\traces\\run.Vkp"));
    EXPECT_EQ(DROPPED_FILE_OTHER, ClassifyDroppedFile("readme"));
    EXPECT_EQ(DROPPED_FILE_OTHER, ClassifyDroppedFile("C:\\x.vkl\\readme"));
    EXPECT_EQ(DROPPED_FILE_OTHER, ClassifyDroppedFile("script.vkl "));
    EXPECT_EQ(DROPPED_FILE_OTHER, ClassifyDroppedFile("script.vk"));
    EXPECT_EQ(DROPPED_FILE_OTHER, ClassifyDroppedFile("script.vklx"));
    EXPECT_EQ(DROPPED_FILE_LISTING, ClassifyDroppedFile("굴림.vkl"));
}

TEST(ScriptFileKinds, EveryResultHasItsOwnDescription) {
    std::set<std::string> seen;
    for (int r = SCRIPT_FILE_OK; r <= SCRIPT_FILE_TEXT_TOO_LONG; ++r) {
        std::string d = DescribeScriptFileResult((ScriptFileResult)r);
        EXPECT_FALSE(d.empty());
        EXPECT_TRUE(seen.insert(d).second) << d;
    }
}

} // namespace
