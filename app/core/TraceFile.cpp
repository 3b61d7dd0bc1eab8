#include "TraceFile.h"
#include "ByteCopy.h"
#include "ByteSearch.h"
#include "TraceLineReader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <utility>
#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

CString FormatTraceLine(const CString& function, const CString& delay, const CString& detail) {
    // Every line feed of the three columns is written as "\n": a raw one would end the line, and
    // the rest of the row would load as a row of its own. The reader turns them all back.
    CString line = function;
    line += '|';
    line += delay;
    line += '|';
    line += detail;
    line.Replace("\n", "\\n");
    line += '\n';
    return line;
}

namespace {
// Sets a string to n bytes, reusing its storage (a row read after another takes no allocation).
void Assign(CString& s, const char* p, size_t n) {
    CopyBytes(s.GetBufferSetLength((int)n), p, n);
}

// The same for a column that may hold "\n" pairs: each becomes a line feed, read from the left
// (of two backslashes before an "n", the second makes the pair). The bytes between backslashes
// are copied as runs.
void AssignUnescaped(CString& s, const char* p, size_t n) {
    char* out = s.GetBufferSetLength((int)n);
    size_t length = 0;
    const char* end = p + n;
    for (;;) {
        const char* backslash = FindByte(p, (size_t)(end - p), '\\');
        const size_t run = (size_t)((backslash != nullptr ? backslash : end) - p);
        CopyBytes(out + length, p, run);
        length += run;
        if (backslash == nullptr) break;
        const bool pair = backslash + 1 < end && backslash[1] == 'n';
        out[length++] = pair ? '\n' : '\\';
        p = backslash + (pair ? 2 : 1);
    }
    s.ReleaseBuffer((int)length);
}

// ParseTraceLine; innerLineFeeds is false for a line known to hold no line feed but its last.
BOOL ParseLine(const char* text, size_t length, bool innerLineFeeds, TraceRowText* row) {
    // The line feed counts: "ab" and its line feed make a row, "a" and its line feed do not.
    if (length <= 2) return FALSE;
    // Every line feed goes, then every "\n" pair becomes one (in this order: a pair that a removed
    // line feed closes up counts too).
    const char* line = text;
    size_t n = length;
    if (text[n - 1] == '\n') n--;
    std::string joined;
    if (innerLineFeeds && FindByte(line, n, '\n') != nullptr) {
        joined.reserve(n);
        for (size_t i = 0; i < n; i++)
            if (line[i] != '\n') joined += line[i];
        line = joined.data();
        n = joined.size();
    }
    // function = before the first "|" (the whole line without one), delay = between the first
    // and the second, detail = everything after the second "|", so it keeps any "|" of its own
    // (the delay's text when there is no second "|"). A pair holds no "|", so the columns are
    // split first and their pairs turned into line feeds each on its own; a line without a
    // backslash, the usual one, is only split.
    const bool escaped = FindByte(line, n, '\\') != nullptr;
    const auto put = [escaped](CString& s, const char* p, size_t count) {
        if (escaped)
            AssignUnescaped(s, p, count);
        else
            Assign(s, p, count);
    };
    const char* end = line + n;
    const char* first = FindByte(line, n, '|');
    if (first == nullptr) {
        put(row->function, line, n);
        Assign(row->delay, line, 0);
        Assign(row->detail, line, 0);
        return TRUE;
    }
    put(row->function, line, (size_t)(first - line));
    const char* second = FindByte(first + 1, (size_t)(end - first - 1), '|');
    const char* delayEnd = second != nullptr ? second : end;
    put(row->delay, first + 1, (size_t)(delayEnd - first - 1));
    if (second != nullptr)
        put(row->detail, second + 1, (size_t)(end - second - 1));
    else
        put(row->detail, first + 1, (size_t)(end - first - 1));
    return TRUE;
}
} // namespace

BOOL ParseTraceLine(const CString& text, TraceRowText* row) {
    return ParseLine(text, (size_t)text.GetLength(), true, row);
}

BOOL ParseTraceLine(const char* text, size_t length, TraceRowText* row) {
    return ParseLine(text, length, true, row);
}

LPCTSTR DescribeTraceFileResult(TraceFileResult result) {
    switch (result) {
    case TRACE_FILE_OK:
        return "no error";
    case TRACE_FILE_CANNOT_OPEN:
        return "cannot open the file";
    case TRACE_FILE_READ_ERROR:
        return "the file could not be read";
    case TRACE_FILE_WRITE_ERROR:
        return "the file could not be written";
    case TRACE_FILE_OUT_OF_MEMORY:
        return "out of memory";
    case TRACE_FILE_LINE_TOO_LONG:
        return "a line is too long";
    }
    return "unknown error";
}

