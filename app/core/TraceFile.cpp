#include "TraceFile.h"
#include "ByteCopy.h"
#include "ByteSearch.h"
#include "TraceLineReader.h"

#include <cstring>
#include <new>
#include <utility>

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

CTraceFileWriter::~CTraceFileWriter() {
    Abort();
}

BOOL CTraceFileWriter::Open(LPCTSTR path) {
    Abort();
    return m_file.Open(path);
}

void CTraceFileWriter::Put(const char* p, size_t n) {
    if (m_buffer.empty()) m_buffer.resize(kWriteBuffer);
    if (m_buffer.size() - m_used < n) {
        WriteBuffer();
        if (n > m_buffer.size()) {
            m_file.Write(p, n); // one text larger than the buffer (a detail is at most 1 GB)
            return;
        }
    }
    // A row is a few short pieces: copied without the C runtime, whose memcpy and strlen cost
    // more per call than the copying (Wine's), and the save took half again as long.
    CopyBytes(m_buffer.data() + m_used, p, n);
    m_used += n;
}

void CTraceFileWriter::PutEscaped(LPCTSTR text) {
    if (text == nullptr) return;
    for (;;) {
        const char* end = text;
        while (*end != '\0' && *end != '\n')
            end++;
        Put(text, (size_t)(end - text));
        if (*end == '\0') return;
        Put("\\n", 2);
        text = end + 1;
    }
}

void CTraceFileWriter::WriteRow(LPCTSTR function, LPCTSTR delay, LPCTSTR detail) {
    if (!m_file.IsOpen()) AfxThrowFileException(CFileException::generic, 0, nullptr);
    // The line as FormatTraceLine makes it, its line end as text mode writes it (CR LF), gathered
    // with the lines before it and written in large pieces.
    PutEscaped(function);
    Put("|", 1);
    PutEscaped(delay);
    Put("|", 1);
    PutEscaped(detail);
    Put("\r\n", 2);
}

void CTraceFileWriter::WriteBuffer() {
    // A failed write throws and the writer is good for Abort only, so what it leaves in the
    // buffer does not matter.
    const size_t used = m_used;
    m_used = 0;
    if (used > 0) m_file.Write(m_buffer.data(), used);
}

BOOL CTraceFileWriter::Commit() {
    if (!m_file.IsOpen()) return FALSE;
    try {
        WriteBuffer();
    } catch (CFileException* e) {
        e->Delete();
        Abort();
        return FALSE;
    }
    return m_file.Commit();
}

void CTraceFileWriter::Abort() {
    std::vector<char>().swap(m_buffer);
    m_used = 0;
    m_file.Abort();
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
