// The grid and a trace load with the process's memory above the 2 GB line: every free address
// below it is taken first, so the memory they get next lies above it, where a pointer compared or
// subtracted as a signed number goes wrong. The work runs in a child process (this program, that
// test alone), whose heap is still small when the low addresses are taken.
#include "DebuggerDlg.h"
#include "grid_test_util.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace {

const ULONG_PTR kTwoGigabytes = 0x80000000u;

// Loads a trace file as Open File does, on the dialog's own thread, and keeps its last row.
class LoadDlg : public CDebuggerDlg {
public:
    std::string path;
    int rows = 0;
    CString detail;
    const void* chars = nullptr;

protected:
    BOOL OnInitDialog() override {
        CDebuggerDlg::OnInitDialog();
        LoadTraceFile(path.c_str());
        rows = (int)Details().GetSize();
        if (rows > 0) {
            detail = Details()[rows - 1];
            chars = Details().GetText(rows - 1);
        }
        PostMessage(WM_COMMAND, IDOK);
        return TRUE;
    }
};

} // namespace

TEST(HighMemory, DISABLED_ChildGridAndLoad) {
    MEMORY_BASIC_INFORMATION mbi;
    for (ULONG_PTR a = 0x10000; a < kTwoGigabytes && ::VirtualQuery((void*)a, &mbi, sizeof mbi) != 0;) {
        const ULONG_PTR next = (ULONG_PTR)mbi.BaseAddress + mbi.RegionSize;
        const ULONG_PTR base = (a + 0xFFFF) & ~(ULONG_PTR)0xFFFF, end = std::min(next, kTwoGigabytes);
        if (mbi.State == MEM_FREE && end > base)
            ::VirtualAlloc((void*)base, end - base, MEM_RESERVE, PAGE_NOACCESS);
        a = next;
    }
    void* probe = ::VirtualAlloc(nullptr, 1 << 20, MEM_RESERVE, PAGE_NOACCESS);
    if (probe == nullptr) GTEST_SKIP() << "no address space above 2 GB here";
    // The heap's room below the line is filled too (and kept), block sizes as the rows have, so
    // that what follows gets memory above it.
    for (size_t size : {16, 48, 128, 512})
        for (int i = 0; i < 4000000; i++) {
            void* volatile p = std::malloc(size);
            if (p == nullptr || (ULONG_PTR)p >= kTwoGigabytes) break;
        }

    const int n = 20000;
    gridtest::TestGrid g(1, 3, 1);
    for (int i = 1; i <= n; i++) {
        ASSERT_EQ(i, g.AddRow(std::to_string(n - i).c_str(), -1));
        g.SetCellText(i, 2, ("detail " + std::to_string(i)).c_str());
    }
    CGridItem* cell = g.GetCell(n, 2);
    ASSERT_NE(nullptr, cell);
    EXPECT_GE((ULONG_PTR)cell, kTwoGigabytes);
    EXPECT_STREQ("detail 20000", cell->text);
    g.SortRowsByColumn(0, TRUE);
    EXPECT_EQ(cell, g.GetCell(1, 2)) << "the object moved with its row";
    EXPECT_TRUE(g.RemoveRows(1, n / 2));
    EXPECT_EQ(n / 2 + 1, g.GetNumRows());

    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(sizeof temp, temp);
    LoadDlg dlg;
    dlg.path = std::string(temp) + "vk_high_memory.vkp";
    FILE* f = std::fopen(dlg.path.c_str(), "wb");
    ASSERT_NE(nullptr, f);
    for (int i = 0; i < n; i++)
        std::fprintf(f, "  Func%d|%d|step %d: state = running\\nbuffer\r\n", i, i % 31, i);
    std::fclose(f);
    dlg.DoModal();
    ::DeleteFileA(dlg.path.c_str());
    EXPECT_EQ(n, dlg.rows);
    EXPECT_GE((ULONG_PTR)dlg.chars, kTwoGigabytes);
    EXPECT_STREQ("step 19999: state = running\nbuffer", dlg.detail);
}

TEST(HighMemory, GridAndLoadWorkAboveTwoGigabytes) {
    char self[MAX_PATH + 1] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command =
        std::string("\"") + self +
        "\" --gtest_also_run_disabled_tests --gtest_filter=HighMemory.DISABLED_ChildGridAndLoad";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(
        ::CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi));
    const DWORD waited = ::WaitForSingleObject(pi.hProcess, 300000);
    DWORD code = 1;
    ::GetExitCodeProcess(pi.hProcess, &code);
    if (waited != WAIT_OBJECT_0) ::TerminateProcess(pi.hProcess, 1);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    EXPECT_EQ(WAIT_OBJECT_0, waited);
    EXPECT_EQ(0u, code) << "the child's failures are printed above";
}
