// vktool's script commands: mask, lock, pack and show, called as the program calls them, with
// their output and messages captured; and, natively, the built program's dispatch.
#include "ScriptCipher.h"
#include "ScriptFiles.h"
#include "script_test_files.h"
#include "text_encoding.h"
#include "vktool.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#ifndef _WIN32
#include <clocale>
#include <csignal>
#include <locale.h>
#include <sys/resource.h>
#include <sys/wait.h>
#endif

namespace {

const char kAbcHex[] = "83A83D03FA14A3EC6266C626DCDEC251";

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

class VkTool : public ::testing::Test {
protected:
    typedef int (*Command)(int, char**, FILE*, FILE*);

    Outcome Run(Command command, std::vector<std::string> args) {
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(&a[0]);
        argv.push_back(nullptr);
        std::string outPath = dir.Path("stdout"), errPath = dir.Path("stderr");
        FILE* out = std::fopen(outPath.c_str(), "w+b");
        FILE* err = std::fopen(errPath.c_str(), "w+b");
        EXPECT_TRUE(out && err);
        Outcome o;
        o.status = command((int)args.size(), argv.data(), out, err);
        std::fclose(out);
        std::fclose(err);
        o.out = ReadFileBytes(outPath);
        o.err = ReadFileBytes(errPath);
        return o;
    }

    std::string P(const std::string& name) { return dir.Path(name); }

