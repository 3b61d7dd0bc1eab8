// vktool print run as a user runs it: a trace of a few hundred rows printed into PNG pages (the
// page count, and on every page the header, the heading row, the body rows in order and the
// footer, read from the images), the same trace on a PDF printer, a page range, a resolution,
// and the errors.
#include "e2e_harness.h"
#include "png_reader.h"
#include "print_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using e2e::RunProgram;
using e2e::RunResult;

namespace {

const int kBits = sizeof(void*) * 8;
const int kRows = 300;

// The files of a folder, sorted.
std::vector<std::string> Files(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileA(h, &fd))
        if (fd.cFileName[0] != '.') names.push_back(fd.cFileName);
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

// A folder of its own under the temporary folder, removed with its files and folders.
struct TempDir {
    std::string path;
    TempDir() {
        char base[MAX_PATH + 1] = {};
        GetTempPathA(sizeof base, base);
        static int counter = 0;
        path = base + std::string("vkprint") + std::to_string(GetCurrentProcessId()) + "_" +
               std::to_string(counter++);
        CreateDirectoryA(path.c_str(), nullptr);
    }
    ~TempDir() { Remove(path); }
    static void Remove(const std::string& folder) {
        for (const std::string& f : Files(folder))
            if (!DeleteFileA((folder + "\\" + f).c_str())) Remove(folder + "\\" + f);
        RemoveDirectoryA(folder.c_str());
    }
    void Write(const std::string& name, const std::string& bytes) const {
        FILE* f = fopen((path + "\\" + name).c_str(), "wb");
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
};

// Row i's detail is i % 30 + 1 letters W: the ink of consecutive rows grows to the right and
// falls back every 30 rows, so the rows' order can be read from the pages.
std::string TraceText(int rows) {
    std::string text;
    for (int i = 0; i < rows; i++)
        text += "  Func" + std::to_string(i) + "|" + std::to_string(i % 7) + "|" +
                std::string(i % 30 + 1, 'W') + "\r\n";
    return text;
}

bool Dark(std::uint32_t rgb) {
    return ((rgb >> 16) & 0xFF) < 96 && ((rgb >> 8) & 0xFF) < 96 && (rgb & 0xFF) < 96;
}

// The rightmost ink of the last column between two row lines: right of the grid line that
// begins that column, left of the grid's right edge (the two last vertical lines of the band).
int InkRight(const pngtest::Image& page, int top, int bottom) {
    std::vector<int> verticals;
    for (int x = 0; x < page.width; x++) {
        bool line = true;
        for (int y = top + 3; y < bottom - 1 && line; y++)
            line = page.At(x, y) == 0;
        if (line) verticals.push_back(x);
    }
    if (verticals.size() < 2) return -2;
    const int left = verticals[verticals.size() - 2] + 2, right = verticals.back() - 2;
    int ink = -1;
    for (int y = top + 2; y < bottom - 1; y++)
        for (int x = right; x > left; x--)
            if (Dark(page.At(x, y))) {
                ink = std::max(ink, x);
                break;
            }
    return ink;
}

// The pages of the trace of TraceText(kRows), however printed: on every page the header, the
// heading row, full pages but the last, the footer; every row once and in order.
void CheckTracePages(const std::vector<pngtest::Image>& pages) {
    int row = 0;
    size_t fullPage = 0;
    for (size_t i = 0; i < pages.size(); i++) {
        SCOPED_TRACE("page " + std::to_string(i + 1));
        const pngtest::Image& page = pages[i];
        // Header rule, the heading row's top and bottom, one line under every body row, footer rule.
        const std::vector<int> lines = pngtest::Rules(page);
        ASSERT_GE(lines.size(), 5u);
        EXPECT_LT(lines.front(), page.height / 10) << "header at the top";
        EXPECT_GT(lines.back(), page.height * 9 / 10) << "footer at the bottom";
        int headingInk = 0;
        for (int y = lines[1] + 2; y < lines[2] - 1; y++)
            for (int x = 0; x < page.width; x++)
                headingInk += Dark(page.At(x, y));
        EXPECT_GT(headingInk, 100) << "the heading row's titles";
        int headerInk = 0, footerInk = 0;
        for (int y = 0; y < lines[0]; y++)
            for (int x = 0; x < page.width; x++)
                headerInk += Dark(page.At(x, y));
        for (int y = lines.back() + 2; y < page.height; y++)
            for (int x = 0; x < page.width; x++)
                footerInk += Dark(page.At(x, y));
        EXPECT_GT(headerInk, 50) << "the title in the header";
        EXPECT_GT(footerInk, 200) << "page number, date and time in the footer";

        const size_t bodyRows = lines.size() - 4;
        if (i == 0) fullPage = bodyRows;
        if (i + 1 < pages.size())
            EXPECT_EQ(fullPage, bodyRows) << "every page but the last is full";
        else
            EXPECT_LE(bodyRows, fullPage);
        // The rows in order: the ink grows row by row and falls back after every 30th.
        int previous = -1;
        for (size_t k = 0; k < bodyRows; k++, row++) {
            const int right = InkRight(page, lines[2 + k], lines[3 + k]);
            EXPECT_GT(right, 0) << "row " << row << " has text";
            if (k > 0 && row % 30 != 0) {
                EXPECT_GT(right, previous) << "row " << row;
            } else if (k > 0) {
                EXPECT_LT(right, previous) << "row " << row;
            }
            previous = right;
        }
    }
    EXPECT_EQ(kRows, row) << "every row printed once";
}

} // namespace

class VktoolPrint : public testing::Test {
protected:
    std::string vktool;
    void SetUp() override {
        vktool = e2e::FindBuiltProgram("vktool.exe", kBits);
        ASSERT_FALSE(vktool.empty()) << "vktool.exe of this build";
    }
    RunResult Run(const std::vector<std::string>& args) {
        RunResult r = RunProgram(vktool, args, 60000);
        EXPECT_TRUE(r.ended) << r.problem;
        return r;
    }
};

TEST_F(VktoolPrint, ATraceBecomesPngPagesWithEveryPartInPlace) {
    TempDir dir;
    dir.Write("run.vkp", TraceText(kRows));
    const std::string out = dir.path + "\\pages";
    const RunResult r = Run({"print", dir.path + "\\run.vkp", "--png", out});
    ASSERT_EQ(0u, r.exitCode) << r.errors;
    EXPECT_EQ("", r.errors);

    const std::vector<std::string> files = Files(out);
    ASSERT_GE(files.size(), 3u) << r.output;
    std::string listed;
    for (size_t i = 0; i < files.size(); i++) {
        char name[32];
        snprintf(name, sizeof name, "run-%03u.png", (unsigned)(i + 1));
        EXPECT_EQ(name, files[i]);
        listed += out + "\\" + name + "\n";
    }
    EXPECT_EQ(listed, r.output) << "one line per page written";

    std::vector<pngtest::Image> pages;
    for (size_t i = 0; i < files.size(); i++) {
        SCOPED_TRACE(files[i]);
        pngtest::Image page;
        std::string why;
        ASSERT_TRUE(pngtest::Decode(e2e::ReadFileBytes(out + "\\" + files[i]), &page, &why)) << why;
        ASSERT_EQ(1240, page.width) << "A4 at 150 dpi";
        ASSERT_EQ(1754, page.height);
        EXPECT_LT(e2e::ReadFileBytes(out + "\\" + files[i]).size(), 200000u) << "a page compressed";
        pages.push_back(page);
    }
    CheckTracePages(pages);
}

// The trace printed on a printer, the tests' PDF queue (the path of a user's printer: Wine's
// PostScript driver, then CUPS), read back from the PDF: every row once and in order, and on
// every page the header, the heading row and the footer; the page count given in each footer
// ("Page N of M") is the one vktool reports and the PDF has.
TEST_F(VktoolPrint, OnAPdfPrinterEveryPageAndRowArrives) {
    e2e::PdfQueue pdf;
    if (!pdf.Available()) GTEST_SKIP() << "no print server of the tests (ctest starts it)";
    TempDir dir;
    dir.Write("run.vkp", TraceText(kRows));
    const RunResult r = Run({"print", dir.path + "\\run.vkp", "--printer", "PDF"});
    ASSERT_EQ(0u, r.exitCode) << r.errors;
    std::vector<pngtest::Image> pages;
    std::string why;
    ASSERT_TRUE(pdf.ReadPages(150, &pages, &why)) << why;
    EXPECT_EQ("printed " + std::to_string(pages.size()) + " pages on PDF\n", r.output);
    CheckTracePages(pages);
}

TEST_F(VktoolPrint, PagesAndResolutionAreTheUsersChoice) {
    TempDir dir;
    dir.Write("t.vkp", TraceText(kRows));
    RunResult r = Run({"print", dir.path + "\\t.vkp", "--png", dir.path, "--pages", "2-3", "--dpi", "75"});
    ASSERT_EQ(0u, r.exitCode) << r.errors;
    EXPECT_EQ((std::vector<std::string>{"t-002.png", "t-003.png", "t.vkp"}), Files(dir.path));
    pngtest::Image page;
    std::string why;
    ASSERT_TRUE(pngtest::Decode(e2e::ReadFileBytes(dir.path + "\\t-002.png"), &page, &why)) << why;
    EXPECT_EQ(620, page.width) << "A4 at 75 dpi";
    EXPECT_EQ(877, page.height);
    // A range past the last page prints nothing and says how many pages there are.
    r = Run({"print", dir.path + "\\t.vkp", "--png", dir.path + "\\far", "--pages", "90-"});
    EXPECT_EQ(1u, r.exitCode);
    EXPECT_NE(std::string::npos, r.errors.find("beyond the last page (the trace has ")) << r.errors;
    EXPECT_TRUE(Files(dir.path + "\\far").empty());
}

TEST_F(VktoolPrint, MistakesAreReportedWithAStatus) {
    TempDir dir;
    dir.Write("t.vkp", TraceText(3));
    dir.Write("empty.vkp", "");
    dir.Write("script.vkc", std::string("Valkorine Compiled Script V2.0  \0\0\x01\x02", 36));
    const std::string trace = dir.path + "\\t.vkp";
    struct Case {
        std::vector<std::string> args;
        DWORD status;
        std::string message;
    };
    const Case cases[] = {
        {{"print", "--help"}, 0, ""},
        {{"print"}, 2, "no trace file given"},
        {{"print", trace, "--pages", "0"}, 2, "--pages 0"},
        {{"print", trace, "--dpi", "20", "--png", dir.path}, 2, "--dpi 20"},
        {{"print", trace, "--png", dir.path, "--printer", "P"}, 2, "does not go with"},
        {{"print", dir.path + "\\missing.vkp", "--png", dir.path}, 1, "missing.vkp: no such file"},
        {{"print", dir.path + "\\script.vkc", "--png", dir.path}, 1, "not a trace file"},
        {{"print", dir.path + "\\empty.vkp", "--png", dir.path}, 1, "no rows to print"},
        {{"print", trace, "--png", trace}, 1, "is a file, not a folder"},
        {{"print", trace, "--png", dir.path, "--pages", "3"}, 1, "(the trace has 1 page)"},
        {{"print", trace, "--printer", "No Such Printer 14"},
         1,
         "there is no printer named \"No Such Printer 14\""},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const std::string& a : c.args)
            line += a + " ";
        SCOPED_TRACE(line);
        const RunResult r = Run(c.args);
        EXPECT_EQ(c.status, r.exitCode) << r.errors;
        if (c.status == 0) {
            EXPECT_NE(std::string::npos, r.output.find("usage: vktool print")) << r.output;
        } else {
            EXPECT_NE(std::string::npos, r.errors.find(c.message)) << r.errors;
            if (c.status == 2) {
                EXPECT_NE(std::string::npos, r.errors.find("usage: vktool print"));
            }
        }
    }
    EXPECT_EQ((std::vector<std::string>{"empty.vkp", "script.vkc", "t.vkp"}), Files(dir.path))
        << "no images from a failed print";

