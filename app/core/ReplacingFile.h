// A file written beside its target and put in the target's place only once it is whole: the bytes
// go to a new temporary file in the target's folder, which replaces the target when every byte has
// been written, flushed and committed to the disk. A failure on the way (a full disk, the program
// killed) leaves the file already there as it was. The debugger's Save File and vktool's lock and
// pack write their files through it.
#pragma once

#include "afx.h"

#include <cstddef>

class CReplacingFile {
public:
    CReplacingFile() = default;
    ~CReplacingFile();
    CReplacingFile(const CReplacingFile&) = delete;
    CReplacingFile& operator=(const CReplacingFile&) = delete;

    // Checks that the target may be written (not a folder, not read-only, not held by another
    // program) and creates the temporary file, with a short name of its own, in its folder; FALSE
    // when either fails.
    BOOL Open(LPCTSTR path);
    BOOL IsOpen() const { return m_file != nullptr; }
    // Writes bytes to the temporary file; throws a CFileException when a write fails (a buffered
    // write may fail only at Commit).
    void Write(const void* data, size_t size);
    // Flushes, commits and closes the temporary file and puts it in the target's place. FALSE,
    // with the temporary file removed and the target untouched, when any of it fails.
    BOOL Commit();
    // Closes and removes the temporary file; the target stays as it was. The destructor does it
    // for a file that was not committed.
    void Abort();

    // The temporary file's path while the file is open (for messages and tests).
    const CString& TempPath() const { return m_tempPath; }

private:
    class CSyncFile;
    CSyncFile* m_file = nullptr;
    CString m_path;
    CString m_tempPath;
};

// TRUE when both paths name one existing file, however differently they spell it (another case,
// another route, a link): the file system's identity of the file is compared, not the paths.
BOOL IsSameFile(LPCTSTR a, LPCTSTR b);