    ScratchDir dir;
};

TEST_F(VkTool, MaskPrintsOneMaskedDetailPerLine) {
    Outcome o = Run(VkMask, {"abc", "", "abc"});
    EXPECT_EQ(VK_EXIT_OK, o.status);
    EXPECT_EQ(std::string(kAbcHex) + "\n\n" + kAbcHex + "\n", o.out);
    EXPECT_EQ("", o.err);
}

TEST_F(VkTool, MaskIsWhatTheDebuggerStores) {
    std::string detail = "input=굴림 | x^y\nz";
    Outcome o = Run(VkMask, {detail});
    EXPECT_EQ(MaskTraceDetail(CString(detail.c_str())).str() + "\n", o.out);
    EXPECT_EQ(64u + 1u, o.out.size());
}

TEST_F(VkTool, MaskWithoutTextIsAUsageError) {
    Outcome o = Run(VkMask, {});
    EXPECT_EQ(VK_EXIT_USAGE, o.status);
    EXPECT_EQ("", o.out);
    EXPECT_NE(std::string::npos, o.err.find("usage: vktool mask TEXT..."));
}

TEST_F(VkTool, LockThenShowGivesTheTextWithoutTrailingWhiteSpace) {
    const std::string text = "function main()\r\n    print(\"굴림\")\r\nend\r\n\r\n";
    WriteFileBytes(P("in.txt"), text);
    Outcome lock = Run(VkLock, {P("in.txt"), P("out.vkl")});
    ASSERT_EQ(VK_EXIT_OK, lock.status) << lock.err;
    EXPECT_EQ("", lock.err);
    std::string file = ReadFileBytes(P("out.vkl"));
    ASSERT_EQ((text.size() + 15) / 16 * 32 + 2, file.size());
    EXPECT_EQ("\r\n", file.substr(file.size() - 2));

    Outcome show = Run(VkShow, {P("out.vkl")});
    EXPECT_EQ(VK_EXIT_OK, show.status) << show.err;
    EXPECT_EQ("function main()\r\n    print(\"굴림\")\r\nend\n", show.out) << "a line end for the prompt";
    EXPECT_EQ("", show.err);
}

TEST_F(VkTool, PackThenShowGivesTheTextExactly) {
    const std::string text = "function main()\n    print(\"x\")  \nend\n\n";
    WriteFileBytes(P("in.txt"), text);
    Outcome pack = Run(VkPack, {P("in.txt"), P("out.VKC")});
    ASSERT_EQ(VK_EXIT_OK, pack.status) << pack.err;
    EXPECT_EQ("", pack.err);
    std::string file = ReadFileBytes(P("out.VKC"));
    EXPECT_EQ(32 + (text.size() + 15) / 16 * 16, file.size());
    EXPECT_EQ(std::string(COMPILED_SCRIPT_HEADER), file.substr(0, 32));

    Outcome show = Run(VkShow, {P("out.VKC")});
    EXPECT_EQ(VK_EXIT_OK, show.status) << show.err;
    EXPECT_EQ(text, show.out);
}

TEST_F(VkTool, ShowUsesTheSameCodeAsTheViewers) {
    WriteFileBytes(P("a.vkc"), std::string(COMPILED_SCRIPT_HEADER) + "\x01\x02\x03");
    CString viewer;
    ASSERT_EQ(SCRIPT_FILE_OK, ReadCompiledScript(P("a.vkc").c_str(), &viewer));
    Outcome o = Run(VkShow, {P("a.vkc")});
    EXPECT_EQ(VK_EXIT_OK, o.status);
    EXPECT_EQ(viewer.str() + "\n", o.out);
    EXPECT_EQ("\x01\x02\x03\n", o.out);
    EXPECT_EQ("\x01\x02\x03", Run(VkShow, {P("a.vkc"), "--raw"}).out) << "the bytes as they are";
}

TEST_F(VkTool, ShowOfAListingWithALowerCaseExtension) {
    WriteFileBytes(P("Script.VkL"), std::string(kAbcHex) + "\r\n");
    Outcome o = Run(VkShow, {P("Script.VkL")});
    EXPECT_EQ(VK_EXIT_OK, o.status);
    EXPECT_EQ("abc\n", o.out);
}

void ExpectFailure(const Outcome& o, const std::string& message) {
    EXPECT_EQ(VK_EXIT_FAILURE, o.status);
    EXPECT_EQ("", o.out);
    EXPECT_NE(std::string::npos, o.err.find(message)) << "stderr: " << o.err;
}

TEST_F(VkTool, ShowFailures) {
    ExpectFailure(Run(VkShow, {P("missing.vkl")}), "missing.vkl: cannot open the file");
    ExpectFailure(Run(VkShow, {P("missing.vkc")}), "missing.vkc: cannot open the file");

    WriteFileBytes(P("bad.vkc"), std::string("Valkorine Compiled Script V2.0 X") + std::string(16, 'a'));
    ExpectFailure(Run(VkShow, {P("bad.vkc")}), "does not start with the compiled script header");

    WriteFileBytes(P("short.vkc"), COMPILED_SCRIPT_HEADER);
    ExpectFailure(Run(VkShow, {P("short.vkc")}), "too short to hold an encrypted block");
    WriteFileBytes(P("short.vkl"), "83A83D03FA14A3\n");
    ExpectFailure(Run(VkShow, {P("short.vkl")}), "too short to hold an encrypted block");
    WriteFileBytes(P("empty.vkl"), "");
    ExpectFailure(Run(VkShow, {P("empty.vkl")}), "too short to hold an encrypted block");

    ExpectFailure(Run(VkShow, {P("missing.vkp")}),
                  "missing.vkp: cannot open the file: there is no such file");
    std::filesystem::create_directory(P("folder.vkp"));
    ExpectFailure(Run(VkShow, {P("folder.vkp")}), "folder.vkp: cannot open the file: it is a folder");
    ExpectFailure(Run(VkShow, {P("trace.vkx")}), "unknown extension \".vkx\" (expected .vkl, .vkc or .vkp)");
    WriteFileBytes(P("readme"), "text");
    ExpectFailure(Run(VkShow, {P("readme")}), "no extension (expected .vkl, .vkc or .vkp)");
}

TEST_F(VkTool, ShowPrintsATraceFileAsATable) {
    // Columns as wide as their longest text; a detail's line feeds and "^" start lines of their
    // own under the detail's column; "|" inside a detail and Korean text pass through as bytes.
    WriteFileBytes(P("trace.VKP"), "Main|0|" + std::string(12, '-') +
                                       "\r\n"
                                       "     한글함수|1234567|a|b\\nc^d\r\n"
                                       "x\r\n"
                                       "     Empty|15|\r\n");
    Outcome o = Run(VkShow, {P("trace.VKP")});
    EXPECT_EQ(VK_EXIT_OK, o.status) << o.err;
    EXPECT_EQ("Function         Delay  Result\n"
              "-------------  -------  ------\n"
              "Main                 0  ------------\n"
              "     한글함수  1234567  a|b\n"
              "                        c\n"
              "                        d\n"
              "     Empty          15  \n",
              o.out);
    EXPECT_EQ("", o.err);
    WriteFileBytes(P("empty.vkp"), "");
    EXPECT_EQ("Function  Delay  Result\n--------  -----  ------\n", Run(VkShow, {P("empty.vkp")}).out);
}

TEST_F(VkTool, ShowUsage) {
    Outcome none = Run(VkShow, {});
    EXPECT_EQ(VK_EXIT_USAGE, none.status);
    EXPECT_NE(std::string::npos, none.err.find("usage: vktool show"));
    EXPECT_EQ(VK_EXIT_USAGE, Run(VkShow, {"a.vkl", "b.vkl"}).status);
}

TEST_F(VkTool, LockAndPackFailures) {
    ExpectFailure(Run(VkLock, {P("missing.txt"), P("out.vkl")}), "missing.txt: cannot open the file");
    ExpectFailure(Run(VkPack, {P("missing.txt"), P("out.vkc")}), "missing.txt: cannot open the file");

    WriteFileBytes(P("empty.txt"), "");
    ExpectFailure(Run(VkLock, {P("empty.txt"), P("out.vkl")}), "empty.txt: the file is empty");
    ExpectFailure(Run(VkPack, {P("empty.txt"), P("out.vkc")}), "empty.txt: the file is empty");

    WriteFileBytes(P("with-nul.txt"), std::string("ab\0cd", 5));
    ExpectFailure(Run(VkLock, {P("with-nul.txt"), P("out.vkl")}),
                  "with-nul.txt: the text contains a NUL byte");
    ExpectFailure(Run(VkPack, {P("with-nul.txt"), P("out.vkc")}),
                  "with-nul.txt: the text contains a NUL byte");

    WriteFileBytes(P("in.txt"), "text");
    ExpectFailure(Run(VkLock, {P("in.txt"), P("no/such/dir/out.vkl")}), "out.vkl: cannot open the file");
    ExpectFailure(Run(VkPack, {P("in.txt"), P("no/such/dir/out.vkc")}), "out.vkc: cannot open the file");
    EXPECT_FALSE(std::filesystem::exists(P("out.vkl")));
    EXPECT_FALSE(std::filesystem::exists(P("out.vkc")));
}

TEST_F(VkTool, InputLargerThanATextIsRefused) {
    WriteFileBytes(P("huge.txt"), "x");
    std::filesystem::resize_file(P("huge.txt"), 0x80000000ull);
    ExpectFailure(Run(VkPack, {P("huge.txt"), P("out.vkc")}), "huge.txt: the file is too large");
    EXPECT_FALSE(std::filesystem::exists(P("out.vkc")));
}

TEST_F(VkTool, OversizedTextsTheInputAsOutputAndAFailedWriteLeaveEveryFileAsItWas) {
    const std::string text(40, 't'); // 48 bytes packed, 96 digits and a line end as a listing
    WriteFileBytes(P("in.txt"), text);
    WriteFileBytes(P("big.txt"), std::string(65, 'b'));
    std::filesystem::create_hard_link(P("in.txt"), P("link.txt"));
    for (const std::string& out : {P("in.txt"), P("./in.txt"), P("link.txt")}) {
        EXPECT_EQ(VK_EXIT_USAGE, Run(VkLock, {P("in.txt"), out}).status) << out;
        EXPECT_NE(std::string::npos, Run(VkPack, {P("in.txt"), out}).err.find("is the input file")) << out;
    }
    EXPECT_EQ(text, ReadFileBytes(P("in.txt")));
    ASSERT_EQ(VK_EXIT_OK, Run(VkLock, {P("big.txt"), P("big.vkl")}).status);
    ASSERT_EQ(VK_EXIT_OK, Run(VkPack, {P("big.txt"), P("big.vkc")}).status);
    // Texts longer than a string holds, with the limit lowered to 64 bytes.
    SetScriptTextLimit(64);
    const struct {
        Command command;
        std::vector<std::string> args;
        std::string message;
    } cases[] = {{VkLock, {P("big.txt"), P("out.vkl")}, "big.txt: the file is too large"},
                 {VkPack, {P("big.txt"), P("out.vkl")}, "big.txt: the file is too large"},
                 {VkLock, {P("in.txt"), P("out.vkl")}, "in.txt: the text is too long"},
                 {VkShow, {P("big.vkl")}, "big.vkl: the file is too large"},
                 {VkShow, {P("big.vkc")}, "big.vkc: the file is too large"}};
    for (const auto& c : cases)
        ExpectFailure(Run(c.command, c.args), c.message);
    EXPECT_EQ(VK_EXIT_OK, Run(VkPack, {P("in.txt"), P("out.vkc")}).status);
    SetScriptTextLimit(0);
    EXPECT_FALSE(std::filesystem::exists(P("out.vkl")));
#ifndef _WIN32
    // A disk that fills halfway (a file size limit): the earlier output stays whole, and no
    // temporary file is left beside it.
    ASSERT_EQ(VK_EXIT_OK, Run(VkLock, {P("in.txt"), P("good.vkl")}).status);
    const std::string kept = ReadFileBytes(P("good.vkl")); // 98 bytes; big.txt's listing takes 162
    struct rlimit was, low;
    getrlimit(RLIMIT_FSIZE, &was);
    low = was;
    low.rlim_cur = 120;
    signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &low);
    const Outcome full = Run(VkLock, {P("big.txt"), P("good.vkl")});
    setrlimit(RLIMIT_FSIZE, &was);
    ExpectFailure(full, "good.vkl: the file could not be written");
    EXPECT_EQ(kept, ReadFileBytes(P("good.vkl")));
    for (const auto& e : std::filesystem::directory_iterator(dir.Path("")))
        EXPECT_NE(0u, e.path().filename().string().find("~vk")) << e.path();
#endif
}

