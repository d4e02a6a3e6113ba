#include "storage/log_writer.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "storage/char_log.h"
#include "storage/file_io.h"
#include "storage/read_only_file.h"
#include "storage/thread_budget.h"

namespace quorvel {

static_assert(LogWriter::kStopTimeout == kStopBudget, "one budget for every stop");
namespace {

struct Judgement {
    char16_t model;
    char16_t keyed;
    bool correct;
};

// The version of the file now at `path`; none when there is none. A file that cannot be
// opened gets a version no read can have, so it never passes for the one last read.
std::optional<FileVersion> versionOnDisk(const std::filesystem::path& path) {
    ReadOnlyFile f(path);
    if (f.isOpen())
        return f.version();
    if (f.state() == ReadOnlyFile::State::Missing)
        return std::nullopt;
    FileVersion unknown;
    unknown.modified = -1;
    return unknown;
}

std::uint32_t steadyTick() {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(ms.count());
}

}  // namespace

struct LogWriter::State {
    explicit State(LogFiles f, FailureReport r) : files(std::move(f)), report(std::move(r)) {}

    struct Outcome {
        bool allWritten = true;
        std::optional<std::uint32_t> nextDueMs;  // from now, while the character log waits
    };

    // Writes what is due; `now` none means the time of the last call (a flush).
    Outcome write(std::optional<std::uint32_t> now, bool force);
    bool queued() const { return !rows.empty() || !entries.empty() || !judgements.empty(); }

    const LogFiles files;

    // The queue, under m.
    mutable std::mutex m;
    std::condition_variable wake;  // the thread has something to do
    std::condition_variable done;  // a flush or stop was answered
    std::vector<PracticeRow> rows;
    std::vector<TextLogEntry> entries;
    std::vector<Judgement> judgements;
    bool endOfSet = false;
    bool stopping = false;
    bool exited = false;
    bool abandoned = false;
    std::uint64_t flushWanted = 0;
    std::uint64_t flushDone = 0;
    bool flushOk = true;
    std::size_t held = 0;  // mirrors the write side's count for pending()
    Backlog heldByLog;     // the same, log by log

    // The write side, under io: one writer at a time, whichever thread it is.
    std::mutex io;
    std::deque<PracticeRow> heldRows;
    std::deque<TextLogEntry> heldEntries;
    std::vector<Judgement> unapplied;         // until the character log holds them
    std::optional<CharLogTable> table;        // what the file held when last read or written
    std::optional<FileVersion> tableVersion;  // none: there was no file
    bool tableDirty = false;
    bool rewritten = false;
    std::uint32_t lastRewrite = 0;  // ms tick
    std::uint32_t lastNow = 0;
    bool reported = false;

