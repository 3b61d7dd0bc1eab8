// Files dropped on the real dialog: a drop handle built as the shell builds one (DROPFILES in
// global memory, the paths in the ANSI code page) is sent to the dialog while it runs modally.
#include "DebuggerDlg.h"
#include "ScriptFiles.h"
#include "dialog_driver.h"
#include "win_test_util.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <string>
#include <thread>
#include <vector>

namespace {

using vktest::DetailBox;
using vktest::SendRecord;

// Drops the files on the dialog; TRUE when the handler freed the drop handle (DragFinish).
bool Drop(HWND dlg, const std::vector<std::string>& paths) {
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& p : paths)
        size += p.size() + 1;
    HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    DROPFILES* df = (DROPFILES*)::GlobalLock(mem);
    df->pFiles = sizeof(DROPFILES);
    char* names = (char*)(df + 1);
    for (const std::string& p : paths) {
        memcpy(names, p.c_str(), p.size() + 1);
        names += p.size() + 1;
    }
    ::GlobalUnlock(mem);
    ::SendMessageA(dlg, WM_DROPFILES, (WPARAM)mem, 0);
    return ::GlobalFlags(mem) == GMEM_INVALID_HANDLE;
}

// A folder of its own under the temporary folder, with a Korean name and spaces.
struct DropFolder {
    std::string dir;
    std::vector<std::string> made;
    DropFolder() {
        char tmp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, tmp);
        dir = std::string(tmp) + "드롭 시험 " + std::to_string(::GetCurrentProcessId());
        ::CreateDirectoryA(dir.c_str(), nullptr);
    }
    std::string Path(const std::string& name) {
        made.push_back(dir + "\\" + name);
        return made.back();
    }
    ~DropFolder() {
        for (auto it = made.rbegin(); it != made.rend(); ++it)
            if (!::DeleteFileA(it->c_str())) ::RemoveDirectoryA(it->c_str());
        ::RemoveDirectoryA(dir.c_str());
    }
};

