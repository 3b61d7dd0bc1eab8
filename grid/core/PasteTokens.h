// The grid's paste tokenizer: one line of pasted text split into the texts of its cells. Portable
// (no window involved), so the fuzzers reach it.
#pragma once

#include "afx.h"

// Splits the line [p, end) at TAB, comma and LF as _mbstok does, appending the pieces to tokens:
// runs of delimiters count as one and leading ones are skipped. The second byte of a double-byte
// character is never a delimiter.
void SplitPasteLine(const char* p, const char* end, CStringArray& tokens);
