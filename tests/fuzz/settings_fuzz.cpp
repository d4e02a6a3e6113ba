// The settings reader; a saved file must load back to the same values.
#include <cstdint>

#include "storage/settings_file.h"
#include "tests/fuzz/fuzz_input.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::bytesOf(data, size);
    PracticeSettings first;
    applySettings(parseSettingsText(text), first);

    const std::string saved = formatSettingsFile(first, text);
    const IniValues values = parseSettingsText(saved);
    fuzz::check(values.hasSection);
    PracticeSettings second;
    applySettings(values, second);
    for (const auto& key : settingsTable()) {
        if (!key.saved)
            continue;
        fuzz::check(PracticeSettings::get(first.*(key.field)) ==
                    PracticeSettings::get(second.*(key.field)));
    }
    return 0;
}
