// The text form of trace records, the arguments of vktool send and demo, and the demo session.
#include "engine_records.h"
#include "text_encoding.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <vector>

namespace {

std::uint32_t Kind(const std::string& text) {
    std::uint32_t k = 12345;
    std::string error;
    EXPECT_TRUE(ParseRecordKind(text, &k, &error)) << text << ": " << error;
    return k;
}

bool KindFails(const std::string& text) {
    std::uint32_t k = 777;
    std::string error;
    const bool ok = ParseRecordKind(text, &k, &error);
    EXPECT_EQ(777u, k) << "a failed parse must not change the kind";
    if (!ok) {
        EXPECT_NE(std::string::npos, error.find(text)) << "the message names the bad kind: " << error;
    }
    return !ok;
}

std::string Unescaped(const std::string& text) {
    std::string out, error;
    EXPECT_TRUE(UnescapePayload(text, &out, &error)) << text << ": " << error;
    return out;
}

std::string UnescapeError(const std::string& text) {
    std::string out = "untouched", error;
    EXPECT_FALSE(UnescapePayload(text, &out, &error)) << text;
    EXPECT_EQ("untouched", out);
    return error;
}

std::vector<const char*> Args(const std::vector<std::string>& v) {
    std::vector<const char*> out;
    for (const std::string& s : v)
        out.push_back(s.c_str());
    return out;
}

bool ParseSend(const std::vector<std::string>& args, SendOptions* o, std::string* error) {
    const std::vector<const char*> a = Args(args);
    return ParseSendArguments(static_cast<int>(a.size()), a.data(), o, error);
}

bool ParseDemo(const std::vector<std::string>& args, DemoOptions* o, std::string* error) {
    const std::vector<const char*> a = Args(args);
    return ParseDemoArguments(static_cast<int>(a.size()), a.data(), o, error);
}

std::vector<EngineRecord> SendRecords(const std::vector<std::string>& args) {
    SendOptions o;
    std::string error;
    std::vector<EngineRecord> records;
    EXPECT_TRUE(ParseSend(args, &o, &error)) << error;
    EXPECT_TRUE(BuildSendRecords(o, &records, &error)) << error;
    return records;
}

class TempFile {
public:
    explicit TempFile(const std::string& contents) {
        static int serial = 0;
        m_path = testing::TempDir() + "engine_records_" + std::to_string(++serial) + ".txt";
        std::ofstream out(m_path, std::ios::binary);
        out << contents;
    }
    ~TempFile() { std::remove(m_path.c_str()); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

bool IsHangulSyllableCp949(unsigned char lead, unsigned char trail) {
    return lead >= 0xB0 && lead <= 0xC8 && trail >= 0xA1 && trail <= 0xFE;
}

std::string Name(const EngineRecord& r) {
    return r.payload.substr(0, r.payload.find('|'));
}

} // namespace

TEST(RecordKind, NamesAndNumbers) {
    EXPECT_EQ(9999u, Kind("start"));
    EXPECT_EQ(1u, Kind("enter"));
    EXPECT_EQ(2u, Kind("leave"));
    EXPECT_EQ(0u, Kind("trace"));
    EXPECT_EQ(9999u, Kind("START"));
    EXPECT_EQ(1u, Kind("Enter"));
    EXPECT_EQ(0u, Kind("0"));
    EXPECT_EQ(3u, Kind("3"));
    EXPECT_EQ(9999u, Kind("9999"));
    EXPECT_EQ(4294967295u, Kind("4294967295"));
    EXPECT_EQ(0x270Fu, Kind("0x270F"));
    EXPECT_EQ(0xFFFFFFFFu, Kind("0xffffffff"));
    EXPECT_EQ(7u, Kind("007"));
}

TEST(RecordKind, RejectsEverythingElse) {
    EXPECT_TRUE(KindFails(""));
    EXPECT_TRUE(KindFails("-1"));
    EXPECT_TRUE(KindFails("+1"));
    EXPECT_TRUE(KindFails("4294967296"));
    EXPECT_TRUE(KindFails("99999999999999999999999"));
    EXPECT_TRUE(KindFails("0x"));
    EXPECT_TRUE(KindFails("0x100000000"));
    EXPECT_TRUE(KindFails("0xg1"));
    EXPECT_TRUE(KindFails("1a"));
    EXPECT_TRUE(KindFails(" 1"));
    EXPECT_TRUE(KindFails("begin"));
    EXPECT_TRUE(KindFails("plain"));
}

TEST(RecordKind, NamesForMessages) {
    EXPECT_EQ("start", RecordKindName(9999));
    EXPECT_EQ("enter", RecordKindName(1));
    EXPECT_EQ("leave", RecordKindName(2));
    EXPECT_EQ("trace", RecordKindName(0));
    EXPECT_EQ("42", RecordKindName(42));
    EXPECT_EQ("4294967295", RecordKindName(4294967295u));
}

TEST(Payload, Escapes) {
    EXPECT_EQ("A|x", Unescaped("A|x"));
    EXPECT_EQ("a\nb^c", Unescaped("a\\nb^c"));
    EXPECT_EQ("back\\slash", Unescaped("back\\\\slash"));
    EXPECT_EQ("\\n", Unescaped("\\\\n"));
    EXPECT_EQ("\r\t", Unescaped("\\r\\t"));
    EXPECT_EQ(std::string("ab\0cd", 5), Unescaped("ab\\x00cd"));
    EXPECT_EQ("\xFF\x80", Unescaped("\\xff\\x80"));
    EXPECT_EQ("", Unescaped(""));
}

TEST(Payload, BytesPassThrough) {
    // Code page 949 bytes (Korean text compiled as such), invalid lead bytes and controls.
    const std::string korean = "스크립트";
    ASSERT_EQ(8u, korean.size());
    EXPECT_TRUE(
        IsHangulSyllableCp949(static_cast<unsigned char>(korean[0]), static_cast<unsigned char>(korean[1])));
    EXPECT_EQ(korean, Unescaped(korean));
    EXPECT_EQ("\xFF\xFE\x81", Unescaped("\xFF\xFE\x81"));
    // A trail byte 0x5C (a backslash) in code page 949 text would start an escape, so such text
    // is written with \x5C or sent with --raw.
    EXPECT_EQ("\x81\x5C", Unescaped("\x81\\x5C"));
}

TEST(Payload, BadEscapes) {
    EXPECT_NE(std::string::npos, UnescapeError("abc\\").find("end"));
    EXPECT_NE(std::string::npos, UnescapeError("a\\qb").find("\\q"));
    EXPECT_NE(std::string::npos, UnescapeError("\\x4").find("two hexadecimal digits"));
    EXPECT_NE(std::string::npos, UnescapeError("\\xg0").find("two hexadecimal digits"));
    EXPECT_NE(std::string::npos, UnescapeError("\\x").find("two hexadecimal digits"));
    UnescapeError("\\0");
    UnescapeError("\\\"");
}

TEST(Payload, EscapeRoundTripsEveryByte) {
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    const std::string escaped = EscapePayload(all);
    EXPECT_EQ(std::string::npos, escaped.find('\n'));
    EXPECT_EQ(std::string::npos, escaped.find('\r'));
    EXPECT_EQ(std::string::npos, escaped.find('\0'));
    EXPECT_EQ(all, Unescaped(escaped));
    EXPECT_EQ("a\\nb\\\\c\\x00\\x7F", EscapePayload(std::string("a\nb\\c\0\x7F", 7)));
    EXPECT_EQ("스크립트|상세", EscapePayload("스크립트|상세"));
}

TEST(RecordLine, KindAndPayload) {
    EngineRecord r;
    std::string error;
    ASSERT_TRUE(ParseRecordLine("enter A|x", false, &r, &error)) << error;
    EXPECT_EQ(1u, r.kind);
    EXPECT_EQ("A|x", r.payload);
    ASSERT_TRUE(ParseRecordLine("9999\t1234", false, &r, &error)) << error;
    EXPECT_EQ(9999u, r.kind);
    EXPECT_EQ("1234", r.payload);
    // Only the first blank separates: the rest is payload.
    ASSERT_TRUE(ParseRecordLine("trace   Foo bar ", false, &r, &error)) << error;
    EXPECT_EQ(0u, r.kind);
    EXPECT_EQ("  Foo bar ", r.payload);
    ASSERT_TRUE(ParseRecordLine("leave", false, &r, &error)) << error;
    EXPECT_EQ(2u, r.kind);
    EXPECT_EQ("", r.payload);
    ASSERT_TRUE(ParseRecordLine("3 a\\nb^c", false, &r, &error)) << error;
    EXPECT_EQ(3u, r.kind);
    EXPECT_EQ("a\nb^c", r.payload);
    ASSERT_TRUE(ParseRecordLine("3 a\\nb^c", true, &r, &error)) << error;
    EXPECT_EQ("a\\nb^c", r.payload);
}

TEST(RecordLine, Errors) {
    EngineRecord r;
    r.kind = 55;
    r.payload = "kept";
    std::string error;
    EXPECT_FALSE(ParseRecordLine("", false, &r, &error));
    EXPECT_FALSE(ParseRecordLine(" 1 A|x", false, &r, &error));
    EXPECT_FALSE(ParseRecordLine("A|x", false, &r, &error));
    EXPECT_NE(std::string::npos, error.find("A|x"));
    EXPECT_FALSE(ParseRecordLine("1 bad\\", false, &r, &error));
    EXPECT_EQ(55u, r.kind);
    EXPECT_EQ("kept", r.payload);
    // The same payload is fine raw.
    EXPECT_TRUE(ParseRecordLine("1 bad\\", true, &r, &error));
    EXPECT_EQ("bad\\", r.payload);
}

TEST(RecordText, LinesCommentsAndLineEnds) {
    const std::string text = "# a session\r\n"
                             "start 1234\r\n"
                             "\n"
                             "   \t\n"
                             "enter A|x\n"
                             "trace B|y\\nz\r\n"
                             "leave A|z";
    std::vector<EngineRecord> records;
    std::string error;
    ASSERT_TRUE(ParseRecordText(text, false, &records, &error)) << error;
    ASSERT_EQ(4u, records.size());
    EXPECT_EQ(9999u, records[0].kind);
    EXPECT_EQ("1234", records[0].payload);
    EXPECT_EQ(1u, records[1].kind);
    EXPECT_EQ("A|x", records[1].payload);
    EXPECT_EQ(0u, records[2].kind);
    EXPECT_EQ("B|y\nz", records[2].payload);
    EXPECT_EQ(2u, records[3].kind);
    EXPECT_EQ("A|z", records[3].payload);

    ASSERT_TRUE(ParseRecordText("", false, &records, &error));
    EXPECT_TRUE(records.empty());
}

TEST(RecordText, ErrorNamesTheLine) {
    std::vector<EngineRecord> records(1);
    std::string error;
    EXPECT_FALSE(ParseRecordText("start 1\nenter A|x\nbogus B|y\n", false, &records, &error));
    EXPECT_NE(std::string::npos, error.find("line 3")) << error;
    EXPECT_EQ(1u, records.size()) << "nothing is returned from a bad text";
    EXPECT_FALSE(ParseRecordText("1 ok\n\n2 bad\\q\n", false, &records, &error));
    EXPECT_NE(std::string::npos, error.find("line 3")) << error;
}

TEST(SendArguments, RecordsInCommandLineForm) {
    const std::vector<EngineRecord> r = SendRecords({"start 1234", "enter A|x", "trace B|y", "leave A|z"});
    ASSERT_EQ(4u, r.size());
    EXPECT_EQ(9999u, r[0].kind);
    EXPECT_EQ("1234", r[0].payload);
    EXPECT_EQ(1u, r[1].kind);
    EXPECT_EQ(0u, r[2].kind);
    EXPECT_EQ(2u, r[3].kind);
    EXPECT_EQ("A|z", r[3].payload);
}

TEST(SendArguments, KindOptionMakesArgumentsPayloads) {
    const std::vector<EngineRecord> r = SendRecords({"--kind", "leave", "A|z", "enter B|y", "a\\nb"});
    ASSERT_EQ(3u, r.size());
    for (const EngineRecord& rec : r)
        EXPECT_EQ(2u, rec.kind);
    EXPECT_EQ("A|z", r[0].payload);
    EXPECT_EQ("enter B|y", r[1].payload);
    EXPECT_EQ("a\nb", r[2].payload);

    const std::vector<EngineRecord> raw = SendRecords({"--raw", "--kind", "7", "a\\nb"});
    ASSERT_EQ(1u, raw.size());
    EXPECT_EQ(7u, raw[0].kind);
    EXPECT_EQ("a\\nb", raw[0].payload);
}

TEST(SendArguments, DoubleDashEndsOptions) {
    const std::vector<EngineRecord> r = SendRecords({"--kind", "0", "--", "--file", "-x"});
    ASSERT_EQ(2u, r.size());
    EXPECT_EQ("--file", r[0].payload);
    EXPECT_EQ("-x", r[1].payload);
}

TEST(SendArguments, FilesAndArgumentsInOrder) {
    TempFile a("start 77\nenter F|x\n");
    TempFile b("# nothing but a comment\n");
    TempFile c("leave F|\xB0\xA1\\x00z\n");
    const std::vector<EngineRecord> r =
        SendRecords({"--file", a.Path(), "trace mid", "--file", b.Path(), "--file", c.Path()});
    ASSERT_EQ(4u, r.size());
    EXPECT_EQ(9999u, r[0].kind);
    EXPECT_EQ("77", r[0].payload);
    EXPECT_EQ("F|x", r[1].payload);
    EXPECT_EQ(0u, r[2].kind);
    EXPECT_EQ("mid", r[2].payload);
    EXPECT_EQ(2u, r[3].kind);
    EXPECT_EQ(std::string("F|\xB0\xA1\0z", 6), r[3].payload);
}

TEST(SendArguments, FileKindsAreNotOverriddenByKindOption) {
    TempFile a("enter F|x\n");
    const std::vector<EngineRecord> r = SendRecords({"--kind", "0", "--file", a.Path(), "G|y"});
    ASSERT_EQ(2u, r.size());
    EXPECT_EQ(1u, r[0].kind);
    EXPECT_EQ(0u, r[1].kind);
    EXPECT_EQ("G|y", r[1].payload);
}

TEST(SendArguments, BadArguments) {
    SendOptions o;
    std::string error;
    EXPECT_FALSE(ParseSend({}, &o, &error));
    EXPECT_NE(std::string::npos, error.find("nothing to send"));
    EXPECT_FALSE(ParseSend({"--kind"}, &o, &error));
    EXPECT_NE(std::string::npos, error.find("--kind needs a value"));
    EXPECT_FALSE(ParseSend({"--kind", "sometimes", "A"}, &o, &error));
    EXPECT_NE(std::string::npos, error.find("sometimes"));
    EXPECT_FALSE(ParseSend({"--file"}, &o, &error));
    EXPECT_FALSE(ParseSend({"--file", "", "1 x"}, &o, &error));
    EXPECT_FALSE(ParseSend({"--verbose", "1 x"}, &o, &error));
    EXPECT_NE(std::string::npos, error.find("--verbose"));
    EXPECT_FALSE(ParseSend({"--raw"}, &o, &error));

    EXPECT_TRUE(ParseSend({"--help"}, &o, &error));
    EXPECT_TRUE(o.help);
    EXPECT_NE(std::string::npos, std::string(SEND_USAGE).find("usage: vktool send"));
}

TEST(SendArguments, BadSourcesSendNothing) {
    std::vector<EngineRecord> records(2);
    std::string error;
    SendOptions o;
    ASSERT_TRUE(ParseSend({"1 fine", "bogus record"}, &o, &error));
    EXPECT_FALSE(BuildSendRecords(o, &records, &error));
    EXPECT_NE(std::string::npos, error.find("bogus record")) << error;
    EXPECT_EQ(2u, records.size());

    ASSERT_TRUE(ParseSend({"--kind", "1", "bad\\"}, &o, &error));
    EXPECT_FALSE(BuildSendRecords(o, &records, &error));

    const std::string missing = testing::TempDir() + "no_such_dir_vk/records.txt";
    ASSERT_TRUE(ParseSend({"--file", missing}, &o, &error));
    EXPECT_FALSE(BuildSendRecords(o, &records, &error));
    EXPECT_NE(std::string::npos, error.find(missing)) << error;

    TempFile bad("enter A|x\nwhat B|y\n");
    ASSERT_TRUE(ParseSend({"--file", bad.Path()}, &o, &error));
    EXPECT_FALSE(BuildSendRecords(o, &records, &error));
    EXPECT_NE(std::string::npos, error.find("line 2")) << error;
    EXPECT_NE(std::string::npos, error.find(bad.Path())) << error;
}

// Typed in a UTF-8 terminal: records and the session identifier go out in code page 949, the
// escapes read after the conversion (so "\xB0\xA1" stays those bytes); record files are not
// converted.
TEST(SendArguments, TextTypedInTheUsersEncodingIsSentInCodePage949) {
    struct Utf8User {
        Utf8User() { SetUserEncoding(TEXT_ENCODING_UTF8); }
        ~Utf8User() { SetUserEncoding(TEXT_ENCODING_CP949); }
    } user;
    TempFile file("trace F|고객\n");
    const std::vector<EngineRecord> r =
        SendRecords({u8"trace K|가\\xB0\\xA1", u8"3 조회\\n", "--file", file.Path()});
    ASSERT_EQ(3u, r.size());
    EXPECT_EQ("K|가가", r[0].payload);
    EXPECT_EQ("조회\n", r[1].payload);
    EXPECT_EQ("F|고객", r[2].payload);
    DemoOptions demo;
    std::string error;
    EXPECT_TRUE(ParseDemo({"--sid", u8"세션-1"}, &demo, &error)) << error;
    EXPECT_EQ("세션-1", demo.sessionId);

    SendOptions o;
    EXPECT_FALSE(ParseSend({"trace A|x", u8"trace B|\u00e9"}, &o, &error));
    EXPECT_NE(std::string::npos, error.find("U+00E9 has no code in code page 949")) << error;
    EXPECT_FALSE(ParseDemo({"--sid", "\xFF"}, &demo, &error));
    EXPECT_NE(std::string::npos, error.find("is not UTF-8 text")) << error;
}

TEST(DemoArguments, DefaultsAndValues) {
    DemoOptions o;
    std::string error;
    ASSERT_TRUE(ParseDemo({}, &o, &error)) << error;
    EXPECT_FALSE(o.help);
    EXPECT_DOUBLE_EQ(3.0, o.rate);
    EXPECT_EQ(0u, o.count);
    EXPECT_EQ("", o.sessionId);
    EXPECT_EQ(0u, o.waitSeconds);

    ASSERT_TRUE(ParseDemo({"--rate", "20", "--count", "50", "--sid", "S-9", "--wait", "30"}, &o, &error))
        << error;
    EXPECT_DOUBLE_EQ(20.0, o.rate);
    EXPECT_EQ(50u, o.count);
    EXPECT_EQ("S-9", o.sessionId);
    EXPECT_EQ(30u, o.waitSeconds);

    ASSERT_TRUE(ParseDemo({"--rate", "0.5"}, &o, &error)) << error;
    EXPECT_DOUBLE_EQ(0.5, o.rate);
    ASSERT_TRUE(ParseDemo({"--help"}, &o, &error));
    EXPECT_TRUE(o.help);
}

TEST(DemoArguments, BadValues) {
    DemoOptions o;
    std::string error;
    for (const char* rate : {"0", "-3", "abc", "3x", "", "1001", "nan", "inf", "0.01"}) {
        EXPECT_FALSE(ParseDemo({"--rate", rate}, &o, &error)) << rate;
        EXPECT_NE(std::string::npos, error.find("--rate")) << error;
    }
    for (const char* count : {"0", "-1", "1.5", "x", "", "1000000001"}) {
        EXPECT_FALSE(ParseDemo({"--count", count}, &o, &error)) << count;
        EXPECT_NE(std::string::npos, error.find("--count")) << error;
    }
    EXPECT_FALSE(ParseDemo({"--wait", "3601"}, &o, &error));
    EXPECT_FALSE(ParseDemo({"--sid", ""}, &o, &error));
    EXPECT_FALSE(ParseDemo({"--rate"}, &o, &error));
    EXPECT_NE(std::string::npos, error.find("needs a value"));
    EXPECT_FALSE(ParseDemo({"--fast"}, &o, &error));
    EXPECT_NE(std::string::npos, error.find("--fast"));
    EXPECT_FALSE(ParseDemo({"10"}, &o, &error));
    EXPECT_NE(std::string::npos, error.find("10"));
}

TEST(DemoArguments, Interval) {
    EXPECT_EQ(333u, DemoIntervalMs(3));
    EXPECT_EQ(1000u, DemoIntervalMs(1));
    EXPECT_EQ(10000u, DemoIntervalMs(0.1));
    EXPECT_EQ(1u, DemoIntervalMs(1000));
    EXPECT_EQ(50u, DemoIntervalMs(20));
}

TEST(DemoScript, StartsWithTheSession) {
    DemoScript s("S-1234");
    EXPECT_EQ(0u, s.Round());
    const EngineRecord first = s.Next();
    EXPECT_EQ(9999u, first.kind);
    EXPECT_EQ("S-1234", first.payload);
    EXPECT_EQ(0, s.Depth());
    // Only one session start, ever.
    for (int i = 0; i < 500; ++i)
        EXPECT_NE(9999u, s.Next().kind);
}

TEST(DemoScript, CallsNestAndBalance) {
    DemoScript s("1");
    s.Next();
    std::vector<std::string> stack;
    int maxDepth = 0;
    unsigned roundEnds = 0;
    unsigned lastRound = 0;
    for (int i = 0; i < 1000; ++i) {
        const EngineRecord r = s.Next();
        if (r.kind == RECORD_ENTER) {
            stack.push_back(Name(r));
        } else if (r.kind == RECORD_LEAVE) {
            ASSERT_FALSE(stack.empty()) << "leave without enter at record " << i;
            EXPECT_EQ(stack.back(), Name(r)) << "a leave names the function its enter named";
            stack.pop_back();
        } else {
            EXPECT_EQ(RECORD_TRACE, r.kind);
        }
        EXPECT_EQ(static_cast<int>(stack.size()), s.Depth());
        if (static_cast<int>(stack.size()) > maxDepth) maxDepth = static_cast<int>(stack.size());
        if (s.Round() != lastRound) {
            EXPECT_TRUE(stack.empty() || (stack.size() == 1 && r.kind == RECORD_ENTER))
                << "a round starts at depth 0";
            lastRound = s.Round();
        }
        if (stack.empty()) {
            ++roundEnds;
            EXPECT_EQ("Main", Name(r)) << "only the round's outer call returns to depth 0";
        }
    }
    EXPECT_GE(maxDepth, 3) << "calls nest at least three deep";
    EXPECT_GE(roundEnds, 10u) << "rounds end at depth 0";
    EXPECT_EQ(roundEnds + 1, s.Round()) << "1000 records end inside a round";
}

TEST(DemoScript, ShowsWhatTheDebuggerHandles) {
    DemoScript s("1");
    s.Next();
    std::set<std::string> names;
    bool lineFeed = false, caret = false, longDetail = false, korean = false, noBar = false;
    std::map<std::string, std::string> masked;
    for (int i = 0; i < 200; ++i) {
        const EngineRecord r = s.Next();
        const std::size_t bar = r.payload.find('|');
        names.insert(Name(r));
        if (bar == std::string::npos) {
            noBar = true;
            continue;
        }
        const std::string detail = r.payload.substr(bar + 1);
        if (r.kind != RECORD_ENTER) {
            lineFeed = lineFeed || detail.find('\n') != std::string::npos;
            caret = caret || detail.find('^') != std::string::npos;
            longDetail = longDetail || detail.size() > 100;
        }
        for (std::size_t k = 0; k + 1 < detail.size(); ++k)
            if (IsHangulSyllableCp949(static_cast<unsigned char>(detail[k]),
                                      static_cast<unsigned char>(detail[k + 1])))
                korean = true;
        if (Name(r) == "LoadInputFID" || Name(r) == "S_UpperLower") {
            EXPECT_EQ(RECORD_TRACE, r.kind);
            EXPECT_FALSE(detail.empty());
            masked[Name(r)] = detail;
        }
        // Names are plain ASCII so that a console shows them.
        for (char c : Name(r))
            EXPECT_TRUE(c > 0x20 && c < 0x7F) << r.payload;
    }
    EXPECT_TRUE(lineFeed);
    EXPECT_TRUE(caret);
    EXPECT_TRUE(longDetail);
    EXPECT_TRUE(korean);
    EXPECT_TRUE(noBar);
    EXPECT_EQ(2u, masked.size());
    EXPECT_GE(names.size(), 8u);
}

TEST(DemoScript, SameSessionSameRecordsRoundsDiffer) {
    DemoScript a("X"), b("X");
    std::vector<std::string> first, second;
    for (int i = 0; i < 100; ++i) {
        const EngineRecord ra = a.Next(), rb = b.Next();
        EXPECT_EQ(ra.kind, rb.kind);
        EXPECT_EQ(ra.payload, rb.payload);
    }
    // The round number shows in the records, so a person sees the stream move on.
    DemoScript c("X");
    c.Next();
    std::map<unsigned, std::vector<EngineRecord>> rounds;
    for (int i = 0; i < 200; ++i) {
        const EngineRecord r = c.Next();
        rounds[c.Round()].push_back(r);
    }
    const std::vector<EngineRecord>& round1 = rounds[1];
    const std::vector<EngineRecord>& round2 = rounds[2];
    ASSERT_EQ(round1.size(), round2.size()) << "every round has the same calls";
    ASSERT_GE(round1.size(), 10u);
    int differing = 0;
    for (std::size_t i = 0; i < round1.size(); ++i) {
        EXPECT_EQ(round1[i].kind, round2[i].kind);
        EXPECT_EQ(Name(round1[i]), Name(round2[i]));
        if (round1[i].payload != round2[i].payload) ++differing;
    }
    EXPECT_GE(differing, 3);
}
