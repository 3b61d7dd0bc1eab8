// The grid's paste tokenizer over any line: the tokens are the line's bytes between delimiter runs,
// in order, none empty, none starting with a delimiter, and a delimiter inside one only as the
// second byte of a double-byte character.
#include "PasteTokens.h"
#include "fuzz_util.h"

#include <cstring>

static bool IsDelimiter(char c) {
    return c == '\t' || c == ',' || c == '\n';
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    const char* line = (const char*)data;
    CStringArray tokens;
    SplitPasteLine(line, line + size, tokens);
    size_t pos = 0;
    for (INT_PTR t = 0; t < tokens.GetSize(); t++) {
        while (pos < size && IsDelimiter(line[pos]))
            pos++;
        const CString& token = tokens[t];
        const size_t n = (size_t)token.GetLength();
        FUZZ_CHECK(n > 0 && pos + n <= size);
        FUZZ_CHECK(std::memcmp(line + pos, (LPCTSTR)token, n) == 0);
        for (size_t i = 0; i < n; i++) {
            FUZZ_CHECK(!IsDelimiter(token[(int)i]));
            if (AfxIsLeadByte((BYTE)token[(int)i])) i++;
        }
        pos += n;
        FUZZ_CHECK(pos == size || IsDelimiter(line[pos]));
    }
    while (pos < size)
        FUZZ_CHECK(IsDelimiter(line[pos++]));
    return 0;
}
