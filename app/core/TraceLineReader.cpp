#include "TraceLineReader.h"
#include "ByteSearch.h"

#include <cstring>

CTraceLineReader::CTraceLineReader(CFile& file, size_t maxLine, size_t bufferBytes)
    : m_file(file), m_maxLine(maxLine), m_buffer(bufferBytes < 2 ? 2 : bufferBytes) {}

BOOL CTraceLineReader::Fill() {
    if (m_eof) return FALSE;
    // The unread bytes move to the front; a buffer full of one line's bytes goes to m_long.
    if (m_begin == 0 && m_end == m_buffer.size()) {
        m_long.append(m_buffer.data(), m_end);
        m_end = 0;
    } else if (m_begin > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_begin = 0;
    }
    const size_t room = m_buffer.size() - m_end;
    const UINT got = m_file.Read(m_buffer.data() + m_end, room > 0x40000000u ? 0x40000000u : (UINT)room);
    if (got == 0) {
        m_eof = TRUE;
        return FALSE;
    }
    m_end += got;
    return TRUE;
}

BOOL CTraceLineReader::Next(const char** line, size_t* length) {
    if (m_tooLong) return FALSE;
    if (m_longGiven) {
        m_long.clear();
        m_longGiven = FALSE;
    }
    size_t searched = m_begin; // the bytes before it hold no LF
    for (;;) {
        char* lf = FindByte(m_buffer.data() + searched, m_end - searched, '\n');
        if (lf != nullptr || m_eof) {
            char* start = m_buffer.data() + m_begin;
            char* stop = lf != nullptr ? lf + 1 : m_buffer.data() + m_end;
            m_begin = (size_t)(stop - m_buffer.data());
            char* text = start;
            size_t n = (size_t)(stop - start);
            if (!m_long.empty()) {
                // Refused before it is joined: the joined line could pass what a string holds.
                if (m_long.size() + n > m_maxLine + 1) {
                    m_tooLong = TRUE;
                    return FALSE;
                }
                m_long.append(start, n);
                text = &m_long[0];
                n = m_long.size();
                m_longGiven = TRUE;
            }
            if (n == 0) return FALSE; // the end of the file
            // CR LF is read as LF; a CR anywhere else stays.
            if (lf != nullptr && n >= 2 && text[n - 2] == '\r') {
                text[n - 2] = '\n';
                n--;
            }
            if (n > m_maxLine) {
                m_tooLong = TRUE;
                return FALSE;
            }
            *line = text;
            *length = n;
            return TRUE;
        }
        // No line end yet. The line is too long already once its bytes pass the limit and the CR
        // that a CR LF would drop.
        if (m_long.size() + (m_end - m_begin) > m_maxLine + 1) {
            m_tooLong = TRUE;
            return FALSE;
        }
        const BOOL spills = m_begin == 0 && m_end == m_buffer.size();
        const size_t pending = m_end - m_begin;
        Fill();
        searched = spills ? 0 : pending;
    }
}
