#include "TraceFile.h"
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
    std::memcpy(s.GetBufferSetLength((int)n), p, n);
}
} // namespace

BOOL ParseTraceLine(const CString& text, TraceRowText* row) {
    return ParseTraceLine(text, (size_t)text.GetLength(), row);
}

BOOL ParseTraceLine(const char* text, size_t length, TraceRowText* row) {
    // The line feed counts: "ab" and its line feed make a row, "a" and its line feed do not.
    if (length <= 2) return FALSE;
    // Every line feed goes, then every "\n" pair becomes one (in this order: a pair that a removed
    // line feed closes up counts too). A line without a backslash or an inner line feed, the usual
    // one, is split where it is.
    const char* line = text;
    size_t n = length;
    if (text[n - 1] == '\n') n--;
    std::string unescaped;
    if (std::memchr(line, '\\', n) != nullptr || std::memchr(line, '\n', n) != nullptr) {
        unescaped.reserve(n);
        for (size_t i = 0; i < n; i++)
            if (line[i] != '\n') unescaped += line[i];
        size_t out = 0;
        for (size_t i = 0; i < unescaped.size(); i++) {
            if (unescaped[i] == '\\' && i + 1 < unescaped.size() && unescaped[i + 1] == 'n') {
                unescaped[out++] = '\n';
                i++;
            } else {
                unescaped[out++] = unescaped[i];
            }
        }
        unescaped.resize(out);
        line = unescaped.data();
        n = unescaped.size();
    }
    // function = before the first "|" (the whole line without one), delay = between the first
    // and the second, detail = everything after the second "|", so it keeps any "|" of its own
    // (the delay's text when there is no second "|").
    const char* end = line + n;
    const char* first = (const char*)std::memchr(line, '|', n);
    if (first == nullptr) {
        Assign(row->function, line, n);
        Assign(row->delay, line, 0);
        Assign(row->detail, line, 0);
        return TRUE;
    }
    Assign(row->function, line, (size_t)(first - line));
    const char* second = (const char*)std::memchr(first + 1, '|', (size_t)(end - first - 1));
    const char* delayEnd = second != nullptr ? second : end;
    Assign(row->delay, first + 1, (size_t)(delayEnd - first - 1));
    if (second != nullptr)
        Assign(row->detail, second + 1, (size_t)(end - second - 1));
    else
        Assign(row->detail, first + 1, (size_t)(end - first - 1));
    return TRUE;
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
            // Up to the first NUL, as a C string would hold the line.
            const void* nul = std::memchr(line, '\0', length);
            if (nul != nullptr) length = (size_t)((const char*)nul - line);
            if (ParseTraceLine(line, length, &row)) onRow(row, context);
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
    if (!m_file.IsOpen()) AfxThrowFileException(CFileException::generic, 0, nullptr);
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
    m_file.Write(m_buffer.data(), m_buffer.size());
    m_buffer.clear();
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
    std::string().swap(m_buffer);
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