TEST(FileDrop, ScriptsShowTheirClearTextAndEveryFailureItsOwnReaction) {
    DropFolder folder;
    const std::string listing = folder.Path("스크립트 하나.VkL");
    const std::string compiled = folder.Path("notes.tar.vkc");
    const std::string badHeader = folder.Path("bad.vkc");
    const std::string dottedFolder = folder.Path("folder.vkl");
    const std::string trace = folder.Path("trace one.Vkp");
    ASSERT_EQ(SCRIPT_FILE_OK, WriteScriptListing(listing.c_str(), "첫 줄\nsecond line"));
    ASSERT_EQ(SCRIPT_FILE_OK, WriteCompiledScript(compiled.c_str(), "컴파일된\r\nscript\n"));
    {
        CFile f;
        ASSERT_TRUE(f.Open(trace.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary));
        const std::string lines = "A|5|first\r\n     B|17|x\\ny|z\r\n";
        f.Write(lines.data(), (UINT)lines.size());
    }
    // The header with one trailing space, then a block.
    {
        CFile f;
        ASSERT_TRUE(f.Open(badHeader.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary));
        f.Write("Valkorine Compiled Script V2.0 X0123456789abcdef", 48);
    }
    ASSERT_TRUE(::CreateDirectoryA(dottedFolder.c_str(), nullptr));
    const std::string inDottedFolder = folder.Path("folder.vkl\\readme");
    {
        CFile f;
        ASSERT_TRUE(f.Open(inDottedFolder.c_str(), CFile::modeCreate | CFile::modeWrite));
    }

    CDebuggerDlg dlg;
    std::vector<std::string> shown;
    std::vector<bool> freed;
    vktest::FoundBox cannotOpen, silentCompiled;
    LRESULT duringPrompt = -1, afterPrompt = -1;
    int traceRows = 0, depthAfterTrace = 0;
    std::string shownAfterTrace = "?";
    std::vector<std::string> details;
    size_t rowsAfterPrompt = 99;
    ASSERT_TRUE(vktest::RunDialog(dlg, [&](HWND h) {
                    // Only the first of several files; any letter case of the extension.
                    freed.push_back(Drop(h, {listing, compiled}));
                    shown.push_back(DetailBox(h));
                    freed.push_back(Drop(h, {compiled, listing}));
                    shown.push_back(DetailBox(h));
                    // Another header, an extension found in a folder's name, no extension at all,
                    // a compiled script that is not there: nothing, and no message.
                    {
                        vktest::MessageBoxAnswerer box(IDOK, 700);
                        freed.push_back(Drop(h, {badHeader}));
                        freed.push_back(Drop(h, {inDottedFolder}));
                        freed.push_back(Drop(h, {folder.dir + "\\readme"}));
                        freed.push_back(Drop(h, {folder.dir + "\\missing.vkc"}));
                        silentCompiled = box.Wait();
                    }
                    shown.push_back(DetailBox(h));
                    // A trace file replaces the trace; the detail box is emptied.
                    SendRecord(h, 1, "Before|drop");
                    freed.push_back(Drop(h, {trace, listing}));
                    traceRows = dlg.Grid().GetNumRows();
                    shownAfterTrace = DetailBox(h);
                    for (int i = 0; i < dlg.Details().GetSize(); i++)
                        details.push_back(dlg.Details()[i].str());
                    depthAfterTrace = dlg.Depth();
                    ::SendMessageA(h, WM_COMMAND, ID_FILE_NEW, 0);
                    // A listing that cannot be opened is reported.
                    {
                        vktest::MessageBoxAnswerer box(IDOK);
                        freed.push_back(Drop(h, {folder.dir + "\\missing.vkl"}));
                        cannotOpen = box.Wait();
                    }
                    shown.push_back(DetailBox(h));
                    // While the session prompt is open, neither drops nor other senders' records
                    // are taken.
                    LRESULT start = -1;
                    std::thread engine([&] { start = SendRecord(h, 9999, "7"); });
                    vktest::FoundBox prompt = vktest::FindMessageBox(::GetCurrentProcessId());
                    freed.push_back(Drop(h, {listing}));
                    duringPrompt = SendRecord(h, 0, "other|record");
                    if (prompt.hWnd != nullptr) vktest::PressButton(prompt.hWnd, IDOK);
                    engine.join();
                    afterPrompt = start;
                    rowsAfterPrompt = (size_t)dlg.Details().GetSize();
                    shown.push_back(DetailBox(h));
                }).driven);

    ASSERT_EQ(5u, shown.size());
    EXPECT_EQ("첫 줄\r\nsecond line", shown[0]);
    EXPECT_EQ("컴파일된\r\nscript\r\n", shown[1]);
    EXPECT_EQ(shown[1], shown[2]);
    EXPECT_EQ(nullptr, silentCompiled.hWnd) << silentCompiled.text;
    EXPECT_EQ(3, traceRows);
    EXPECT_EQ((std::vector<std::string>{"first", "x\ny|z"}), details);
    EXPECT_EQ("", shownAfterTrace);
    EXPECT_EQ(1, depthAfterTrace) << "loading keeps the call depth";
    EXPECT_EQ("", shown[3]);
    EXPECT_EQ("파일을 오픈할 수 없습니다.", cannotOpen.text);
    EXPECT_EQ("win_tests", cannotOpen.caption);
    EXPECT_FALSE(cannotOpen.hasCancel);
    EXPECT_EQ(FALSE, duringPrompt);
    EXPECT_EQ(TRUE, afterPrompt);
    EXPECT_EQ(0u, rowsAfterPrompt);
    EXPECT_EQ("", shown[4]) << "a drop while the prompt is open is not taken";
    EXPECT_EQ(std::vector<bool>(9, true), freed) << "every drop handle is freed";
}

TEST(FileDrop, ScriptsLargerThanATextHoldsGetTheViewersFailureReactions) {
    DropFolder folder;
    const std::string listing = folder.Path("big.vkl"), compiled = folder.Path("big.vkc");
    ASSERT_EQ(SCRIPT_FILE_OK, WriteScriptListing(listing.c_str(), CString('l', 40)));   // 96 digits
    ASSERT_EQ(SCRIPT_FILE_OK, WriteCompiledScript(compiled.c_str(), CString('c', 70))); // 80 bytes
    SetScriptTextLimit(64);
    CDebuggerDlg dlg;
    vktest::FoundBox listingBox, compiledBox;
    std::string shown = "?";
    EXPECT_TRUE(vktest::RunDialog(dlg, [&](HWND h) {
                    {
                        vktest::MessageBoxAnswerer box(IDOK);
                        Drop(h, {listing});
                        listingBox = box.Wait();
                    }
                    vktest::MessageBoxAnswerer box(IDOK, 700);
                    Drop(h, {compiled});
                    compiledBox = box.Wait();
                    shown = DetailBox(h);
                }).driven);
    SetScriptTextLimit(0);
    EXPECT_EQ("파일을 오픈할 수 없습니다.", listingBox.text);
    EXPECT_EQ(nullptr, compiledBox.hWnd) << compiledBox.text;
    EXPECT_EQ("", shown);
}

} // namespace