TEST_F(VkTool, LockAndPackUsage) {
    EXPECT_EQ(VK_EXIT_USAGE, Run(VkLock, {"in.txt"}).status);
    EXPECT_EQ(VK_EXIT_USAGE, Run(VkPack, {"in.txt", "a.vkc", "b.vkc"}).status);
    Outcome o = Run(VkLock, {});
    EXPECT_NE(std::string::npos, o.err.find("usage: vktool lock IN OUT.vkl"));
}

TEST_F(VkTool, OutputWithAnotherExtensionIsWrittenWithAWarning) {
    WriteFileBytes(P("in.txt"), "text");
    Outcome o = Run(VkPack, {P("in.txt"), P("out.bin")});
    EXPECT_EQ(VK_EXIT_OK, o.status);
    EXPECT_NE(std::string::npos, o.err.find("warning: "));
    EXPECT_NE(std::string::npos, o.err.find("does not end in .vkc"));
    CString shown;
    EXPECT_EQ(SCRIPT_FILE_OK, ReadCompiledScript(P("out.bin").c_str(), &shown));
    EXPECT_EQ("text", shown.str());
}

// Text in the user's encoding: a terminal in UTF-8, the debugger in code page 949. The
// conversions are the platform's (iconv natively, the Win32 code page functions under Wine).
class VkToolUtf8User : public VkTool {
protected:
    void SetUp() override { SetUserEncoding(TEXT_ENCODING_UTF8); }
    void TearDown() override { SetUserEncoding(TEXT_ENCODING_CP949); }
};

