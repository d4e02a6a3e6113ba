// The timing-token reader of the send command: a bad token must point inside the text.
#include <cstdint>

#include "keying/timing_script.h"
#include "tests/fuzz/fuzz_input.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::bytesOf(data, size);
    TimingScript script;
    TimingParseError error;
    if (parseTimingScript(text, script, error))
        return 0;
    fuzz::check(error.line >= 1 && error.column >= 1);
    fuzz::check(static_cast<std::size_t>(error.column) <= text.size());
    fuzz::check(text.find(error.token) != std::string_view::npos);
    error.message();
    return 0;
}
