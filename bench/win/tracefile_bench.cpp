// Trace files in the real dialog, window shown: the time to load a trace file of each size
// (File > Open File's LoadTraceFile: reading, replacing the trace, one redraw) and to save it
// again (SaveTraceFile, through its temporary file), the time per row of each, where a load's
// time goes (reading and parsing the file against filling the grid), and the memory each loaded
// row takes.
//
// The figure that matters for loading is the time per row at the largest size against that at
// the smallest: it stays near 1 when nothing on a row's path grows with the trace. Sizes of
// 100,000 rows and fewer are loaded and saved three times, the fastest run counting (the machines
// are shared); larger ones once.
//
//   scripts/wine-run build/win64/bin/tracefile_bench.exe [--sizes 1000,100000,1000000] [--breakdown]
#include "DebuggerDlg.h"
#include "TraceFile.h"
#include "TraceGrid.h"
#include "bench_util.h"
#include "sample_trace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace bench;

struct Figures {
    long rows = 0;
    long long fileBytes = 0;
    double readS = 0; // ReadTraceRows alone: the file read and parsed, row by row
    double loadS = 0; // LoadTraceFile: read, trace replaced, one redraw
    double saveS = 0; // SaveTraceFile: written, committed, put in place
    double newS = 0;  // OnFileNew on the loaded trace: every row and detail freed, one redraw
    double bytesPerRow = 0;
    double privateMB = 0, workingMB = 0; // the whole process's, the trace loaded
};

class BenchDlg : public CDebuggerDlg {
public:
    std::vector<long> sizes;
    std::string dir;
    std::vector<Figures> results;
    bool failed = false;
    bool breakdown = false;

protected:
    BOOL OnInitDialog() override {
        CDebuggerDlg::OnInitDialog();
        PostMessage(WM_APP);
        return TRUE;
    }

    LRESULT OnRun(WPARAM, LPARAM) {
        Pump();
        for (long n : sizes) {
            bench::Progress("a trace file of %ld rows", n);
            Figures f;
            f.rows = n;
            const std::string in = dir + "\\vk_bench_in.vkp", out = dir + "\\vk_bench_out.vkp";
            f.fileBytes = WriteSampleTrace(in, n);
            if (f.fileBytes < 0) {
                std::fprintf(stderr, "cannot write %s\n", in.c_str());
                failed = true;
                break;
            }
            const int runs = n <= 100000 ? 3 : 1;
            for (int r = 0; r < runs; r++) {
                // The load's reading alone: every row read and parsed, then dropped.
                double t0 = Now();
                ReadTraceRows(
                    in.c_str(), [](TraceRowText&, void*) {}, nullptr);
                double read = Now() - t0;

                OnFileNew();
                Pump();
                const SIZE_T before = PrivateBytes();
                t0 = Now();
                LoadTraceFile(in.c_str());
                double load = Now() - t0;
                const SIZE_T after = PrivateBytes();
                const SIZE_T resident = WorkingSet();
                Pump();
                if (Details().GetSize() != n) {
                    std::fprintf(stderr, "loaded %ld rows of %ld\n", (long)Details().GetSize(), n);
                    failed = true;
                }
                t0 = Now();
                SaveTraceFile(out.c_str());
                double save = Now() - t0;
                Pump();
                if (r == 0 || read < f.readS) f.readS = read;
                if (r == 0 || load < f.loadS) f.loadS = load;
                if (r == 0 || save < f.saveS) f.saveS = save;
                if (r == 0) f.bytesPerRow = double(after > before ? after - before : 0) / double(n);
                if (r == 0) f.privateMB = after / 1048576.0, f.workingMB = resident / 1048576.0;
                if (r == 0 && breakdown) MemoryBreakdown(n, f.bytesPerRow);
            }
            ::DeleteFileA(out.c_str());
            ::DeleteFileA(in.c_str());
            const double t0 = Now();
            OnFileNew();
            f.newS = Now() - t0;
            Pump();
            results.push_back(f);
            std::printf(
                "%9ld rows (%6.1f MB file): load %8.3f s (%6.2f us/row; reading %6.2f us/row), save %7.3f s "
                "(%5.2f us/row), new file %6.3f s, memory %6.0f bytes/row (process: %.0f MB private, %.0f MB "
                "resident)\n",
                n, f.fileBytes / 1048576.0, f.loadS, f.loadS / n * 1e6, f.readS / n * 1e6, f.saveS,
                f.saveS / n * 1e6, f.newS, f.bytesPerRow, f.privateMB, f.workingMB);
            std::fflush(stdout);
        }
        if (breakdown) Breakdown();
        EndDialog(IDOK);
        return 0;
    }

    // Where one loaded row's bytes go, by what holds them; what the measured figure has beyond
    // their sum is the heap's own bookkeeping and the arrays' room to grow.
    void MemoryBreakdown(long n, double measured) {
        const CGridStorageUse use = Grid().MeasureStorage();
        const double details = (double)Details().MemoryBytes();
        const double per = 1.0 / (double)n;
        const double counted =
            double(use.rowBlocks + use.cellLists + use.cellObjects + use.rowArrays + use.styles) + details;
        std::printf(
            "    memory per row: row blocks %.1f, cell lists %.1f, cell objects %.1f (%d made), row arrays "
            "%.1f, styles %.1f, details %.1f; counted %.1f, heap bookkeeping and slack %.1f\n",
            use.rowBlocks * per, use.cellLists * per, use.cellObjects * per, use.cellsMade,
            use.rowArrays * per, use.styles * per, details * per, counted * per, measured - counted * per);
    }

