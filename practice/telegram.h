// One telegram and an immutable set of them, shared by the document and the playback.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace quorvel {

// Sections in keying order; Latin telegrams use Preamble, Address and Text only.
enum Section : int { Preamble = 0, Office = 1, Serial = 2, FilingTime = 3, Address = 4, Text = 5 };
inline constexpr int kSectionCount = 6;

struct TelegramRecord {
    std::u16string preamble;
    std::u16string office;
    std::u16string serial;
    std::u16string filingTime;
    std::u16string address;
    std::u16string text;

    const std::u16string& field(int section) const;
    std::u16string& field(int section);
    bool operator==(const TelegramRecord&) const = default;
};

// Field names as used in CLI output and JSON: "preamble", "office", ... "text".
const char* sectionName(int section);

using TelegramList = std::vector<TelegramRecord>;
// Installed sets are never changed; a reader holding the pointer keeps its copy alive.
using SharedTelegramList = std::shared_ptr<const TelegramList>;

// The two built-in samples of a language.
const TelegramList& builtInSamples(bool latinMode);

}  // namespace quorvel
