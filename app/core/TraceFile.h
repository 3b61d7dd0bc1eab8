// The trace file: one text line per trace row, written and read in text mode (CR LF on disk):
//
//     <function column>|<delay column>|<detail>
//
// with every line feed of the three columns written as the two characters \n. No header, count
// or trailer; an empty trace is an empty file. Masked details are stored in their hexadecimal
// form; backslashes, CRs and "^" are written as they are, so a text holding the two characters
// "\" "n" comes back with a line feed in their place.
//
// The line format, the reader and the writer live here, apart from the dialog, so that the
// debugger, `vktool show` and the fuzz target share one implementation.
#pragma once

#include "ReplacingFile.h"
#include "afx.h"

#include <climits>
#include <string>
#include <cstddef>
#include <vector>

// One row of a trace file: the function column (with its indentation), the delay column and the
// row's full detail.
struct TraceRowText {
    CString function;
    CString delay;
    CString detail;
};

// The line of one row, its line feed included.
CString FormatTraceLine(const CString& function, const CString& delay, const CString& detail);

// Splits one line as the reader gets it (its line feed kept; absent only on a last line without
// line end). FALSE for a line the loader skips: 2 characters or shorter, line feed included.
// Otherwise the line feeds are removed, every "\n" pair becomes a line feed, and the fields are:
// function = the text before the first "|" (the whole line without one), delay = the text
// between the first and the second "|" ("" without a first "|"), detail = everything after the
// second "|" (the delay's text when there is no second "|").
BOOL ParseTraceLine(const CString& line, TraceRowText* row);
// The same for `length` bytes at `line`; the row's strings keep their storage where they can.
BOOL ParseTraceLine(const char* line, size_t length, TraceRowText* row);

enum TraceFileResult {
    TRACE_FILE_OK = 0,
    TRACE_FILE_CANNOT_OPEN,   // the file (or, for the writer, its temporary file) cannot be opened
    TRACE_FILE_READ_ERROR,    // a read failed halfway
    TRACE_FILE_WRITE_ERROR,   // a write, the flush or the replacement of the target failed
    TRACE_FILE_OUT_OF_MEMORY, // the rows do not fit in memory
    TRACE_FILE_LINE_TOO_LONG, // a line is longer than the reader takes
};

// The longest line the reader takes, line feed included: the most a string can hold (INT_MAX
// bytes, and 1 GiB on a 32-bit build), less the byte that tells a longer line.
const size_t kTraceLineLimit = AfxMaxStringLength() - 1;

// A short English description of a result, for messages.
LPCTSTR DescribeTraceFileResult(TraceFileResult result);

// Reads every row of a trace file, skipping the lines ParseTraceLine skips. A line is read up to
// its first NUL byte, as a C string holds it. A line longer than maxLine bytes (at most
// kTraceLineLimit) fails the read with TRACE_FILE_LINE_TOO_LONG. *rows receives the rows on
// TRACE_FILE_OK and is left as it was otherwise.
TraceFileResult ReadTraceFile(LPCTSTR path, std::vector<TraceRowText>* rows,
                              size_t maxLine = kTraceLineLimit);

// Reads a trace file row by row, as ReadTraceFile does, handing each row to onRow as soon as its
// line is read (onRow may take the row's texts): only one line is held at a time. When onRow
// throws CMemoryException or std::bad_alloc the reading stops with TRACE_FILE_OUT_OF_MEMORY.
TraceFileResult ReadTraceRows(LPCTSTR path, void (*onRow)(TraceRowText& row, void* context), void* context,
                              size_t maxLine = kTraceLineLimit);

// Writes a trace file so that a failure never harms the file already there: the lines go to a
// new temporary file in the target's folder, which replaces the target only once every line has been
// written, flushed and committed to the disk. A writer that is destroyed or aborted before Commit
// removes its temporary file and leaves the target as it was.
class CTraceFileWriter {
public:
    CTraceFileWriter() = default;
    ~CTraceFileWriter();
    CTraceFileWriter(const CTraceFileWriter&) = delete;
    CTraceFileWriter& operator=(const CTraceFileWriter&) = delete;

    // Creates the temporary file, with a short name of its own, in path's folder; FALSE when it
    // cannot be created.
    BOOL Open(LPCTSTR path);
    // Writes one row's line; throws a CFileException when a write fails (the lines are gathered
    // and written in large pieces, so the failure may show at a later row or at Commit).
    void WriteRow(LPCTSTR function, LPCTSTR delay, LPCTSTR detail);
    // Flushes, commits and closes the temporary file and puts it in the target's place. FALSE,
    // with the temporary file removed and the target untouched, when any of it fails.
    BOOL Commit();
    // Closes and removes the temporary file; the target stays as it was.
    void Abort();

    // The temporary file's path while the writer is open (for messages and tests).
    const CString& TempPath() const { return m_file.TempPath(); }

private:
    static const size_t kWriteBuffer = 256 * 1024;
    // Appends n bytes to the lines not yet written (a piece larger than the buffer is written at
    // once), and a column with its line feeds written as "\n".
    void Put(const char* p, size_t n);
    void PutEscaped(LPCTSTR text);
    void WriteBuffer();

    CReplacingFile m_file;
    std::vector<char> m_buffer; // made at the first row
    size_t m_used = 0;          // bytes of m_buffer holding lines not yet written
};

// Writes the rows to path through a CTraceFileWriter.
TraceFileResult WriteTraceFile(LPCTSTR path, const std::vector<TraceRowText>& rows);