    // Clearing the report waits for a call in progress, but only so long: a report that never
    // returns cannot hold the close as well. (A flag and a condition variable rather than a
    // timed mutex, whose timed lock the thread sanitizer cannot follow.)
    std::mutex reportMutex;
    std::condition_variable reportIdle;
    bool reporting = false;
    FailureReport report;
    bool clearReport(std::chrono::milliseconds timeout) {
        std::unique_lock l(reportMutex);
        if (!reportIdle.wait_for(l, timeout, [&] { return !reporting; }))
            return false;
        report = nullptr;
        return true;
    }
    void sendReport(const std::filesystem::path& file) {
        FailureReport call;
        {
            std::lock_guard l(reportMutex);
            if (!report)
                return;
            call = report;
            reporting = true;
        }
        call(file);
        {
            std::lock_guard l(reportMutex);
            reporting = false;
        }
        reportIdle.notify_all();
    }
};

LogWriter::State::Outcome LogWriter::State::write(std::optional<std::uint32_t> nowArg, bool force) {
    std::lock_guard ioLock(io);
    const std::uint32_t now = nowArg.value_or(lastNow);
    lastNow = now;
    bool setEnded = false;
    {
        std::lock_guard l(m);
        for (auto& r : rows)
            heldRows.push_back(std::move(r));
        for (auto& e : entries)
            heldEntries.push_back(std::move(e));
        unapplied.insert(unapplied.end(), judgements.begin(), judgements.end());
        rows.clear();
        entries.clear();
        judgements.clear();
        setEnded = std::exchange(endOfSet, false);
    }

    std::optional<std::filesystem::path> failed;
    auto fail = [&](const std::filesystem::path& p) {
        if (!failed)
            failed = p;
    };

    // A row that does not fit stays first in line, so the rows keep their order.
    while (!heldRows.empty()) {
        if (!appendPracticeRow(files.practiceLog, heldRows.front())) {
            fail(files.practiceLog);
            break;
        }
        heldRows.pop_front();
    }
    while (!heldEntries.empty()) {
        const TextLogEntry& e = heldEntries.front();
        if (!appendTextLog(files.textLog, e.time, e.resultLine, e.keyedText, e.wrongPairs)) {
            fail(files.textLog);
            break;
        }
        heldEntries.pop_front();
    }

    if (!unapplied.empty())
        tableDirty = true;
    const bool due = tableDirty && (force || setEnded || !rewritten ||
                                    now - lastRewrite >= kCharLogIntervalMs);  // unsigned ticks
    if (due) {
        rewritten = true;
        lastRewrite = now;
        // Another program may have rewritten or removed the log since this one last read or
        // wrote it: start again from the disk, never from an older copy.
        if (table && versionOnDisk(files.charLog) != tableVersion)
            table.reset();
        if (!table) {
            ReadOnlyFile in(files.charLog);
            std::string bytes;
            if (in.readAll(bytes)) {
                CharLogTable loaded;
                parseCharLog(bytes, loaded);
                table = std::move(loaded);
                tableVersion = in.version();
            } else if (in.state() == ReadOnlyFile::State::Missing) {
                table.emplace();
                tableVersion.reset();
            }
            // A log that exists but cannot be read now must not be replaced by this run's
            // counts alone.
        }
        if (table) {
            CharLogTable next = *table;
            for (const Judgement& j : unapplied)
                quorvel::addJudgement(next[j.model], j.keyed, j.correct);
            FileVersion written;
            if (replaceFile(files.charLog, formatCharLog(next), files.sync, nullptr, &written)) {
                table = std::move(next);
                tableVersion = written;
                unapplied.clear();
                tableDirty = false;
            } else {
                fail(files.charLog);
            }
        } else {
            fail(files.charLog);
        }
    }

    Outcome out;
    out.allWritten = heldRows.empty() && heldEntries.empty() && !tableDirty;
    if (tableDirty) {
        const std::uint32_t since = now - lastRewrite;
        out.nextDueMs = since >= kCharLogIntervalMs ? 0 : kCharLogIntervalMs - since;
    }
    {
        std::lock_guard l(m);
        held = heldRows.size() + heldEntries.size() + unapplied.size();
        heldByLog.rows = heldRows.size();
        heldByLog.entries = heldEntries.size();
        heldByLog.judgements = unapplied.size();
    }
    if (failed && !reported) {
        reported = true;
        sendReport(*failed);
    } else if (out.allWritten) {
        reported = false;  // a later failure is news again
    }
    return out;
}

LogWriter::LogWriter(LogFiles files, FailureReport report)
    : files_(files), state_(std::make_shared<State>(std::move(files), std::move(report))) {}

LogWriter::~LogWriter() {
    state_->clearReport(kStopTimeout);  // whoever listened may be gone already
    stop();
}

void LogWriter::setFailureReport(FailureReport report) {
    std::lock_guard l(state_->reportMutex);
    state_->report = std::move(report);
}

void LogWriter::addPracticeRow(PracticeRow row) {
    if (files_.practiceLog.empty())
        return;
    std::lock_guard l(state_->m);
    state_->rows.push_back(std::move(row));
    state_->wake.notify_one();
}

void LogWriter::addJudgement(char16_t model, char16_t keyed, bool correct) {
    if (files_.charLog.empty() || !charLogAccepts(model))
        return;
    std::lock_guard l(state_->m);
    state_->judgements.push_back({model, keyed, correct});
    state_->wake.notify_one();
}

void LogWriter::addTextEntry(TextLogEntry entry) {
    if (files_.textLog.empty())
        return;
    std::lock_guard l(state_->m);
    state_->entries.push_back(std::move(entry));
    state_->wake.notify_one();
}

void LogWriter::endOfSet() {
    std::lock_guard l(state_->m);
    state_->endOfSet = true;
    state_->wake.notify_one();
}

void LogWriter::service(std::uint32_t now) {
    {
        std::lock_guard l(state_->m);
        if (state_->abandoned)
            return;  // the stuck thread still holds the write side
    }
    state_->write(now, false);
}

bool LogWriter::start() {
    if (thread_.joinable())
        return true;
    {
        std::lock_guard l(state_->m);
        if (state_->abandoned)
            return false;
        state_->stopping = false;
        state_->exited = false;
    }
    thread_ = std::thread(&LogWriter::run, state_);
    running_.store(true, std::memory_order_release);
    return true;
}

void LogWriter::run(const std::shared_ptr<State>& state) {
    State& s = *state;
    std::optional<std::uint32_t> waitMs;
    for (;;) {
        std::uint64_t target = 0;
        bool force = false;
        bool stopping = false;
        {
            std::unique_lock l(s.m);
            auto ready = [&] {
                return s.abandoned || s.stopping || s.flushWanted != s.flushDone || s.queued();
            };
            if (waitMs)
                s.wake.wait_for(l, std::chrono::milliseconds(*waitMs), ready);
            else
                s.wake.wait(l, ready);
            if (s.abandoned)
                return;
            target = s.flushWanted;
            force = target != s.flushDone;
            stopping = s.stopping;
        }
        const State::Outcome out = s.write(steadyTick(), force);
        waitMs = out.nextDueMs;
        std::lock_guard l(s.m);
        if (force) {
            s.flushDone = target;
            s.flushOk = out.allWritten;
        }
        if (stopping && !s.queued()) {
            s.exited = true;
            s.done.notify_all();
            return;
        }
        s.done.notify_all();
    }
}

bool LogWriter::flush(std::chrono::milliseconds timeout) {
    State& s = *state_;
    if (!threaded()) {
        {
            std::lock_guard l(s.m);
            if (s.abandoned)
                return false;
        }
        return s.write(std::nullopt, true).allWritten;
    }
    std::unique_lock l(s.m);
    const std::uint64_t mine = ++s.flushWanted;
    s.wake.notify_one();
    if (!s.done.wait_for(l, timeout, [&] { return s.flushDone >= mine || s.exited; }))
        return false;
    return s.flushOk && s.held == 0;
}

bool LogWriter::stop(std::chrono::milliseconds timeout) {
    if (!thread_.joinable())
        return flush(timeout);
    running_.store(false, std::memory_order_release);
    State& s = *state_;
    bool ok = false;
    bool abandon = false;
    {
        std::unique_lock l(s.m);
        s.stopping = true;
        ++s.flushWanted;
        s.wake.notify_one();
        if (s.done.wait_for(l, timeout, [&] { return s.exited; }))
            ok = s.flushOk && s.held == 0;
        else
            abandon = s.abandoned = true;
        s.wake.notify_one();
    }
    if (!abandon) {
        thread_.join();
        return ok;
    }
    state_->clearReport(timeout);
    thread_.detach();  // it holds its own share of the state
    return false;
}

LogWriter::Backlog LogWriter::backlog() const {
    std::lock_guard l(state_->m);
    Backlog b = state_->heldByLog;
    b.queued = state_->rows.size() + state_->entries.size() + state_->judgements.size();
    b.stuck = state_->abandoned;
    return b;
}

std::string LogWriter::Backlog::describe(const LogFiles& files) const {
    std::string out;
    auto add = [&out](std::size_t n, const char* what, const std::filesystem::path& file) {
        if (n == 0)
            return;
        if (!out.empty())
            out += ", ";
        out += std::to_string(n) + " " + what + (file.empty() ? "" : " of " + file.string());
    };
    add(rows, "rows", files.practiceLog);
    add(entries, "entries", files.textLog);
    add(judgements, "judged characters", files.charLog);
    add(queued, "entries not yet written", {});
    if (stuck)
        out += std::string(out.empty() ? "" : ", ") + "the disk did not answer in time";
    return out.empty() ? "nothing is missing" : out;
}

std::size_t LogWriter::pending() const {
    std::lock_guard l(state_->m);
    return state_->rows.size() + state_->entries.size() + state_->judgements.size() + state_->held;
}

}  // namespace quorvel
