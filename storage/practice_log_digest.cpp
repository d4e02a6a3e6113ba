#include "storage/practice_log_digest.h"

#include <algorithm>
#include <tuple>

#include "storage/csv.h"
#include "storage/text_decode.h"
#include "storage/utf.h"

namespace quorvel {
namespace {

constexpr std::string_view kHeaderStart = "日時";
constexpr std::size_t kChunk = 4u << 20;
constexpr std::size_t kAnchorBytes = 4096;

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

void add(PracticeAggregate& to, const PracticeAggregate& a) {
    to.rows += a.rows;
    to.chars += a.chars;
    to.correct += a.correct;
    to.wrong += a.wrong;
    to.seconds += a.seconds;
    to.telegrams += a.telegrams;
}

// The raw text of the fields a "途中" row is read for. Such rows are nine in ten of a log and
// add nothing to the sums, so they are recognised without splitting them into strings.
struct InProgressRow {
    std::string_view time, cpm, rate;  // fields 1, 2 and 4, free of quotes
};

bool plain(std::string_view field) {
    return field.find('"') == std::string_view::npos;
}

// True for a row of 19 or more fields whose field 19 reads "途中" and whose fields 1, 2 and 4
// hold no quote, so their text is their value. Quotes toggle as the splitter's do: a doubled
// quote inside quotes is two toggles, which leaves the state as it was.
bool readInProgressRow(std::string_view row, InProgressRow& out) {
    std::string_view f[19];
    std::size_t n = 0, start = 0;
    bool quoted = false;
    for (std::size_t i = 0; i <= row.size(); ++i) {
        if (i < row.size() && row[i] == '"') {
            quoted = !quoted;
        } else if (i == row.size() || (!quoted && row[i] == ',')) {
            if (n < 19)
                f[n] = row.substr(start, i - start);
            ++n;
            start = i + 1;
        }
    }
    if (n < 19 || !plain(f[0]) || !plain(f[1]) || !plain(f[3]))
        return false;
    static const std::string kPlain = toUtf8(kStatusInProgress);
    static const std::string kQuoted = [] {
        // Appended piece by piece: GCC 12 at -O3 reports a false -Wrestrict for a literal
        // joined with operator+.
        std::string q(1, '"');
        q.append(kPlain);
        q.push_back('"');
        return q;
    }();
    if (f[18] != kQuoted && f[18] != kPlain)
        return false;
    out = {f[0], f[1], f[3]};
    return true;
}

}  // namespace

PracticeSums PracticeLogData::sums(const LocalDateTime& today) const {
    PracticeSums s;
    const std::int64_t t = dayNumber(today.year, today.month, today.day);
    for (const auto& [date, a] : byDate) {
        if (date.year == today.year && date.month == today.month && date.day == today.day)
            add(s.today, a);
        const std::int64_t d = dayNumber(date.year, date.month, date.day);
        if (d != 0 && t - d >= 0 && t - d <= 6)
            add(s.week, a);
        if (date.year == today.year && date.month == today.month)
            add(s.month, a);
    }
    return s;
}

std::string_view PracticeLogFold::dropMark(std::string_view bytes, std::uint64_t offset) {
    if (offset != 0)
        return bytes;
    if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFF\xFE")
        utf16_ = true;
    if (startsWith(bytes, kUtf8Mark))
        bytes.remove_prefix(kUtf8Mark.size());
    return bytes;
}

std::size_t PracticeLogFold::addBytes(std::string_view bytes, std::uint64_t offset) {
    const std::size_t last = bytes.rfind('\n');
    if (last == std::string_view::npos)
        return 0;
    const std::size_t used = last + 1;
    // A leading mark is dropped only from a complete first line, as a whole-file read would.
    std::string_view body = dropMark(bytes.substr(0, used), offset);
    bodyBytes_ += body.size();
    if (utf8_ && !isUtf8(body))  // a LF never splits a well-formed sequence
        utf8_ = false;
    for (std::size_t start = 0; start < body.size();) {
        const std::size_t nl = body.find('\n', start);
        addLine(body.substr(start, nl - start));
        start = nl + 1;
    }
    return used;
}

void PracticeLogFold::addLastLine(std::string_view bytes, std::uint64_t offset) {
    std::string_view body = dropMark(bytes, offset);
    bodyBytes_ += body.size();
    if (utf8_ && !isUtf8(body))
        utf8_ = false;
    addLine(body);
}

void PracticeLogFold::addLine(std::string_view line) {
    std::string_view row = line;
    if (!row.empty() && row.back() == '\r')
        row.remove_suffix(1);
    bool split = false;
    InProgressRow fast;
    if (!row.empty() && !startsWith(row, kHeaderStart) && line.find('\r') >= row.size() &&
        readInProgressRow(row, fast)) {
        // Adds nothing, but its date and day are listed, and it may be one of the newest.
        addDate(row, nullptr);
        addDay(fast.time, nullptr);
        if (!utf16_)
            addRecent(fast.time, fast.cpm, fast.rate);
        return;
    }
    if (!row.empty() && !startsWith(row, kHeaderStart)) {
        splitCsvLine(row, fields_);
        split = true;
        addDate(row, &fields_);
        if (fields_.size() >= 8)
            addDay(fields_[0], &fields_);
    }
    if (utf16_)
        return;
    // The recent rows see the text as a decoded file does: every CR is a line break.
    if (line.find('\r') >= row.size()) {
        if (split)
            addRecent(fields_);
        return;
    }
    for (std::size_t start = 0; start <= line.size();) {
        std::size_t cr = line.find('\r', start);
        if (cr == std::string_view::npos)
            cr = line.size();
        const std::string_view segment = line.substr(start, cr - start);
        start = cr + 1;
        if (segment.empty() || startsWith(segment, kHeaderStart))
            continue;
        splitCsvLine(segment, segmentFields_);
        addRecent(segmentFields_);
    }
}

void PracticeLogFold::addDate(std::string_view row, const std::vector<std::string>* fields) {
    int y = 0, m = 0, d = 0;
    if (scanDate(row, y, m, d) < 3)
        return;
    const LogDate key{y, m, d};
    if (!lastDate_.entry || !(key == lastDateKey_)) {
        lastDate_.entry = &data.byDate[key];
        lastDateKey_ = key;
    }
    if (fields)
        addPracticeRow(*lastDate_.entry, *fields);
}

void PracticeLogFold::addDay(std::string_view field, const std::vector<std::string>* fields) {
    PracticeAggregate* entry = nullptr;
    if (lastDay_.entry && field.size() >= 10 && field.substr(0, 10) == lastDayField_) {
        entry = lastDay_.entry;
    } else {
        lastDay_.entry = nullptr;
        std::u16string key;
        if (!dayKeyOf(field, key))
            return;
        entry = &data.days[key];
        // Ten ASCII bytes are ten characters, so the next row can be matched by its bytes.
        if (std::all_of(field.begin(), field.begin() + 10,
                        [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
            lastDay_.entry = entry;
            lastDayField_.assign(field.substr(0, 10));
        }
    }
    if (fields)
        addPracticeRow(*entry, *fields);
}

void PracticeLogFold::addRecent(const std::vector<std::string>& fields) {
    if (fields.size() > 3)
        addRecent(fields[0], fields[1], fields[3]);
}

void PracticeLogFold::addRecent(std::string_view time, std::string_view cpm,
                                std::string_view rate) {
    RawRecent& r = recent_[recentCount_ % kRecentRowCount];
    r.time.assign(time);
    r.cpm.assign(cpm);
    r.rate.assign(rate);
    ++recentCount_;
}

std::optional<std::vector<RecentRow>> PracticeLogFold::recentRows() const {
    if (utf16_ || !utf8_ || bodyBytes_ == 0)
        return std::nullopt;
    std::vector<RecentRow> rows;
    const std::size_t n = std::min(recentCount_, kRecentRowCount);
    for (std::size_t k = 0; k < n; ++k) {
        const RawRecent& r = recent_[(recentCount_ - 1 - k) % kRecentRowCount];
        rows.push_back({fromUtf8(r.time), fromUtf8(r.cpm), fromUtf8(r.rate)});
    }
    return rows;
}

std::optional<std::vector<RecentRow>> decodeRecentRows(const std::filesystem::path& file) {
    std::string bytes;
    std::u16string text;
    if (!readWholeFile(file, bytes) || !decodeText(bytes, text))
        return std::nullopt;
    std::vector<RecentRow> rows;
    const std::u16string_view all(text);
    std::size_t end = all.size();
    // Backwards from the last line; every CR has become a LF.
    while (rows.size() < kRecentRowCount) {
        const std::size_t nl = end == 0 ? std::u16string_view::npos : all.rfind(u'\n', end - 1);
        const std::size_t start = nl == std::u16string_view::npos ? 0 : nl + 1;
        const std::u16string_view line = all.substr(start, end - start);
        if (!line.empty() && line.substr(0, 2) != u"日時") {
            const auto f = splitCsvLine(line);
            if (f.size() > 3)
                rows.push_back({f[0], f[1], f[3]});
        }
        if (nl == std::u16string_view::npos)
            break;
        end = nl;
    }
    return rows;
}

namespace {

// Reads [from, size) of the file into the fold; false on a read error.
bool foldRange(ReadOnlyFile& in, std::uint64_t from, PracticeLogFold& fold, std::string& tail,
               std::uint64_t& committed, std::uint64_t& bytesRead) {
    const std::uint64_t size = in.version().size;
    std::string buffer;
    std::uint64_t pos = from;
    committed = from;
    tail.clear();
    while (pos < size) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size - pos));
        const std::size_t keep = buffer.size();
        buffer.resize(keep + want);
        std::size_t got = 0;
        if (!in.readAt(pos, buffer.data() + keep, want, got))
            return false;
        buffer.resize(keep + got);
        bytesRead += got;
        pos += got;
        const std::size_t used = fold.addBytes(buffer, committed);
        committed += used;
        buffer.erase(0, used);
        if (got < want)
            break;  // shrank while being read: what is there is the file
    }
    tail = std::move(buffer);
    return true;
}

}  // namespace

