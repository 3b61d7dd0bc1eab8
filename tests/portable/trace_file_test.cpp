// Trace files: the line format byte for byte, the reader's rules for lines the writer never
// produces, bad input, and writes that fail without harming the file already there. (Random
// traces go through the real dialog in the Windows suite.)
#include "TraceFile.h"
#include "TraceLineReader.h"
#include "script_test_files.h"

#include <algorithm>
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
    // Line feeds in the name and the delay too: still one line, and one row again.
    EXPECT_STREQ("Note\\nmore|1\\n|x\n", FormatTraceLine("Note\nmore", "1\n", "x"));
    ASSERT_TRUE(ParseTraceLine(FormatTraceLine("Note\nmore", "1\n", "x"), &row));
    EXPECT_EQ("Note\nmore#1\n#x", Show(row));
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
    // So is a line longer than the reader takes (13 bytes with its line feed here); one at the
    // limit is read.
    WriteFileBytes(dir.Path("long.vkp"), "a|1|x\r\nabcdefgh|1|x\r\n");
    EXPECT_EQ(TRACE_FILE_LINE_TOO_LONG, ReadTraceFile(dir.Path("long.vkp").c_str(), &kept, 12));
    std::vector<TraceRowText> atLimit;
    EXPECT_EQ(TRACE_FILE_OK, ReadTraceFile(dir.Path("long.vkp").c_str(), &atLimit, 13));
    EXPECT_EQ(2u, atLimit.size());
    // The default limit and the byte that tells a longer line fit in a string (1 GiB on win32).
    EXPECT_LT(kTraceLineLimit, std::string().max_size());
    ASSERT_EQ(1u, kept.size());
    EXPECT_STREQ("kept", kept[0].function);
}

// Columns of every length up to a few words, each row's after a longer and a shorter row's (the
// strings' storage reused), come back byte for byte.
TEST(TraceFile, ColumnsOfEveryLengthAreReadWhole) {
    ScratchDir dir;
    std::string bytes;
    std::vector<std::string> expected;
    for (size_t n = 0; n <= 40; n++)
        for (size_t k : {n, (size_t)40 - n}) {
            std::string column;
            for (size_t i = 0; i < k; i++)
                column += (char)('a' + (i * 7 + k) % 26);
            bytes += "f" + column + "|" + column + "|" + column + "\r\n";
            expected.push_back("f" + column + "#" + column + "#" + column);
        }
    EXPECT_EQ(expected, Show(ReadBytes(dir, bytes)));
}

// The buffered reader gives the lines text mode gives wherever its buffer's edge falls: inside a
// CR LF, in a line longer than the buffer, in a last line without line end; a line past the
// limit is refused as soon as its bytes pass it.
TEST(TraceFile, LinesAreReadAsTextModeReadsThemWhateverTheBufferSize) {
    ScratchDir dir;
    const std::string bytes = "a|1|x\r\nlonger line|22|with a lone \r inside\r\r\n\r\n\nlast\r";
    const std::string path = dir.Path("lines.vkp");
    WriteFileBytes(path, bytes);
    std::vector<std::string> expected;
    CStdioFile text;
    ASSERT_TRUE(text.Open(path.c_str(), CFile::modeRead | CFile::typeText));
    CString line;
    while (text.ReadLine(line))
        expected.push_back(std::string(line, (size_t)line.GetLength()));
    text.Close();
    ASSERT_EQ(5u, expected.size());
    const char* p;
    size_t n;
    for (size_t size = 2; size <= 9; size++) {
        CMemFile file((const BYTE*)bytes.data(), (UINT)bytes.size());
        CTraceLineReader reader(file, 1000, size);
        std::vector<std::string> lines;
        while (reader.Next(&p, &n))
            lines.push_back(std::string(p, n));
        EXPECT_EQ(expected, lines) << "a buffer of " << size;
        EXPECT_FALSE(reader.TooLong());
    }
    CMemFile file((const BYTE*)bytes.data(), (UINT)bytes.size());
    CTraceLineReader reader(file, 12, 4);
    ASSERT_TRUE(reader.Next(&p, &n));
    EXPECT_FALSE(reader.Next(&p, &n));
    EXPECT_TRUE(reader.TooLong());
    EXPECT_FALSE(reader.Next(&p, &n));
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
        const std::string temp(writer.TempPath());
        const size_t name = temp.find_last_of("/\\") + 1;
        EXPECT_EQ(dir.Path(""), temp.substr(0, name)) << "in the target's folder";
        EXPECT_GE(12u, temp.size() - name) << "a short name of its own: " << temp;
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
    // So does one whose name (or, on Windows, whole path) is as long as the system allows: no
    // room for a suffix to it.
#ifdef _WIN32
    const size_t longestName = MAX_PATH - 1 - dir.Path("").size() - 4;
#else
    const size_t longestName = 251;
#endif
    const std::string longest = dir.Path(std::string(longestName, 'n') + ".vkp");
    ASSERT_EQ(TRACE_FILE_OK, WriteTraceFile(longest.c_str(), rows));
    EXPECT_EQ("new||\r\n||\r\n", ReadFileBytes(longest));
}