// The masked form of the code page 949 bytes B0 A1, the word "가" an engine sends.
const char kGaMasked[] = "B14391549D8BF0231BA9498E7E5B72A9";

TEST_F(VkToolUtf8User, MaskTakesTheTerminalsTextAsTheEngineSendsIt) {
    Outcome o = Run(VkMask, {u8"가", u8"고객 조회|x", "abc"});
    EXPECT_EQ(VK_EXIT_OK, o.status) << o.err;
    EXPECT_EQ(std::string(kGaMasked) + "\n" + MaskTraceDetail("고객 조회|x").str() + "\n" + kAbcHex + "\n",
              o.out);
    SetUserEncoding(TEXT_ENCODING_CP949);
    EXPECT_EQ(std::string(kGaMasked) + "\n", Run(VkMask, {"가"}).out)
        << "the same word typed in code page 949";
    SetUserEncoding(TEXT_ENCODING_UTF8);

    // A character code page 949 lacks, and bytes that are not UTF-8: refused, nothing printed,
    // even for the good texts before them.
    Outcome emoji = Run(VkMask, {u8"가", u8"가\U0001F600"});
    EXPECT_EQ(VK_EXIT_USAGE, emoji.status);
    EXPECT_EQ("", emoji.out);
    EXPECT_NE(std::string::npos, emoji.err.find("U+1F600 has no code in code page 949")) << emoji.err;
    Outcome broken = Run(VkMask, {"ab\xEA"});
    EXPECT_EQ(VK_EXIT_USAGE, broken.status);
    EXPECT_EQ("", broken.out);
    EXPECT_NE(std::string::npos, broken.err.find("byte 0xEA (byte 3) is not UTF-8 text")) << broken.err;
}

