// Per-character statistics, kept by scoring and stored in the character log.
#pragma once

#include <map>

namespace quorvel {

struct CharStat {
    int asked = 0;
    int correct = 0;
    int wrong = 0;
    std::map<char16_t, int> confusions;  // keyed character -> count
    bool operator==(const CharStat&) const = default;
};

using CharStats = std::map<char16_t, CharStat>;

}  // namespace quorvel