TraceFileResult ReadTraceRows(LPCTSTR path, void (*onRow)(TraceRowText& row, void* context), void* context,
                              size_t maxLine) {
    CStdioFile file;
    if (path == nullptr || !file.Open(path, CFile::modeRead | CFile::typeBinary))
        return TRACE_FILE_CANNOT_OPEN;
    if (maxLine > kTraceLineLimit) maxLine = kTraceLineLimit;
    try {
        CTraceLineReader reader(file, maxLine);
        const char* line;
        size_t length;
        TraceRowText row;
        while (reader.Next(&line, &length)) {
            // Up to the first NUL, as a C string would hold the line. The reader's line has no line
            // feed but its last.
            const char* nul = FindByte(line, length, '\0');
            if (nul != nullptr) length = (size_t)(nul - line);
            if (ParseLine(line, length, false, &row)) onRow(row, context);
        }
        if (reader.TooLong()) return TRACE_FILE_LINE_TOO_LONG;
        file.Close();
    } catch (CFileException* e) {
        e->Delete();
        return TRACE_FILE_READ_ERROR;
    } catch (CMemoryException* e) {
        e->Delete();
        return TRACE_FILE_OUT_OF_MEMORY;
    } catch (const std::bad_alloc&) {
        return TRACE_FILE_OUT_OF_MEMORY;
    }
    return TRACE_FILE_OK;
}

TraceFileResult ReadTraceFile(LPCTSTR path, std::vector<TraceRowText>* rows, size_t maxLine) {
    std::vector<TraceRowText> read;
    TraceFileResult result = ReadTraceRows(
        path,
        [](TraceRowText& row, void* context) {
            ((std::vector<TraceRowText>*)context)->push_back(std::move(row));
        },
        &read, maxLine);
    if (result == TRACE_FILE_OK) rows->swap(read);
    return result;
}

// The temporary file: a text-mode CStdioFile that can also commit its data to the disk.
class CTraceFileWriter::CSyncFile : public CStdioFile {
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

CTraceFileWriter::~CTraceFileWriter() {
    Abort();
}

BOOL CTraceFileWriter::Open(LPCTSTR path) {
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
    // can be saved (a name made from the target's could pass the length limit of a path or of a
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
    // Binary: WriteRow writes the CR LF of text mode itself.
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

namespace {
// Appends a column as the line holds it: every line feed as the two characters "\n".
void AppendEscaped(std::string& out, LPCTSTR text) {
    if (text == nullptr) return;
    for (;;) {
        const char* lf = std::strchr(text, '\n');
        if (lf == nullptr) {
            out.append(text);
            return;
        }
        out.append(text, (size_t)(lf - text));
        out.append("\\n", 2);
        text = lf + 1;
    }
}
} // namespace

void CTraceFileWriter::WriteRow(LPCTSTR function, LPCTSTR delay, LPCTSTR detail) {
    if (m_file == nullptr) AfxThrowFileException(CFileException::generic, 0, m_path);
    // The line as FormatTraceLine makes it, its line end as text mode writes it (CR LF), gathered
    // with the lines before it and written in large pieces.
    AppendEscaped(m_buffer, function);
    m_buffer += '|';
    AppendEscaped(m_buffer, delay);
    m_buffer += '|';
    AppendEscaped(m_buffer, detail);
    m_buffer.append("\r\n", 2);
    if (m_buffer.size() >= kWriteBuffer) WriteBuffer();
}

void CTraceFileWriter::WriteBuffer() {
    // A failed write throws and the writer is good for Abort only, so what it leaves in the
    // buffer does not matter.
    for (size_t done = 0; done < m_buffer.size();) {
        const size_t piece = m_buffer.size() - done < 0x40000000u ? m_buffer.size() - done : 0x40000000u;
        m_file->Write(m_buffer.data() + done, (UINT)piece);
        done += piece;
    }
    m_buffer.clear();
}

BOOL CTraceFileWriter::Commit() {
    if (m_file == nullptr) return FALSE;
    try {
        WriteBuffer();
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

void CTraceFileWriter::Abort() {
    std::string().swap(m_buffer);
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

TraceFileResult WriteTraceFile(LPCTSTR path, const std::vector<TraceRowText>& rows) {
    CTraceFileWriter writer;
    if (!writer.Open(path)) return TRACE_FILE_CANNOT_OPEN;
    try {
        for (const TraceRowText& row : rows)
            writer.WriteRow(row.function, row.delay, row.detail);
    } catch (CFileException* e) {
        e->Delete();
        return TRACE_FILE_WRITE_ERROR;
    }
    return writer.Commit() ? TRACE_FILE_OK : TRACE_FILE_WRITE_ERROR;
}
