#include "practice/telegram_file.h"

#include <algorithm>
#include <array>
#include <vector>

#include "practice/document.h"
#include "storage/output_file.h"
#include "storage/text_decode.h"
#include "storage/text_util.h"
#include "storage/utf.h"

namespace quorvel {
namespace {

constexpr std::u16string_view kStartJapanese = u"[VALA]";
constexpr std::u16string_view kStartLatin = u"[Preamble]";
constexpr std::array<std::u16string_view, kSectionCount> kJapaneseTags = {
    u"[VALA]", u"[VALB]", u"[VALC]", u"[VALD]", u"[VALE]", u"[TEXT]"};
constexpr std::array<std::u16string_view, 3> kLatinTags = {u"[Preamble]", u"[To]", u"[Text]"};
constexpr std::array<int, 3> kLatinSections = {Preamble, Address, Text};
constexpr std::u16string_view kValueEnd = u"\n[";

std::vector<std::size_t> occurrences(std::u16string_view text, std::u16string_view what) {
    std::vector<std::size_t> at;
    for (auto p = text.find(what); p != std::u16string_view::npos; p = text.find(what, p + 1))
        at.push_back(p);
    return at;
}

// First entry at or after from, or npos.
std::size_t firstFrom(const std::vector<std::size_t>& sorted, std::size_t from) {
    auto it = std::lower_bound(sorted.begin(), sorted.end(), from);
    return it == sorted.end() ? std::u16string_view::npos : *it;
}

// tagValue over precomputed positions, so that a file of many telegrams each lacking a tag
// does not rescan the rest of the file once per telegram.
class TagIndex {
  public:
    explicit TagIndex(std::u16string_view text)
        : text_(text),
          lineStarts_(occurrences(text, kValueEnd)),
          telegramStarts_(occurrences(text, kStartJapanese)) {}

    void add(std::u16string_view tag) { tags_.emplace_back(tag, occurrences(text_, tag)); }

    std::u16string value(std::u16string_view tag, std::size_t from) const {
        for (const auto& [t, at] : tags_) {
            if (t != tag)
                continue;
            const std::size_t pos = firstFrom(at, from);
            if (pos == std::u16string_view::npos)
                return {};
            const std::size_t start = pos + tag.size();
            std::size_t end = firstFrom(lineStarts_, start);
            if (end == std::u16string_view::npos)
                end = firstFrom(telegramStarts_, start);
            if (end == std::u16string_view::npos)
                end = text_.size();
            return std::u16string(trimmed(text_.substr(start, end - start)));
        }
        return {};
    }

    const std::vector<std::size_t>& positions(std::u16string_view tag) const {
        for (const auto& [t, at] : tags_)
            if (t == tag)
                return at;
        static const std::vector<std::size_t> none;
        return none;
    }

