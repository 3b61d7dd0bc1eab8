// vktool profile and export: the calls found in small traces, the table, and the exported files
// read back (the Chrome file through a small JSON reader).
#include "script_test_files.h"
#include "text_encoding.h"
#include "trace_calls.h"
#include "vktool.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

namespace {

// A trace from rows "D>Name delay" (an entry at depth D) and "D Name delay" (any other row).
std::string Trace(const std::vector<std::string>& rows) {
    std::string file;
    for (const std::string& r : rows) {
        const size_t space = r.find(' ', 2);
        file += std::string(5 * (size_t)(r[0] - '0'), ' ') + r.substr(2, space - 2) + "|" +
                r.substr(space + 1) + "|" + (r[1] == '>' ? std::string(96, '-') : "r") + "\r\n";
    }
    return file;
}

std::string Summary(const CTraceCalls& c) {
    std::ostringstream s;
    s << c.Rows() << " rows " << c.Calls() << " calls " << c.Unfinished() << " unfinished " << c.TotalMs()
      << " ms " << c.OutsideMs() << " outside";
    for (const TraceFunction& f : c.Functions())
        s << "; " << f.name << " " << f.calls << "/" << f.outerCalls << " " << f.totalMs << " " << f.selfMs
          << " " << f.maxMs << " " << f.unfinished;
    return s.str();
}

// Text is shown to a UTF-8 terminal.
class Profile : public ::testing::Test {
protected:
    void SetUp() override { SetUserEncoding(TEXT_ENCODING_UTF8); }
    void TearDown() override { SetUserEncoding(TEXT_ENCODING_CP949); }
    std::pair<int, std::string> Run(int (*command)(int, char**, FILE*, FILE*), std::vector<std::string> args,
                                    std::string* err = nullptr) {
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(&a[0]);
        FILE* out = std::fopen(P("out").c_str(), "w+b");
        FILE* errFile = std::fopen(P("err").c_str(), "w+b");
        const int status = command((int)argv.size(), argv.data(), out, errFile);
        std::fclose(out);
        std::fclose(errFile);
        if (err) *err = ReadFileBytes(P("err"));
        return {status, ReadFileBytes(P("out"))};
    }
    std::string P(const std::string& name) { return dir.Path(name); }
    ScratchDir dir;
};

TEST_F(Profile, CallsFoundInSmallTraces) {
    const struct {
        std::vector<std::string> rows;
        const char* expected; // rows, calls, ...; then each function: calls/outer total self max unfinished
    } cases[] = {
        // Nested calls, a plain line in Main; the first entry's delay is outside any call.
        {{"0>Main 1", "1>Calc 2", "2>Read 3", "2 Read 4", "2 note 7", "1 Calc 5", "0 Main 6"},
         "7 rows 3 calls 0 unfinished 28 ms 1 outside; Main 1/1 27 8 27 0; Calc 1/1 19 15 19 0; Read 1/1 4 4 "
         "4 0"},
        // Recursion: the total counts the outermost calls only, the self time every call's own.
        {{"0>A 1", "1>A 2", "2>A 3", "2 A 4", "1 A 5", "0 A 6", "0>A 10", "0 A 1"},
         "8 rows 4 calls 0 unfinished 32 ms 11 outside; A 4/2 21 21 20 0"},
        // Unfinished at the end of the trace.
        {{"0>Main 1", "1>B 2", "2 x 3"},
         "3 rows 2 calls 2 unfinished 6 ms 1 outside; Main 1/1 5 2 5 1; B 1/1 3 3 3 1"},
        // A trace starting inside a call, and leaves with no entry: the root's.
        {{"2 x 1", "1 Inner 2", "0 Outer 3", "0>Main 4", "3 deep 2", "0 Main 5"},
         "6 rows 1 calls 0 unfinished 17 ms 10 outside; Main 1/1 7 7 7 0"},
        // A row of another name at the entry's indentation ends the call unfinished, before it.
        {{"0>A 1", "0 B 2", "0 A 3", "0>A 1", "0>A 2", "0 A 3"},
         "6 rows 3 calls 2 unfinished 12 ms 9 outside; A 3/3 3 3 3 2"},
        // Masked functions under their names, Hangul names in code page 949; bad delays count 0,
        // a negative one is the 32-bit count the debugger wrote.
        {{"0>LoadInputFID 1", "1 S_UpperLower 2", "0 LoadInputFID 3", "0>한글함수 x", "0 한글함수 -1"},
         "5 rows 2 calls 0 unfinished 4294967301 ms 1 outside; LoadInputFID 1/1 5 5 5 0; 한글함수 1/1 "
         "4294967295 "
         "4294967295 4294967295 0"},
        {{}, "0 rows 0 calls 0 unfinished 0 ms 0 outside"},
    };
    for (const auto& c : cases) {
        WriteFileBytes(P("t.vkp"), Trace(c.rows));
        CTraceCalls calls;
        FILE* err = std::fopen(P("err").c_str(), "wb");
        EXPECT_TRUE(ReadTraceCalls("profile", P("t.vkp").c_str(), &calls, err));
        std::fclose(err);
        EXPECT_EQ(c.expected, Summary(calls));
    }
}

TEST_F(Profile, TableAndBadInput) {
    WriteFileBytes(P("t.vkp"), Trace({"0>Main 1", "1>한글함수 2", "1 한글함수 4", "1>한글함수 x",
                                      "1 한글함수 0", "1>Calc 3", "0 Main 10"}));
    std::string err;
    auto r = Run(VkProfile, {P("t.vkp"), "--top", "2"}, &err);
    EXPECT_EQ(0, r.first);
    EXPECT_EQ(u8"7 rows, 4 calls (1 unfinished), 20 ms (1 ms outside any call)\n\n"
              u8"Function  Calls  Total ms  Self ms  Mean ms  Max ms  Total %  Unfinished\n"
              u8"--------  -----  --------  -------  -------  ------  -------  ----------\n"
              u8"Main          1        19       15    19.00      19     95.0           0\n"
              u8"한글함수      2         4        4     2.00       4     20.0           0\n"
              u8"(1 more function: --top 0 lists them all)\n",
              r.second);
    EXPECT_EQ("vktool profile: " + P("t.vkp") +
                  ": 1 row has a delay that is not a number, counted as 0 ms (row 4)\n",
              err);
    r = Run(VkProfile, {P("t.vkp"), "--sort", "calls", "--top", "0"});
    EXPECT_NE(std::string::npos,
              r.second.find(u8"-\n한글함수      2         4        4     2.00       4     20.0           0\n"
                            u8"Calc          1         0        0     0.00       0      0.0           1\n"
                            u8"Main"))
        << r.second;

    WriteFileBytes(P("empty.vkp"), "");
    EXPECT_EQ("0 rows, 0 calls (0 unfinished), 0 ms (0 ms outside any call)\n\n"
              "Function  Calls  Total ms  Self ms  Mean ms  Max ms  Total %  Unfinished\n"
              "--------  -----  --------  -------  -------  ------  -------  ----------\n",
              Run(VkProfile, {P("empty.vkp")}).second);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {P("t.vkp"), "--sort", "name"}, {P("t.vkp"), "--top", "-1"}, {P("t.vkp"), P("t.vkp")}})
        EXPECT_EQ(VK_EXIT_USAGE, Run(VkProfile, args).first);
    EXPECT_EQ(std::make_pair(VK_EXIT_FAILURE, std::string()), Run(VkProfile, {P("none.vkp")}, &err));
    EXPECT_NE(std::string::npos, err.find("none.vkp: cannot open the file: there is no such file")) << err;
    std::filesystem::create_directory(P("folder.vkp"));
    EXPECT_EQ(VK_EXIT_FAILURE, Run(VkProfile, {P("folder.vkp")}, &err).first);
    EXPECT_NE(std::string::npos, err.find("it is a folder")) << err;
}

