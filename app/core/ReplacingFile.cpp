#include "ReplacingFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

// The temporary file: a binary CStdioFile that can also commit its data to the disk.
class CReplacingFile::CSyncFile : public CStdioFile {
public:
    // Flushes the C runtime's buffer and the system's: the data is on the disk when this returns.
    void Commit() {
        Flush();
#ifdef _WIN32
        const int failed = _commit(_fileno(m_pStream));
#else
        const int failed = fsync(fileno(m_pStream));
#endif
        if (failed) AfxThrowFileException(CFileException::generic, errno, m_strFileName);
    }
};

namespace {

// The folder part of a path, its last separator included ("" for a bare name). On Windows a
// backslash can be the second byte of a double-byte character, so the path is read character by
// character.
CString FolderOf(LPCTSTR path) {
    int end = 0;
    for (int i = 0; path[i] != '\0'; i++) {
#ifdef _WIN32
        if (IsDBCSLeadByte((BYTE)path[i]) && path[i + 1] != '\0') {
            i++;
            continue;
        }
        if (path[i] == '\\' || path[i] == '/' || path[i] == ':') end = i + 1;
#else
        if (path[i] == '/') end = i + 1;
#endif
    }
    return CString(path, end);
}

// Creates a new empty file that did not exist before (so no other file is ever overwritten).
bool CreateNewFile(const CString& path) {
#ifdef _WIN32
    const int fd = _open(path, _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) return false;
    _close(fd);
#else
    const int fd = open(path, O_CREAT | O_EXCL | O_WRONLY, 0666);
    if (fd < 0) return false;
    close(fd);
#endif
    return true;
}

unsigned long ProcessNumber() {
#ifdef _WIN32
    return (unsigned long)GetCurrentProcessId();
#else
    return (unsigned long)getpid();
#endif
}

// Puts the temporary file in the target's place in one step.
bool PutInPlace(const CString& from, const CString& to) {
#ifdef _WIN32
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(from, to) == 0;
#endif
}

} // namespace

CReplacingFile::~CReplacingFile() {
    Abort();
}

BOOL CReplacingFile::Open(LPCTSTR path) {
    Abort();
    if (path == nullptr || *path == '\0') return FALSE;
    // A target that is there must be one the program may write: not a directory, not read-only,
    // not held by another program. Opening it for writing, without truncating it, asks the system.
    struct stat st;
    if (stat(path, &st) == 0) {
        if ((st.st_mode & S_IFMT) == S_IFDIR) return FALSE;
#ifdef _WIN32
        // The read-only attribute, also where the system would let an administrator write anyway.
        const DWORD attributes = GetFileAttributesA(path);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return FALSE;
#endif
        FILE* existing = std::fopen(path, "r+b");
        if (existing == nullptr) return FALSE;
        std::fclose(existing);
    }

    // In the target's folder, so the replacement stays on the same volume; a short name of its
    // own, never an existing file's, so that any target whose folder has room for a short name
    // can be written (a name made from the target's could pass the length limit of a path or of a
    // name where the target does not).
    const CString folder = FolderOf(path);
    static unsigned long serial = 0;
    CString temp;
    for (int attempt = 0; attempt < 100; attempt++) {
        temp.Format("%s~vk%lx.tmp", (LPCTSTR)folder, (ProcessNumber() * 131 + ++serial) & 0xFFFFF);
        if (CreateNewFile(temp)) break;
        if (errno != EEXIST) return FALSE;
        temp.Empty();
    }
    if (temp.IsEmpty()) return FALSE;

    CSyncFile* file = new CSyncFile;
    if (!file->Open(temp, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary)) {
        delete file;
        std::remove(temp);
        return FALSE;
    }
    m_file = file;
    m_path = path;
    m_tempPath = temp;
    return TRUE;
}

void CReplacingFile::Write(const void* data, size_t size) {
    if (m_file == nullptr) AfxThrowFileException(CFileException::generic, 0, m_path);
    const char* p = (const char*)data;
    for (size_t done = 0; done < size;) {
        const size_t piece = size - done < 0x40000000u ? size - done : 0x40000000u;
        m_file->Write(p + done, (UINT)piece);
        done += piece;
    }
}

BOOL CReplacingFile::Commit() {
    if (m_file == nullptr) return FALSE;
    try {
        m_file->Commit();
        m_file->Close();
    } catch (CFileException* e) {
        e->Delete();
        Abort();
        return FALSE;
    }
    delete m_file;
    m_file = nullptr;
    if (!PutInPlace(m_tempPath, m_path)) {
        Abort();
        return FALSE;
    }
    m_tempPath.Empty();
    return TRUE;
}

void CReplacingFile::Abort() {
    if (m_file != nullptr) {
        m_file->Abort();
        delete m_file;
        m_file = nullptr;
    }
    if (!m_tempPath.IsEmpty()) {
        std::remove(m_tempPath);
        m_tempPath.Empty();
    }
}

BOOL IsSameFile(LPCTSTR a, LPCTSTR b) {
#ifdef _WIN32
    // The volume and the file's index on it; a path that cannot be opened names no file.
    BY_HANDLE_FILE_INFORMATION info[2];
    LPCTSTR paths[2] = {a, b};
    for (int i = 0; i < 2; i++) {
        const HANDLE h = CreateFileA(paths[i], 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE) return FALSE;
        const BOOL got = GetFileInformationByHandle(h, &info[i]);
        CloseHandle(h);
        if (!got) return FALSE;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
#else
    struct stat sa, sb;
    if (stat(a, &sa) != 0 || stat(b, &sb) != 0) return FALSE;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
#endif
}