TEST_F(VkToolUtf8User, LockAndPackOfUtf8FilesShowTheUtf8TextBack) {
    // As Notepad writes it: byte order mark, CR LF, trailing blank lines.
    const std::string utf8 = u8"-- 고객 조회\r\nprint(\"잔액: 12,345원\") -- C:\\temp\r\n\r\n";
    WriteFileBytes(P("in.txt"), "\xEF\xBB\xBF" + utf8);
    Outcome lock = Run(VkLock, {P("in.txt"), P("out.vkl"), "--encoding", "utf-8"});
    ASSERT_EQ(VK_EXIT_OK, lock.status) << lock.err;
    Outcome show = Run(VkShow, {P("out.vkl")});
    EXPECT_EQ(VK_EXIT_OK, show.status) << show.err;
    EXPECT_EQ(utf8.substr(0, utf8.size() - 4) + "\n", show.out) << "the listing drops trailing white space";
    Outcome raw = Run(VkShow, {"--raw", P("out.vkl")});
    EXPECT_EQ("-- 고객 조회\r\nprint(\"잔액: 12,345원\") -- C:\\temp", raw.out)
        << "code page 949 in the file";

    Outcome pack = Run(VkPack, {"--encoding=UTF8", P("in.txt"), P("out.vkc")});
    ASSERT_EQ(VK_EXIT_OK, pack.status) << pack.err;
    EXPECT_EQ(utf8, Run(VkShow, {P("out.vkc")}).out);

    // Without --encoding the file is read as code page 949, which these bytes are not.
    Outcome asCp949 = Run(VkLock, {P("in.txt"), P("default.vkl")});
    EXPECT_EQ(VK_EXIT_FAILURE, asCp949.status);
    EXPECT_NE(std::string::npos, asCp949.err.find("line 1: byte 0x")) << asCp949.err;
    EXPECT_NE(std::string::npos, asCp949.err.find("give --encoding utf-8")) << asCp949.err;
    EXPECT_FALSE(std::filesystem::exists(P("default.vkl")));

    WriteFileBytes(P("emoji.txt"), u8"첫 줄\n둘째 줄 \U0001F600\n");
    Outcome emoji = Run(VkPack, {P("emoji.txt"), P("emoji.vkc"), "--encoding", "utf-8"});
    EXPECT_EQ(VK_EXIT_FAILURE, emoji.status);
    EXPECT_NE(std::string::npos, emoji.err.find("emoji.txt: line 2: the character U+1F600 has no code"))
        << emoji.err;
    EXPECT_FALSE(std::filesystem::exists(P("emoji.vkc")));

    EXPECT_EQ(VK_EXIT_USAGE, Run(VkLock, {P("in.txt"), P("x.vkl"), "--encoding", "latin1"}).status);
    EXPECT_EQ(VK_EXIT_USAGE, Run(VkLock, {P("in.txt"), P("x.vkl"), "--encoding"}).status);
}