// Just enough JSON for the export: objects, arrays, strings (escapes kept as written), numbers, true.
struct Json {
    std::string text;
    std::map<std::string, Json> fields;
    std::vector<Json> items;
    double Num() const { return std::stod(text); }
    const Json& operator[](const char* key) const { return fields.at(key); }
};

Json ParseJson(const std::string& s, size_t& i) {
    Json v;
    const char c = s.at(i);
    if (c == '{' || c == '[') {
        for (i++; s.at(i) != (c == '{' ? '}' : ']');) {
            if (s[i] == ',' || s[i] == '\n') {
                i++;
                continue;
            }
            if (c == '[') {
                v.items.push_back(ParseJson(s, i));
                continue;
            }
            const std::string key = ParseJson(s, i).text;
            EXPECT_EQ(':', s.at(i++));
            v.fields[key] = ParseJson(s, i);
        }
        i++;
    } else if (c == '"') {
        for (i++; s.at(i) != '"'; i++) {
            if (s[i] == '\\') v.text += s[i++];
            v.text += s[i];
        }
        i++;
    } else {
        const size_t end = s.find_first_of(",}]", i);
        v.text = s.substr(i, end - i);
        i = end;
    }
    return v;
}

TEST_F(Profile, ExportsReadBack) {
    std::string trace =
        Trace({"0>Main 1", "1>Calc 2", "2>Read 3", "2 Read 4", "1 Calc 5", "1>Calc 1", "1 Calc 0",
               "1>한글함수 2", "2 line 3", "1 한글함수 1", "0 Main 6", "0 top 2", "0>Main 1", "1>Open 5"});
    trace += "\xFF;\"x|7|0123456789a\\\"b\\nc\r\n";
    WriteFileBytes(P("t.vkp"), trace);
    WriteFileBytes(P("old.json"), "old");
    ASSERT_EQ(0, Run(VkExport, {P("t.vkp"), "--chrome", P("t.json"), "--folded", P("t.txt")}).first);
    const std::string json = ReadFileBytes(P("t.json"));
    size_t at = 0;
    const Json root = ParseJson(json, at);
    std::vector<const Json*> calls;
    std::vector<std::string> lines;
    for (const Json& e : root["traceEvents"].items) {
        if (e["ph"].text == "X") calls.push_back(&e);
        if (e["ph"].text == "i") lines.push_back(e["name"].text + "=" + e["args"]["detail"].text);
    }
    // Every call inside the one around it; the outermost ones and the root's time make the trace's.
    std::stable_sort(calls.begin(), calls.end(), [](const Json* a, const Json* b) {
        return (*a)["ts"].Num() != (*b)["ts"].Num() ? (*a)["ts"].Num() < (*b)["ts"].Num()
                                                    : (*a)["dur"].Num() > (*b)["dur"].Num();
    });
    std::vector<double> ends;
    double outer = 0;
    for (const Json* e : calls) {
        const double ts = (*e)["ts"].Num(), end = ts + (*e)["dur"].Num();
        while (!ends.empty() && ends.back() < ts)
            ends.pop_back();
        if (ends.empty())
            outer += end - ts;
        else
            EXPECT_LE(end, ends.back()) << (*e)["name"].text;
        ends.push_back(end);
    }
    EXPECT_EQ(7u, calls.size());
    EXPECT_EQ((43.0 - 11) * 1000, outer);
    EXPECT_EQ("true", calls.back()->fields.at("args")["unfinished"].text);
    EXPECT_EQ((std::vector<std::string>{u8"line=r", u8"top=r", u8"\\\\xFF;\\\"x=0123456789a\\\\\\\"b\\nc"}), lines);
    EXPECT_NE(std::string::npos,
              json.find(u8"{\"name\":\"한글함수\",\"ph\":\"X\",\"ts\":18000,\"dur\":4000,"));

    // Folded stacks: their self times add up to the trace's time too.
    EXPECT_EQ(u8"(root) 11\nMain 16\nMain;Calc 8\nMain;Calc;Read 4\nMain;한글함수 4\n",
              ReadFileBytes(P("t.txt")));

    // Nothing replaces the old file when the export fails, and no temporary file stays.
    EXPECT_EQ(VK_EXIT_FAILURE, Run(VkExport, {P("none.vkp"), "--chrome", P("old.json")}).first);
    EXPECT_EQ(VK_EXIT_USAGE, Run(VkExport, {P("t.vkp"), "--folded", P("t.vkp")}).first);
    EXPECT_EQ(VK_EXIT_USAGE, Run(VkExport, {P("t.vkp")}).first);
    EXPECT_EQ("old", ReadFileBytes(P("old.json")));
    EXPECT_EQ(trace, ReadFileBytes(P("t.vkp")));
    EXPECT_EQ(6, std::distance(std::filesystem::directory_iterator(dir.Path("")), {}));
}

#ifndef _WIN32
// The built program runs both commands, and its usage names them.
TEST_F(Profile, Program) {
    const std::string exe = std::string(VK_BIN_DIR) + "/vktool";
    if (!std::filesystem::exists(exe)) GTEST_SKIP() << exe << " is not built";
    WriteFileBytes(P("t.vkp"), Trace({"0>Main 1", "0 Main 2"}));
    const std::string cmd = "'" + exe + "' profile '" + P("t.vkp") + "' >'" + P("out") + "' && '" + exe +
                            "' export '" + P("t.vkp") + "' --folded '" + P("t.txt") + "' && '" + exe +
                            "' help >>'" + P("out") + "'";
    EXPECT_EQ(0, std::system(cmd.c_str()));
    const std::string out = ReadFileBytes(P("out"));
    EXPECT_EQ(0u, out.find("2 rows, 1 call (0 unfinished), 3 ms (1 ms outside any call)\n")) << out;
    EXPECT_NE(std::string::npos, out.find("\n  export TRACE.vkp")) << out;
    EXPECT_EQ("(root) 1\nMain 2\n", ReadFileBytes(P("t.txt")));
}
#endif

} // namespace