    // Without a printer, printing there is refused with advice. (The suites' programs talk to a
    // print server with no printer, when ctest has started the servers.)
    if (!e2e::PdfQueue::Folder().empty()) {
        const RunResult r = Run({"print", trace});
        EXPECT_EQ(1u, r.exitCode);
        EXPECT_NE(std::string::npos, r.errors.find("no printer is installed (use --png DIR")) << r.errors;
    }
}

// The Korean text of a trace shown through scripts/wine-run: as UTF-8 on a terminal whose
// locale is UTF-8, as the program's own code page 949 bytes when redirected to a file.
TEST(VktoolShow, KoreanThroughWineRunIsUtf8OnATerminalAndBytesInAFile) {
    const std::string vktool = std::string(VK_BIN_DIR) + "/vktool.exe"; // as the shell names it
    TempDir dir;
    dir.Write("k.vkp", "  \xB0\xA1|7|\xB1\xBC\xB8\xB2\r\n"); // 가 and 굴림 in code page 949
    const std::string out = std::string(VK_BIN_DIR) + "/show-" + std::to_string(GetCurrentProcessId());
    const std::string run = "'" + std::string(VK_SOURCE_DIR) + "/scripts/wine-run' '" + vktool + "' show '" +
                            dir.path + "\\k.vkp'";
    ASSERT_TRUE(e2e::RunLinuxShell("export LC_ALL=C.UTF-8; script -qfec \"" + run + "\" /dev/null >" + out +
                                       ".tty; " + run + " >" + out + ".file; touch " + out + ".done",
                                   out + ".done", 120000));
    const std::string tty = e2e::ReadFileBytes(e2e::ToWindowsPath(out + ".tty"));
    const std::string file = e2e::ReadFileBytes(e2e::ToWindowsPath(out + ".file"));
    for (const char* ext : {".tty", ".file", ".done"})
        DeleteFileA(e2e::ToWindowsPath(out + ext).c_str());
    EXPECT_NE(std::string::npos, tty.find("  \xEA\xB0\x80  ")) << tty;
    EXPECT_NE(std::string::npos, tty.find("7  \xEA\xB5\xB4\xEB\xA6\xBC\r")) << tty;
    EXPECT_NE(std::string::npos, file.find("  \xB0\xA1  ")) << file;
    EXPECT_NE(std::string::npos, file.find("7  \xB1\xBC\xB8\xB2\n")) << file;
}
