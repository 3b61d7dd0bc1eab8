// Files dropped on the dialog: a trace file is loaded, and the clear text of a protected script
// (an encrypted listing or a compiled script) is shown in the detail box.
#include "DebuggerDlg.h"
#include "ScriptFiles.h"

void CDebuggerDlg::OnDropFiles(HDROP hDrop) {
    SetActiveWindow();
    ::DragQueryFileA(hDrop, 0xFFFFFFFF, nullptr, 0);
    // Only the first file is handled. Its path is taken whole: one cut at MAX_PATH characters
    // would name another file. While a record is taken (its session prompt open) or a file loaded,
    // the dialog takes no file, as a disabled window takes none from the shell.
    const UINT length = ::DragQueryFileA(hDrop, 0, nullptr, 0);
    CString path;
    if (length > 0 && !m_traceBusy) {
        ::DragQueryFileA(hDrop, 0, path.GetBufferSetLength((int)length), length + 1);
        path.ReleaseBuffer((int)length);
        CString ext = GetFileExtension(path);
        ext.MakeUpper();
        if (ext.Compare("VKL") == 0)
            DisplayScriptListing(path);
        else if (ext.Compare("VKC") == 0)
            DisplayCompiledScript(path);
        else if (ext.Compare("VKP") == 0)
            LoadTraceFile(path);
    }
    ::DragFinish(hDrop);
}

CString CDebuggerDlg::GetFileExtension(CString path) {
    return ExtractFileExtension(path);
}

// The script's lines as lines of the detail box, which breaks lines only at CR LF.
static CString WithCrLf(CString text) {
    text.Replace("\r\n", "\n");
    text.Replace("\n", "\r\n");
    return text;
}

void CDebuggerDlg::DisplayScriptListing(CString path) {
    CString text;
    switch (ReadScriptListing(path, &text)) {
    case SCRIPT_FILE_OK:
        SetDlgItemText(IDC_EDIT_DETAIL, WithCrLf(text));
        break;
    case SCRIPT_FILE_CANNOT_OPEN:
    case SCRIPT_FILE_TOO_LARGE: // a first line longer than a text holds cannot be read
        AfxMessageBox("파일을 오픈할 수 없습니다.", MB_OK);
        break;
    default: // too short to hold a block, or unreadable: nothing to show
        break;
    }
}

void CDebuggerDlg::DisplayCompiledScript(CString path) {
    // Every failure, a file that cannot be opened included, ends without a word.
    CString text;
    if (ReadCompiledScript(path, &text) == SCRIPT_FILE_OK) SetDlgItemText(IDC_EDIT_DETAIL, WithCrLf(text));
}
