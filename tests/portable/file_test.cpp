// CFile, CStdioFile text mode and CMemFile: the bytes on disk are the same natively and on
// Windows, because text mode is done by the framework, not by the C runtime.
#include "afx.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string TempPath(const char* name) {
#ifdef _WIN32
    char dir[MAX_PATH];
    ::GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
#else
    return std::string("/tmp/") + name + "." + std::to_string((long)getpid());
#endif
}

std::string ReadRaw(const std::string& path) {
    std::string s;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return "<missing>";
    int c;
    while ((c = std::fgetc(f)) != EOF)
        s += (char)c;
    std::fclose(f);
    return s;
}

void WriteRaw(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

} // namespace

TEST(StdioFile, TextModeWritesLineFeedsAsCrLf) {
    std::string path = TempPath("vk_text_write.txt");
    {
        CStdioFile f;
        ASSERT_TRUE(f.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
        f.WriteString("     B|15|x|y\\nz\n");
        f.WriteString("a\r\nb\n\n"); // an existing CR stays, its LF gets another CR
        f.WriteString("no line end");
        f.Close();
    }
    EXPECT_EQ("     B|15|x|y\\nz\r\na\r\r\nb\r\n\r\nno line end", ReadRaw(path));
    std::remove(path.c_str());
}

TEST(StdioFile, ReadStringKeepsTheLineFeedAndReadsAtMostMaxMinusOne) {
    std::string path = TempPath("vk_text_read.txt");
    WriteRaw(path, "ab\r\na\r\n\r\nlone\rcr\r\n0123456789\nend");
    CStdioFile f;
    ASSERT_TRUE(f.Open(path.c_str(), CFile::modeRead));
    char buf[8];
    ASSERT_NE(nullptr, f.ReadString(buf, sizeof buf));
    EXPECT_STREQ("ab\n", buf);
    ASSERT_NE(nullptr, f.ReadString(buf, sizeof buf));
    EXPECT_STREQ("a\n", buf);
    ASSERT_NE(nullptr, f.ReadString(buf, sizeof buf));
    EXPECT_STREQ("\n", buf);
    ASSERT_NE(nullptr, f.ReadString(buf, sizeof buf));
    EXPECT_STREQ("lone\rcr", buf); // 7 characters: max - 1
    ASSERT_NE(nullptr, f.ReadString(buf, sizeof buf));
    EXPECT_STREQ("\n", buf);
    ASSERT_NE(nullptr, f.ReadString(buf, sizeof buf));
    EXPECT_STREQ("0123456", buf);
    ASSERT_NE(nullptr, f.ReadString(buf, sizeof buf));
    EXPECT_STREQ("789\n", buf);
    ASSERT_NE(nullptr, f.ReadString(buf, sizeof buf));
    EXPECT_STREQ("end", buf);
    EXPECT_EQ(nullptr, f.ReadString(buf, sizeof buf));
    EXPECT_EQ(nullptr, f.ReadString(buf, sizeof buf));
    f.Close();
    std::remove(path.c_str());
}

TEST(StdioFile, ReadStringIntoCStringDropsTheLineFeed) {
    std::string path = TempPath("vk_text_lines.txt");
    WriteRaw(path, std::string("one\r\n\r\ntw\0o\nlast", 17));
    CStdioFile f(path.c_str(), CFile::modeRead);
    CString line;
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_STREQ("one", line);
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_TRUE(line.IsEmpty());
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_EQ(4, line.GetLength()); // the NUL is kept as a byte of the line
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_STREQ("last", line);
    EXPECT_FALSE(f.ReadString(line));
    std::remove(path.c_str());
}

TEST(StdioFile, ReadLineReadsWholeLinesOfAnyLengthWithTheirLineFeed) {
    // Lines far longer than any fixed buffer, a CR LF split across the reader's chunks, lone CRs,
    // and a last line without its line end.
    const std::string big(2500000, 'x');
    std::string path = TempPath("vk_long_lines.txt");
    WriteRaw(path, big + "\r\n" + std::string(4095, 'y') + "\r\n\r\ra\rb\r\n" + big + "z");
    CStdioFile f(path.c_str(), CFile::modeRead);
    CString line;
    ASSERT_TRUE(f.ReadLine(line));
    EXPECT_EQ(big + "\n", std::string(line));
    ASSERT_TRUE(f.ReadLine(line));
    EXPECT_EQ(std::string(4095, 'y') + "\n", std::string(line));
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_STREQ("\r\ra\rb", line);
    ASSERT_TRUE(f.ReadString(line));
    EXPECT_EQ(big + "z", std::string(line));
    EXPECT_FALSE(f.ReadLine(line));
    EXPECT_TRUE(line.IsEmpty());
    f.Close();
    std::remove(path.c_str());
}

TEST(StdioFile, BinaryModeTranslatesNothing) {
    std::string path = TempPath("vk_binary.dat");
    {
        CStdioFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
        f.WriteString("a\nb\r\n");
    }
    EXPECT_EQ("a\nb\r\n", ReadRaw(path));
    std::remove(path.c_str());
}

TEST(File, BinaryReadSeekAndLength) {
    std::string path = TempPath("vk_cfile.dat");
    WriteRaw(path, std::string("0123456789\r\n", 12));
    CFile f;
    ASSERT_TRUE(f.Open(path.c_str(), CFile::modeRead));
    EXPECT_EQ(12u, f.GetLength());
    char buf[16] = {0};
    EXPECT_EQ(4u, f.Read(buf, 4));
    EXPECT_STREQ("0123", buf);
    EXPECT_EQ(10u, f.Seek(10, CFile::begin));
    EXPECT_EQ(2u, f.Read(buf, 16)); // short read at the end, no translation
    EXPECT_EQ('\r', buf[0]);
    EXPECT_EQ(0u, f.Read(buf, 16));
    f.Close();
    std::remove(path.c_str());
}

TEST(File, OpenFailureReportsTheCauseAndThrowingConstructorThrows) {
    CFile f;
    CFileException e;
    EXPECT_FALSE(f.Open(TempPath("vk_no_such_dir/x/y.txt").c_str(), CFile::modeRead, &e));
    EXPECT_NE(CFileException::none, e.m_cause);
    bool thrown = false;
    try {
        CStdioFile g(TempPath("vk_no_such_dir/x/y.txt").c_str(), CFile::modeRead);
    } catch (CFileException* ex) {
        thrown = true;
        ex->Delete();
    }
    EXPECT_TRUE(thrown);
}

TEST(MemFile, ReadsWritesAndSeeks) {
    CMemFile m;
    m.Write("hello", 5);
    EXPECT_EQ(5u, m.GetLength());
    m.Seek(1, CFile::begin);
    char buf[8] = {0};
    EXPECT_EQ(4u, m.Read(buf, 8));
    EXPECT_STREQ("ello", buf);
    m.Seek(-2, CFile::end);
    m.Write("LOOO", 4);
    EXPECT_EQ(7u, m.GetLength());
    EXPECT_EQ(std::string("helLOOO"), std::string((const char*)m.Data().data(), m.Data().size()));
}
