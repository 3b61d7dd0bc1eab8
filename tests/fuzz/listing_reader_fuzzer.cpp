// The listing (.vkl) reader over any file: no crash or hang, a defined result, and on success
// exactly DecryptFromHex of the whole first line as the viewer reads it (text mode, line feed
// kept, the text ending at a NUL).
#include "ScriptCipher.h"
#include "ScriptFiles.h"
#include "fuzz_util.h"

#include <cstring>
#include <string>

static FuzzFile g_file(".vkl");

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    const char* path = g_file.Write(data, size);
    CString text("left over");
    const ScriptFileResult r = ReadScriptListing(path, &text);

    // The first line as text mode reads it: CR LF becomes LF, the line ends after its LF.
    std::string line;
    for (size_t i = 0; i < size; ++i) {
        char c = (char)data[i];
        if (c == '\r' && i + 1 < size && data[i + 1] == '\n') {
            c = '\n';
            ++i;
        }
        line += c;
        if (c == '\n') break;
    }
    line.resize(std::strlen(line.c_str()));

    if (line.size() < 16) {
        FUZZ_CHECK(r == SCRIPT_FILE_TOO_SHORT);
        FUZZ_CHECK(text.IsEmpty());
        return 0;
    }
    FUZZ_CHECK(r == SCRIPT_FILE_OK);
    CScriptCipher cipher;
    cipher.SetKey(SCRIPT_PASS_PHRASE);
    CString expected;
    cipher.DecryptFromHex(CString(line.c_str()), &expected);
    FUZZ_CHECK(text == expected);
    return 0;
}