PracticeLogData readPracticeLogData(const std::filesystem::path& file) {
    PracticeLogFold fold;
    ReadOnlyFile in(file);
    if (!in.isOpen())
        return {};
    std::string tail;
    std::uint64_t committed = 0, bytesRead = 0;
    if (!foldRange(in, 0, fold, tail, committed, bytesRead))
        return {};
    if (!tail.empty())
        fold.addLastLine(tail, committed);
    PracticeLogData data = std::move(fold.data);
    data.found = true;
    data.recent = fold.recentRows();
    if (!data.recent)
        data.recent = decodeRecentRows(file);
    return data;
}

std::optional<std::pair<std::string, std::string>> PracticeLogCache::anchorsOf(
    ReadOnlyFile& in) const {
    const std::size_t n =
        static_cast<std::size_t>(std::min<std::uint64_t>(kAnchorBytes, committed_));
    std::string head(n, '\0'), tail(n, '\0');
    std::size_t got = 0, gotTail = 0;
    if (!in.readAt(0, head.data(), n, got) || got != n ||
        !in.readAt(committed_ - n, tail.data(), n, gotTail) || gotTail != n)
        return std::nullopt;
    return std::make_pair(std::move(head), std::move(tail));
}

bool PracticeLogCache::resume(ReadOnlyFile& in) {
    const FileVersion& v = in.version();
    if (!valid_ || v.device != version_.device || v.index != version_.index ||
        v.size < version_.size || (v.size == version_.size && !(v == version_)))
        return false;
    // An append-only file keeps its first bytes and those before the end of what was folded;
    // a file saved over by an editor or another tool almost never does.
    return anchorsOf(in) == std::make_pair(headAnchor_, tailAnchor_);
}