TEST_F(VkToolUtf8User, ShowWritesBytesThatAreNotCodePage949AsEscapes) {
    // 0xFF is no code page 949 byte; 0xB0 starts a character that no space can end; a lone lead
    // byte ends the text. Backslashes stay as they are.
    const std::string text = "a\xFF\xB0\xA1 \xB0 \\x41\xB0";
    ASSERT_EQ(SCRIPT_FILE_OK, WriteCompiledScript(P("bad.vkc").c_str(), CString(text.c_str())));
    Outcome show = Run(VkShow, {P("bad.vkc")});
    EXPECT_EQ(VK_EXIT_OK, show.status) << show.err;
    EXPECT_EQ(u8"a\\xFF가 \\xB0 \\x41\\xB0\n", show.out);
    EXPECT_EQ(text, Run(VkShow, {P("bad.vkc"), "--raw"}).out);

    // A user whose encoding lacks Hangul sees its bytes escaped too.
    SetUserEncoding("CP1252");
    EXPECT_EQ("a\\xFF\\xB0\\xA1 \\xB0 \\x41\\xB0\n", Run(VkShow, {P("bad.vkc")}).out);
    // In code page 949 itself (a Korean Windows console) only the bad bytes change.
    SetUserEncoding(TEXT_ENCODING_CP949);
    EXPECT_EQ("a\\xFF\xB0\xA1 \\xB0 \\x41\\xB0\n", Run(VkShow, {P("bad.vkc")}).out);
}

#ifndef _WIN32
// The built program: dispatch, usage and exit statuses.
class VkToolProgram : public VkTool {
protected:
    void SetUp() override {
        exe = std::string(VK_BIN_DIR) + "/vktool";
        if (!std::filesystem::exists(exe)) GTEST_SKIP() << exe << " is not built";
    }
    Outcome Exec(const std::string& args, const std::string& locale = "") {
        std::string cmd = (locale.empty() ? "" : "LC_ALL=" + locale + " ") + "'" + exe + "' " + args + " >'" +
                          P("stdout") + "' 2>'" + P("stderr") + "'";
        int rc = std::system(cmd.c_str());
        Outcome o;
        o.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
        o.out = ReadFileBytes(P("stdout"));
        o.err = ReadFileBytes(P("stderr"));
        return o;
    }
    std::string exe;
};

