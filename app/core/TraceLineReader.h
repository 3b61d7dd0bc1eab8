// Lines of a text file, read as text mode reads them (CR LF as LF, the LF kept), through one
// large buffer: a file is read in big pieces and its lines found with FindByte, many bytes at a
// time. The memory it holds is the buffer, plus, for a line longer than the buffer, that
// line, never more than the longest line it takes.
#pragma once

#include "afx.h"

#include <cstddef>
#include <string>
#include <vector>

class CTraceLineReader {
public:
    // Reads `file` (opened in binary mode) from where it stands. A line longer than maxLine bytes,
    // its LF included, is refused (Next returns FALSE and TooLong is TRUE).
    CTraceLineReader(CFile& file, size_t maxLine, size_t bufferBytes = 1024 * 1024);

    // The next line: *line points to its *length bytes, which stay valid until the next call (they
    // are not NUL-terminated). FALSE at the end of the file or for a line that is too long. Throws
    // a CFileException when a read fails, CMemoryException when a long line does not fit.
    BOOL Next(const char** line, size_t* length);
    BOOL TooLong() const { return m_tooLong; }

private:
    // Reads more of the file after what the buffer holds; FALSE at the end of the file.
    BOOL Fill();

    CFile& m_file;
    size_t m_maxLine;
    std::vector<char> m_buffer;
    size_t m_begin = 0; // the unread bytes of the buffer: [m_begin, m_end)
    size_t m_end = 0;
    std::string m_long;       // a line that does not fit in the buffer, as far as it is read
    BOOL m_longGiven = FALSE; // m_long is the line the last call gave
    BOOL m_eof = FALSE;
    BOOL m_tooLong = FALSE;
};
