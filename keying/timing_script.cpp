#include "keying/timing_script.h"

#include <cctype>

namespace quorvel {

std::string TimingParseError::message() const {
    return "malformed timing token '" + token + "' at line " + std::to_string(line) + ", column " +
           std::to_string(column) + " (expected d<ms>, a<ms>, b<ms> or u<ms>)";
}

bool parseTimingScript(std::string_view text, TimingScript& script, TimingParseError& error) {
    TimingScript out;
    int line = 1;
    std::size_t lineStart = 0;
    std::size_t i = 0;
    auto isSpace = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
            lineStart = ++i;
            continue;
        }
        if (isSpace(c)) {
            ++i;
            continue;
        }
        if (c == '#') {
            while (i < text.size() && text[i] != '\n')
                ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < text.size() && !isSpace(text[i]) && text[i] != '#')
            ++i;
        const std::string_view token = text.substr(start, i - start);

        ContactSegment seg;
        bool ok = token.size() >= 2 && token.size() <= 10;
        if (ok) {
            switch (token[0]) {
                case 'd':
                    seg.dot = true;
                    break;
                case 'a':
                    seg.dash = true;
                    break;
                case 'b':
                    seg.dot = seg.dash = true;
                    break;
                case 'u':
                    break;
                default:
                    ok = false;
            }
        }
        std::uint64_t ms = 0;
        for (std::size_t k = 1; ok && k < token.size(); ++k) {
            if (token[k] < '0' || token[k] > '9')
                ok = false;
            ms = ms * 10 + static_cast<std::uint64_t>(token[k] - '0');
        }
        // A day of keying is the most a token may hold; more is a typing slip, not a pause.
        if (!ok || ms > 86'400'000) {
            error.token = std::string(token);
            error.line = line;
            error.column = static_cast<int>(start - lineStart) + 1;
            return false;
        }
        seg.ms = static_cast<std::uint32_t>(ms);
        out.push_back(seg);
    }
    script = std::move(out);
    return true;
}

std::uint32_t playTimingScript(KeyingEngine& engine, SharedFlags& flags, const TimingScript& script,
                               std::uint32_t now,
                               const std::function<void(std::uint32_t)>& onTick) {
    for (const ContactSegment& seg : script) {
        flags.keyboardDot.store(seg.dot ? 1 : 0, std::memory_order_relaxed);
        flags.keyboardDash.store(seg.dash ? 1 : 0, std::memory_order_relaxed);
        for (std::uint32_t k = 0; k < seg.ms; ++k) {
            if (onTick)
                onTick(now);
            engine.step(now++);
            engine.drain();
        }
    }
    return now;
}

}  // namespace quorvel