    // Where one loaded row's time goes in the grid: appending the empty row, its format, its three
    // texts, each timed over a number of rows appended as a load appends them.
    void Breakdown() {
        OnFileNew();
        Pump();
        CGridMainWnd& grid = Grid();
        const long n = 20000;
        double add = 0, format = 0, texts = 0;
        grid.DeferScrollBarRedraw(TRUE);
        // As a load appends them: the scroll ranges are set once, after the last row.
        grid.SuspendScrollBarUpdates(TRUE);
        static const char detail[] = "step 12: value = 84, state = running";
        for (long i = 0; i < n; i++) {
            double a = Now();
            int row = AddEmptyTraceRow(grid);
            double b = Now();
            FormatTraceGridRow(grid, row);
            double c = Now();
            const LPCTSTR cells[3] = {"     Func12", "12", detail};
            grid.SetRowTexts(row, 3, cells, 1u << 2);
            double d = Now();
            add += b - a;
            format += c - b;
            texts += d - c;
        }
        // The same rows as a load makes them: from the look of the rows before.
        CGridRowLook look;
        const double l0 = Now();
        for (long i = 0; i < n; i++) {
            const LPCTSTR cells[3] = {"     Func12", "12", detail};
            AppendTraceRow(grid, cells, 1u << 2, &look);
        }
        const double byLook = Now() - l0;
        grid.SuspendScrollBarUpdates(FALSE);
        double m0 = Now();
        for (long i = 0; i < n; i++)
            grid.MeasureText("", TRUE);
        double m1 = Now();
        for (long i = 0; i < n; i++)
            grid.UpdateScrollBars();
        double m2 = Now();
        for (long i = 0; i < n; i++)
            grid.ClearSelection();
        double m3 = Now();
        std::printf("measure %.2f us, scrollbars %.2f us, clearsel %.2f us\n", (m1 - m0) / n * 1e6,
                    (m2 - m1) / n * 1e6, (m3 - m2) / n * 1e6);
        grid.DeferScrollBarRedraw(FALSE);
        std::printf("    per row made the long way: AddRow %.2f us, format %.2f us, texts %.2f us; per row "
                    "made from the trace rows' look (as a load makes them): %.2f us\n",
                    add / n * 1e6, format / n * 1e6, texts / n * 1e6, byLook / n * 1e6);
        OnFileNew();
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BenchDlg, CDebuggerDlg)
ON_MESSAGE(WM_APP, OnRun)
END_MESSAGE_MAP()

} // namespace

int main(int argc, char** argv) {
    if (bench::HelpAsked(
            argc, argv,
            "usage: tracefile_bench.exe [--sizes 1000,100000,1000000] [--breakdown]\n"
            "Trace files of each size loaded (Open File) and saved (Save File) in the real,\n"
            "visible dialog: time per row, the reading's share and the memory per loaded row\n"
            "(--breakdown: where a loaded row's time goes in the grid). Sizes up to 100,000 rows\n"
            "run three times, larger ones once. At its defaults it takes a minute or two.\n"))
        return 0;
    BenchDlg dlg;
    dlg.sizes = {1000, 100000, 1000000};
    for (int i = 1; i < argc; i++)
        if (std::strcmp(argv[i], "--breakdown") == 0) dlg.breakdown = true;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--sizes") == 0) {
            dlg.sizes.clear();
            for (char* p = argv[i + 1]; *p;) {
                dlg.sizes.push_back(std::strtol(p, &p, 10));
                if (*p == ',') p++;
            }
        }
    }
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(sizeof temp, temp);
    dlg.dir = temp;
    if (!dlg.dir.empty() && dlg.dir.back() == '\\') dlg.dir.pop_back();

    std::printf("trace files in the real dialog (%d-bit), window shown\n", (int)sizeof(void*) * 8);
    std::printf(
        "goals: 1,000,000 rows load in at most 1.5 s and save in at most 1 s, in at most 200 bytes a\n"
        "row (64-bit; 160 on 32-bit); load time per row at the largest size within 1.25 times that at\n"
        "the smallest\n");
    dlg.DoModal();
    if (dlg.failed || dlg.results.empty()) return 1;
    const Figures& small = dlg.results.front();
    const Figures& large = dlg.results.back();
    const double ratio = (large.loadS / large.rows) / (small.loadS / small.rows);
    std::printf("load time per row, %ld rows against %ld rows: %.2f (goal <= 1.25)\n", large.rows, small.rows,
                ratio);
    for (const Figures& f : dlg.results)
        if (f.rows == 1000000)
            std::printf(
                "1,000,000 rows: load %.2f s (goal <= 1.5 s, %s), save %.2f s (goal <= 1 s, %s), %.0f "
                "bytes a row\n",
                f.loadS, f.loadS <= 1.5 ? "met" : "missed", f.saveS, f.saveS <= 1 ? "met" : "missed",
                f.bytesPerRow);
    return 0;
}