TEST_F(VkToolProgram, Dispatch) {
    Outcome mask = Exec("mask abc");
    EXPECT_EQ(0, mask.status);
    EXPECT_EQ(std::string(kAbcHex) + "\n", mask.out);

    Outcome none = Exec("");
    EXPECT_EQ(2, none.status);
    EXPECT_NE(std::string::npos, none.err.find("usage: vktool COMMAND"));

    Outcome unknown = Exec("frobnicate");
    EXPECT_EQ(2, unknown.status);
    EXPECT_NE(std::string::npos, unknown.err.find("unknown command 'frobnicate'"));

    Outcome send = Exec("send x");
    EXPECT_EQ(2, send.status);
    EXPECT_NE(std::string::npos, send.err.find("Windows build only"));

    Outcome help = Exec("help");
    EXPECT_EQ(0, help.status);
    EXPECT_NE(std::string::npos, help.out.find("show FILE"));

    WriteFileBytes(P("in.txt"), "round trip\n");
    EXPECT_EQ(0, Exec("pack '" + P("in.txt") + "' '" + P("x.vkc") + "'").status);
    Outcome show = Exec("show '" + P("x.vkc") + "'");
    EXPECT_EQ(0, show.status);
    EXPECT_EQ("round trip\n", show.out);
    Outcome missing = Exec("show '" + P("nope.vkc") + "'");
    EXPECT_EQ(1, missing.status);
    EXPECT_NE(std::string::npos, missing.err.find("cannot open the file"));
}

// A Linux user types Korean in a UTF-8 terminal, in the Korean locale or with no locale set.
TEST_F(VkToolProgram, KoreanInAUtf8Terminal) {
    locale_t korean = newlocale(LC_ALL_MASK, "ko_KR.UTF-8", (locale_t)0);
    if (!korean) GTEST_SKIP() << "the ko_KR.UTF-8 locale is missing (scripts/setup generates it)";
    freelocale(korean);
    const std::string ga = std::string(kGaMasked) + "\n";
    EXPECT_EQ(ga, Exec(u8"mask '가'", "ko_KR.UTF-8").out);
    EXPECT_EQ(ga, Exec(u8"mask '가'", "C").out) << "the C locale is taken as UTF-8";
    // What the locale gives is written back in it (the conversions themselves are tested above).
    WriteFileBytes(P("u.txt"), u8"고객 조회\n");
    EXPECT_EQ(0,
              Exec("lock --encoding utf-8 '" + P("u.txt") + "' '" + P("u.vkl") + "'", "ko_KR.UTF-8").status);
    EXPECT_EQ(u8"고객 조회\n", Exec("show '" + P("u.vkl") + "'", "ko_KR.UTF-8").out);

    const std::string help = Exec("--help", "ko_KR.UTF-8").out;
    EXPECT_NE(std::string::npos, help.find("--encoding utf-8")) << help;
    EXPECT_NE(std::string::npos, help.find("\\xNN")) << help;
}
#endif

} // namespace

TEST_F(VkTool, FindPrintsTheRowsTheDebuggerFinds) {
    WriteFileBytes(P("t.vkp"), "Load|0|first\\nsecond\r\nLoadInputFID|1|x\r\n"
                               "\xC7\xD1\xB1\xDB|2|\xB0\xAA loadinputfid\r\n");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out;
    } cases[] = {
        {{P("t.vkp"), "loadinputfid"},
         VK_EXIT_OK,
         "2\tLoadInputFID\t1\tx\n3\t\xC7\xD1\xB1\xDB\t2\t\xB0\xAA loadinputfid\n"},
        {{"--case", P("t.vkp"), "LoadInputFID"}, VK_EXIT_OK, "2\tLoadInputFID\t1\tx\n"},
        {{P("t.vkp"), "t\nsec"}, VK_EXIT_OK, "1\tLoad\t0\tfirst\\nsecond\n"}, // the texts as loaded
        {{P("t.vkp"), "Load", "--word"}, VK_EXIT_OK, "1\tLoad\t0\tfirst\\nsecond\n"},
        {{P("t.vkp")}, VK_EXIT_USAGE, ""},
        {{P("missing.vkp"), "x"}, VK_EXIT_FAILURE, ""},
    };
    for (const Case& c : cases) {
        const Outcome o = Run(VkFind, c.args);
        EXPECT_EQ(c.status, o.status) << c.args.back();
        EXPECT_EQ(c.out, o.out) << c.args.back();
        EXPECT_EQ(c.status == VK_EXIT_OK, o.err.empty()) << o.err;
    }
}