  private:
    std::u16string_view text_;
    std::vector<std::size_t> lineStarts_;
    std::vector<std::size_t> telegramStarts_;
    std::vector<std::pair<std::u16string_view, std::vector<std::size_t>>> tags_;
};

bool fieldReadsBack(std::u16string_view value, bool latin, std::string* reason) {
    auto fail = [&](const char* why) {
        if (reason)
            *reason = why;
        return false;
    };
    if (value.empty())
        return fail("a field is empty");
    if (trimmed(value).size() != value.size())
        return fail("a field starts or ends with a blank");
    if (value.find(u'\r') != std::u16string_view::npos)
        return fail("a field holds a CR");
    if (value.front() == u'[' || value.find(kValueEnd) != std::u16string_view::npos)
        return fail("a line of a field starts with \"[\"");
    if (value.find(kStartJapanese) != std::u16string_view::npos)
        return fail("a field holds a telegram tag");
    if (latin) {
        for (auto tag : kLatinTags)
            if (value.find(tag) != std::u16string_view::npos)
                return fail("a field holds a telegram tag");
    } else {
        for (auto tag : kJapaneseTags)
            if (value.find(tag) != std::u16string_view::npos)
                return fail("a field holds a telegram tag");
    }
    return true;
}

}  // namespace

std::u16string tagValue(std::u16string_view text, std::u16string_view tag, std::size_t from) {
    if (tag.empty() || from > text.size())
        return {};
    const std::size_t pos = text.find(tag, from);
    if (pos == std::u16string_view::npos)
        return {};
    const std::size_t start = pos + tag.size();
    std::size_t end = text.find(kValueEnd, start);
    if (end == std::u16string_view::npos)
        end = text.find(kStartJapanese, start);
    if (end == std::u16string_view::npos)
        end = text.size();
    return std::u16string(trimmed(text.substr(start, end - start)));
}

std::optional<TelegramFile> parseTelegramText(std::u16string_view text) {
    TelegramFile file;
    TagIndex index(text);
    if (text.find(kStartJapanese) != std::u16string_view::npos) {
        for (auto tag : kJapaneseTags)
            index.add(tag);
        for (std::size_t at : index.positions(kStartJapanese)) {
            TelegramRecord r;
            bool complete = true;
            for (int s = 0; s < kSectionCount && complete; ++s) {
                r.field(s) = index.value(kJapaneseTags[static_cast<std::size_t>(s)], at);
                complete = !r.field(s).empty();
            }
            if (complete)
                file.records.push_back(std::move(r));
        }
    } else if (text.find(kStartLatin) != std::u16string_view::npos) {
        file.latin = true;
        for (auto tag : kLatinTags)
            index.add(tag);
        for (std::size_t at : index.positions(kStartLatin)) {
            TelegramRecord r;
            bool complete = true;
            for (std::size_t k = 0; k < kLatinTags.size() && complete; ++k) {
                r.field(kLatinSections[k]) = index.value(kLatinTags[k], at);
                complete = !r.field(kLatinSections[k]).empty();
            }
            if (complete)
                file.records.push_back(std::move(r));
        }
    }
    if (file.records.empty())
        return std::nullopt;
    return file;
}

std::optional<TelegramFile> readTelegramFile(const std::filesystem::path& path) {
    std::string bytes;
    std::u16string text;
    if (!readWholeFile(path, bytes) || !decodeText(bytes, text))
        return std::nullopt;
    return parseTelegramText(text);
}

bool loadTelegramFile(TelegramDocument& document, const std::filesystem::path& path) {
    auto file = readTelegramFile(path);
    if (!file) {
        document.view().messageBox(u"ERROR", std::u16string(kTelegramFileError),
                                   MessageIcon::Error);
        return false;
    }
    return document.installFileSet(std::move(file->records), file->latin);
}

bool formatTelegramFile(const TelegramList& records, bool latin, std::u16string& text,
                        std::string* reason) {
    if (records.empty()) {
        if (reason)
            *reason = "no telegrams";
        return false;
    }
    std::u16string out;
    for (const auto& r : records) {
        auto put = [&](std::u16string_view tag, const std::u16string& value) {
            if (!fieldReadsBack(value, latin, reason))
                return false;
            out.append(tag).append(u"\n").append(value).append(u"\n");
            return true;
        };
        if (latin) {
            for (std::size_t k = 0; k < kLatinTags.size(); ++k)
                if (!put(kLatinTags[k], r.field(kLatinSections[k])))
                    return false;
        } else {
            for (int s = 0; s < kSectionCount; ++s)
                if (!put(kJapaneseTags[static_cast<std::size_t>(s)], r.field(s)))
                    return false;
        }
    }
    text = std::move(out);
    return true;
}

bool writeTelegramFile(const std::filesystem::path& path, const TelegramList& records, bool latin,
                       std::string* reason) {
    std::u16string text;
    if (!formatTelegramFile(records, latin, text, reason))
        return false;
    OutputFile out;
    if (out.open(path, OutputFile::Special::WriteThrough) && out.write(toUtf8(text)) &&
        out.commit(true))
        return true;
    if (reason)
        *reason = out.error();
    return false;
}

}  // namespace quorvel