const PracticeLogData& PracticeLogCache::read(const std::filesystem::path& file) {
    lastBytesRead_ = 0;
    ReadOnlyFile in(file);
    if (!in.isOpen()) {
        valid_ = false;
        result_ = {};
        return result_;
    }
    if (file == file_ && valid_ && in.version() == version_)
        return result_;
    if (!(file == file_) || !resume(in)) {
        fold_ = {};
        committed_ = 0;
    }
    file_ = file;
    readFrom(in);
    finish(file);
    return result_;
}

void PracticeLogCache::readFrom(ReadOnlyFile& in) {
    std::uint64_t committed = committed_;
    valid_ = foldRange(in, committed_, fold_, tail_, committed, lastBytesRead_);
    committed_ = committed;
    if (!valid_)
        return;
    version_ = in.version();
    auto anchors = anchorsOf(in);
    if (!anchors) {
        valid_ = false;
        return;
    }
    std::tie(headAnchor_, tailAnchor_) = std::move(*anchors);
}

void PracticeLogCache::finish(const std::filesystem::path& file) {
    if (!valid_) {
        result_ = {};
        return;
    }
    if (tail_.empty()) {
        result_ = fold_.data;
        result_.recent = fold_.recentRows();
    } else {
        PracticeLogFold withTail = fold_;
        withTail.addLastLine(tail_, committed_);
        result_ = std::move(withTail.data);
        result_.recent = withTail.recentRows();
    }
    result_.found = true;
    if (!result_.recent)
        result_.recent = decodeRecentRows(file);
}

}  // namespace quorvel
