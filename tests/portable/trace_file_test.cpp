// Trace files: the line format byte for byte, the reader's rules for lines the writer never
// produces, random traces written and read back unchanged, bad input, and writes that fail
// without harming the file already there.
#include "TraceFile.h"
#include "script_test_files.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<TraceRowText> Read(const std::string& path, TraceFileResult expected = TRACE_FILE_OK) {
    std::vector<TraceRowText> rows;
    EXPECT_EQ(expected, ReadTraceFile(path.c_str(), &rows)) << path;
    return rows;
}

// The rows of a file holding exactly these bytes.
std::vector<TraceRowText> ReadBytes(ScratchDir& dir, const std::string& bytes) {
    const std::string path = dir.Path("in.vkp");
    WriteFileBytes(path, bytes);
    return Read(path);
}

std::string Show(const TraceRowText& r) {
    return std::string(r.function) + "#" + std::string(r.delay) + "#" + std::string(r.detail);
}

std::vector<std::string> Show(const std::vector<TraceRowText>& rows) {
    std::vector<std::string> shown;
    for (const TraceRowText& r : rows)
        shown.push_back(Show(r));
    return shown;
}

// The names in a directory (what a failed write may have left behind).
std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(TraceLine, WrittenAndReadAsTheFormatSays) {
    // Indentation kept, "|" inside the detail kept, line feeds as the two characters "\" "n".
    const CString line = FormatTraceLine("     B", "15", "x|y\nz");
    EXPECT_STREQ("     B|15|x|y\\nz\n", line);
    TraceRowText row;
    ASSERT_TRUE(ParseTraceLine(line, &row));
    EXPECT_EQ("     B#15#x|y\nz", Show(row));
    // CR, "^" and backslashes are written as they are; the empty row is still a line of its own.
    EXPECT_STREQ("a|1|\r^\\x\\\n", FormatTraceLine("a", "1", "\r^\\x\\"));
    EXPECT_STREQ("||\n", FormatTraceLine("", "", ""));
    ASSERT_TRUE(ParseTraceLine("||\n", &row));
    EXPECT_EQ("##", Show(row));
    // What the format cannot carry: a detail holding "\" "n" comes back with a line feed.
    ASSERT_TRUE(ParseTraceLine(FormatTraceLine("f", "0", "C:\\new"), &row));
    EXPECT_EQ("f#0#C:\new", Show(row));
}

TEST(TraceLine, LinesTheWriterNeverProduces) {
    TraceRowText row;
    // 2 characters or fewer, the line feed included, are skipped; "ab" and its line feed are not.
    EXPECT_FALSE(ParseTraceLine("", &row));
    EXPECT_FALSE(ParseTraceLine("\n", &row));
    EXPECT_FALSE(ParseTraceLine("a\n", &row));
    EXPECT_FALSE(ParseTraceLine("ab", &row)) << "a last line of 2 characters without its line end";
    ASSERT_TRUE(ParseTraceLine("ab\n", &row));
    EXPECT_EQ("ab##", Show(row));
    ASSERT_TRUE(ParseTraceLine("abc", &row)) << "a last line without line end";
    EXPECT_EQ("abc##", Show(row));
    // One "|": the detail is the delay's text.
    ASSERT_TRUE(ParseTraceLine("fn|text\n", &row));
    EXPECT_EQ("fn#text#text", Show(row));
    ASSERT_TRUE(ParseTraceLine("fn|12|\n", &row));
    EXPECT_EQ("fn#12#", Show(row));
    ASSERT_TRUE(ParseTraceLine("|||\n", &row));
    EXPECT_EQ("##|", Show(row));
}

TEST(TraceFile, RandomTracesComeBackUnchanged) {
    // Korean text in code page 949 (double-byte, trail bytes that look like ASCII letters), "|",
    // "^", CR and backslashes inside details, masked (hexadecimal) rows, empty details and details
    // longer than any fixed line buffer.
    const std::vector<std::string> pieces = {"한글", "값",   "함수",         "|",    "^", "\r", "\r\r",
                                             "\n",   "\n\n", "\\",           "\\\\", "x", " ",  "\t",
                                             "||",   "끝\n", "\xB0\xA1\x6E", "^\n^"};
    const unsigned seed = std::random_device{}();
    std::mt19937 rng(seed);
    ScratchDir dir;
    for (int trace = 0; trace < 40; trace++) {
        std::vector<TraceRowText> rows(rng() % 60);
        for (size_t i = 0; i < rows.size(); i++) {
            TraceRowText& r = rows[i];
            std::string name(5 * (rng() % 4), ' ');
            name += rng() % 2 ? "함수" : "Func";
            name += std::to_string(rng() % 100);
            r.function = name.c_str();
            r.delay = std::to_string(rng() % 100000).c_str();
            std::string detail;
            switch (rng() % 6) {
            case 0: // empty
                break;
            case 1: // masked: upper-case hexadecimal
                for (unsigned k = 0, n = 32 * (1 + rng() % 4); k < n; k++)
                    detail += "0123456789ABCDEF"[rng() % 16];
                break;
            case 2: // very long, now and then past a million bytes
                detail.assign(trace % 8 == 0 && i == 0 ? 2100000 : 5000 + rng() % 5000, 'L');
                detail += "|끝\n^";
                break;
            default:
                for (unsigned k = 0, n = rng() % 30; k < n; k++) {
                    const std::string& p = pieces[rng() % pieces.size()];
                    // Never the two characters "\" "n": the format turns them into a line feed.
                    if (!detail.empty() && detail.back() == '\\' && p[0] == 'n') continue;
                    detail += p;
                }
            }
            if (!detail.empty() && detail.back() == '\\' && rng() % 2) detail += 'n' - 1;
            r.detail = CString(detail.data(), (int)detail.size());
        }
        // The Korean name goes to the file functions as the program's own bytes (code page 949
        // on Windows), not through std::filesystem's conversions.
        const std::string path = dir.Path("x").substr(0, dir.Path("x").size() - 1) + "trace " +
                                 std::to_string(trace) + " 추적.vkp";
        ASSERT_EQ(TRACE_FILE_OK, WriteTraceFile(path.c_str(), rows));
        // One CR LF line per row, no line feed of its own.
        const std::string bytes = ReadFileBytes(path);
        size_t lines = 0, lf = 0;
        while ((lf = bytes.find('\n', lf)) != std::string::npos) {
            ASSERT_TRUE(lf > 0 && bytes[lf - 1] == '\r') << "seed " << seed;
            lines++, lf++;
        }
        ASSERT_EQ(rows.size(), lines) << "seed " << seed;
        EXPECT_EQ(Show(rows), Show(Read(path))) << "seed " << seed << ", trace " << trace;
    }
    const auto files = std::distance(std::filesystem::directory_iterator(dir.Path("")), {});
    EXPECT_EQ(40, files) << "no temporary file left behind";
}

