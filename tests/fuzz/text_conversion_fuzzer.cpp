// vktool's text conversions over any bytes: a text converted strictly between UTF-8 and code page
// 949 converts back to the same bytes; a failure names a place inside the text; the user's view of
// code page 949 text is valid UTF-8 for a UTF-8 terminal; a record payload's escaped form reads
// back as the payload.
#include "engine_records.h"
#include "fuzz_util.h"
#include "text_encoding.h"

#include <string>

static void RoundTrip(const std::string& in, const char* from, const char* to) {
    std::string out, back;
    TextProblem problem;
    if (!ConvertText(in, from, to, &out, &problem)) {
        FUZZ_CHECK(problem.kind != TextProblem::NONE && problem.offset < in.size());
        FUZZ_CHECK(!DescribeTextProblem(problem, in, from, to, true).empty());
        return;
    }
    FUZZ_CHECK(ConvertText(out, to, from, &back, &problem));
    FUZZ_CHECK(back == in);
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    static const bool once = (SetUserEncoding(TEXT_ENCODING_UTF8), true);
    (void)once;
    const std::string in((const char*)data, size);
    RoundTrip(in, TEXT_ENCODING_UTF8, TEXT_ENCODING_CP949);
    RoundTrip(in, TEXT_ENCODING_CP949, TEXT_ENCODING_UTF8);

    std::string shown, error;
    TextProblem problem;
    FUZZ_CHECK(ConvertText(Cp949ToUserText(in), TEXT_ENCODING_UTF8, TEXT_ENCODING_UTF8, &shown, &problem));

    std::string payload;
    FUZZ_CHECK(UnescapePayload(EscapePayload(in), &payload, &error));
    FUZZ_CHECK(payload == in);
    return 0;
}
