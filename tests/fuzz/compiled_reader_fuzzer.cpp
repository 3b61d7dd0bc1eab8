// The compiled-script (.vkc) reader over any file: no crash, a defined result for every length
// and header, and on success exactly DecryptBuffer of the bytes after the header.
#include "ScriptCipher.h"
#include "ScriptFiles.h"
#include "fuzz_util.h"

#include <cstring>

static FuzzFile g_file(".vkc");

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    // Most inputs should get past the header check, so the fuzzer also tries each input with
    // the right header in front (chosen by the first byte).
    std::string bytes((const char*)data, size);
    if (size > 0 && (data[0] & 1)) bytes = COMPILED_SCRIPT_HEADER + bytes.substr(1);
    const char* path = g_file.Write((const unsigned char*)bytes.data(), bytes.size());
    CString text("left over");
    const ScriptFileResult r = ReadCompiledScript(path, &text);

    if (bytes.size() <= COMPILED_SCRIPT_HEADER_SIZE) {
        FUZZ_CHECK(r == SCRIPT_FILE_TOO_SHORT);
        FUZZ_CHECK(text.IsEmpty());
        return 0;
    }
    if (std::strcmp(std::string(bytes, 0, COMPILED_SCRIPT_HEADER_SIZE).c_str(), COMPILED_SCRIPT_HEADER) !=
        0) {
        FUZZ_CHECK(r == SCRIPT_FILE_BAD_HEADER);
        FUZZ_CHECK(text.IsEmpty());
        return 0;
    }
    FUZZ_CHECK(r == SCRIPT_FILE_OK);
    CScriptCipher cipher;
    cipher.SetKey(SCRIPT_PASS_PHRASE);
    CString expected;
    cipher.DecryptBuffer(&expected, (const BYTE*)bytes.data() + COMPILED_SCRIPT_HEADER_SIZE,
                         (int)(bytes.size() - COMPILED_SCRIPT_HEADER_SIZE));
    FUZZ_CHECK(text.str() == expected.str());
    return 0;
}