TEST(TraceFile, BadInputIsReadByTheSameRulesOrRefused) {
    ScratchDir dir;
    EXPECT_TRUE(ReadBytes(dir, "").empty());
    EXPECT_EQ((std::vector<std::string>{"one line without end#5#x"}),
              Show(ReadBytes(dir, "one line without end|5|x")));
    EXPECT_EQ((std::vector<std::string>{"a#1#x", "b#2#y"}), Show(ReadBytes(dir, "a|1|x\r\nb|2|y")));
    // Lone CRs stay inside their line; LF alone ends a line as CR LF does.
    EXPECT_EQ((std::vector<std::string>{"a#1#x\ry\r", "b#2#"}),
              Show(ReadBytes(dir, "a|1|x\ry\r\r\nb|2|\n\r")));
    // A line ends at its first NUL, as a C string holds it, and is then skipped when it is no
    // longer than 2 characters (its line feed is cut off with the rest).
    EXPECT_EQ((std::vector<std::string>{"abc##", "c#3#z"}),
              Show(ReadBytes(dir, std::string("abc\0|1|x\r\nab\0\r\nc|3|z\r\n", 22))));
    // Binary: read without a crash by the same rules, every row with no NUL in it.
    std::string binary;
    std::mt19937 rng(7);
    for (int i = 0; i < 300000; i++)
        binary += (char)(rng() % 256);
    const std::vector<TraceRowText> rows = ReadBytes(dir, binary);
    EXPECT_FALSE(rows.empty());
    for (const TraceRowText& r : rows)
        EXPECT_LT(2, r.function.GetLength() + r.delay.GetLength() + r.detail.GetLength() + 2);

    // What cannot be opened is refused, the rows left as they were.
    std::vector<TraceRowText> kept(1);
    kept[0].function = "kept";
    EXPECT_EQ(TRACE_FILE_CANNOT_OPEN, ReadTraceFile(dir.Path("").c_str(), &kept)) << "a directory";
    EXPECT_EQ(TRACE_FILE_CANNOT_OPEN, ReadTraceFile(dir.Path("missing.vkp").c_str(), &kept));
    ASSERT_EQ(1u, kept.size());
    EXPECT_STREQ("kept", kept[0].function);
}

TEST(TraceFile, FailedWritesKeepTheFileThatWasThere) {
    ScratchDir dir;
    const std::string target = dir.Path("trace.vkp");
    WriteFileBytes(target, "old|1|x\r\n");
    std::vector<TraceRowText> rows(2);
    rows[0].function = "new";

    // A writer abandoned halfway (an exception, a full disk) removes its temporary file.
    {
        CTraceFileWriter writer;
        ASSERT_TRUE(writer.Open(target.c_str()));
        EXPECT_EQ(0u, std::string(writer.TempPath()).find(target))
            << "the temporary file is beside the target";
        writer.WriteRow("new", "2", "y");
        EXPECT_EQ(2u, Entries(dir.Path("")).size());
    }
    EXPECT_EQ("old|1|x\r\n", ReadFileBytes(target));
    EXPECT_EQ(std::vector<std::string>{"trace.vkp"}, Entries(dir.Path("")));

    // A target that cannot be replaced: a directory, a missing directory, a directory put in the
    // way between the writing and the replacement.
    EXPECT_EQ(TRACE_FILE_CANNOT_OPEN, WriteTraceFile(dir.Path("").c_str(), rows));
    EXPECT_EQ(TRACE_FILE_CANNOT_OPEN, WriteTraceFile(dir.Path("no such dir/t.vkp").c_str(), rows));
    const std::string late = dir.Path("late.vkp");
    {
        CTraceFileWriter writer;
        ASSERT_TRUE(writer.Open(late.c_str()));
        writer.WriteRow("new", "2", "y");
        std::filesystem::create_directory(late);
        WriteFileBytes(late + "/inside", "x");
        EXPECT_FALSE(writer.Commit());
    }
    EXPECT_EQ((std::vector<std::string>{"late.vkp", "trace.vkp"}), Entries(dir.Path("")));
    EXPECT_EQ("x", ReadFileBytes(late + "/inside"));

    // And the one that succeeds replaces the old content whole.
    ASSERT_EQ(TRACE_FILE_OK, WriteTraceFile(target.c_str(), rows));
    EXPECT_EQ("new||\r\n||\r\n", ReadFileBytes(target));
    EXPECT_EQ((std::vector<std::string>{"late.vkp", "trace.vkp"}), Entries(dir.Path("")));
}
