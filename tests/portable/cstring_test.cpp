// CString's byte semantics, as the trace protocol and the file formats rely on them.
#include "afx.h"

#include <cstring>
#include <gtest/gtest.h>

TEST(CString, BufferSetLengthThenReleaseCutsAtFirstNul)
{
    CString s;
    char* p = s.GetBufferSetLength(5);
    std::memcpy(p, "ab\0cd", 5);
    EXPECT_EQ(5, s.GetLength());
    s.ReleaseBuffer(-1);
    EXPECT_EQ(2, s.GetLength());
    EXPECT_STREQ("ab", (LPCTSTR)s);
}

TEST(CString, BufferWithoutNulKeepsItsWholeLength)
{
    CString s;
    std::memcpy(s.GetBufferSetLength(3), "xyz", 3);
    s.ReleaseBuffer(-1);
    EXPECT_EQ(3, s.GetLength());
    EXPECT_STREQ("xyz", (LPCTSTR)s);
    s.GetBufferSetLength(0);
    s.ReleaseBuffer();
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CString, ReleaseBufferWithExplicitLength)
{
    CString s("hello");
    s.GetBuffer(10);
    s.ReleaseBuffer(3);
    EXPECT_STREQ("hel", (LPCTSTR)s);
}

TEST(CString, FormatPrintsIntoTheString)
{
    CString s;
    s.Format("SID [%s]%d", "1234", -5);
    EXPECT_STREQ("SID [1234]-5", (LPCTSTR)s);
    s.Format("%02X", 0xAB);
    EXPECT_STREQ("AB", (LPCTSTR)s);
    // Long results are not truncated.
    CString big(CString('x', 5000));
    s.Format("[%s]", (LPCTSTR)big);
    EXPECT_EQ(5002, s.GetLength());
}

TEST(CString, KoreanLiteralsAreCodePage949Bytes)
{
    CString s("굴림");
    ASSERT_EQ(4, s.GetLength());
    EXPECT_EQ('\xB1', s[0]);
    EXPECT_EQ('\xBC', s[1]);
    EXPECT_EQ('\xB8', s[2]);
    EXPECT_EQ('\xB2', s[3]);
}

TEST(CString, TrimRightRemovesTrailingWhiteSpaceOnly)
{
    CString s("  a b \t\r\n  ");
    s.TrimRight();
    EXPECT_STREQ("  a b", (LPCTSTR)s);
    CString all("   ");
    all.TrimRight();
    EXPECT_TRUE(all.IsEmpty());
    CString korean("가 ");
    korean.TrimRight();
    EXPECT_EQ(2, korean.GetLength());
}

TEST(CString, ReplaceEveryOccurrence)
{
    CString s("a\nb^c\n");
    EXPECT_EQ(2, s.Replace("\n", "\r\n"));
    EXPECT_EQ(1, s.Replace("^", "\r\n"));
    EXPECT_STREQ("a\r\nb\r\nc\r\n", (LPCTSTR)s);
    CString t("\\n\\n");
    EXPECT_EQ(2, t.Replace("\\n", "\n"));
    EXPECT_STREQ("\n\n", (LPCTSTR)t);
    CString u("aaa");
    EXPECT_EQ(1, u.Replace("aa", "a"));
    EXPECT_STREQ("aa", (LPCTSTR)u);
    EXPECT_EQ(0, u.Replace("", "x"));
}

TEST(CString, LeftCountsBytesAndMayCutADoubleByteCharacter)
{
    CString s("가나다");  // three double-byte characters, six bytes
    ASSERT_EQ(6, s.GetLength());
    CString l = s.Left(3);
    ASSERT_EQ(3, l.GetLength());
    EXPECT_EQ(s[2], l[2]);
    EXPECT_EQ(s, s.Left(100));
    EXPECT_TRUE(s.Left(0).IsEmpty());
    EXPECT_TRUE(s.Left(-1).IsEmpty());
}

TEST(CString, MidRightFindReverseFind)
{
    CString s("dir.x/name.tar.vkc");
    EXPECT_EQ(14, s.ReverseFind('.'));
    EXPECT_STREQ("vkc", (LPCTSTR)s.Mid(15));
    EXPECT_STREQ("vkc", (LPCTSTR)s.Right(3));
    EXPECT_EQ(3, s.Find('.'));
    EXPECT_EQ(10, s.Find('.', 4));
    EXPECT_EQ(-1, s.Find('#'));
    EXPECT_EQ(6, s.Find("name"));
    EXPECT_TRUE(s.Mid(100).IsEmpty());
    EXPECT_EQ(-1, CString("abc").ReverseFind('.'));
}

TEST(CString, MakeUpperLeavesDoubleByteCharactersAlone)
{
    // 0xB0 0x61 is a lead byte followed by a trail byte that happens to be 'a'.
    CString s("ab\xB0" "a.vkl");
    s.MakeUpper();
    EXPECT_STREQ("AB\xB0" "a.VKL", (LPCTSTR)s);
}

TEST(CString, ComparisonsAreByteOrder)
{
    EXPECT_LT(CString("A").Compare("a"), 0);
    EXPECT_GT(CString("\xB0\xA1").Compare("z"), 0);  // high bytes sort after ASCII
    EXPECT_EQ(0, CString("LoadInputFID").Compare("LoadInputFID"));
    EXPECT_NE(0, CString("loadinputfid").Compare("LoadInputFID"));
    EXPECT_TRUE(CString("abc") == "abc");
}

TEST(AfxExtractSubString, SplitsAtTheSeparator)
{
    CString r;
    EXPECT_TRUE(AfxExtractSubString(r, "name|detail|more", 0, '|'));
    EXPECT_STREQ("name", (LPCTSTR)r);
    EXPECT_TRUE(AfxExtractSubString(r, "name|detail|more", 1, '|'));
    EXPECT_STREQ("detail", (LPCTSTR)r);
    EXPECT_TRUE(AfxExtractSubString(r, "name|detail|more", 2, '|'));
    EXPECT_STREQ("more", (LPCTSTR)r);
    EXPECT_FALSE(AfxExtractSubString(r, "name|detail|more", 3, '|'));
    EXPECT_TRUE(r.IsEmpty());
    EXPECT_TRUE(AfxExtractSubString(r, "noseparator", 0, '|'));
    EXPECT_STREQ("noseparator", (LPCTSTR)r);
    EXPECT_TRUE(AfxExtractSubString(r, "", 0, '|'));
    EXPECT_TRUE(r.IsEmpty());
    EXPECT_TRUE(AfxExtractSubString(r, "a||", 1, '|'));
    EXPECT_TRUE(r.IsEmpty());
}
