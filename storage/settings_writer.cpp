#include "storage/settings_writer.h"

#include <condition_variable>
#include <mutex>

#include "storage/settings_file.h"

namespace quorvel {

struct SettingsFileWriter::State {
    std::filesystem::path file;
    Write write;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::unique_ptr<PracticeSettings> pending;  // the values of the next write
    bool writing = false;
    bool stop = false;
    int writes = 0;
};

namespace {

std::unique_ptr<PracticeSettings> copyOf(const PracticeSettings& from) {
    auto copy = std::make_unique<PracticeSettings>();
    for (const SettingKey& key : settingsTable())
        PracticeSettings::set((*copy).*key.field, PracticeSettings::get(from.*key.field));
    return copy;
}

}  // namespace

SettingsFileWriter::SettingsFileWriter(std::filesystem::path file, Write write,
                                       std::chrono::milliseconds budget)
    : state_(std::make_shared<State>()), budget_(budget) {
    state_->file = std::move(file);
    state_->write =
        write ? std::move(write) : [](const std::filesystem::path& f, const PracticeSettings& s) {
            return saveSettings(f, s);
        };
    worker_ = BoundedThread([state = state_] { run(*state); });
}

SettingsFileWriter::~SettingsFileWriter() {
    {
        std::lock_guard lock(state_->mutex);
        state_->stop = true;
    }
    state_->wake.notify_all();
    if (!worker_.joinFor(budget_)) {
        reportStopOverrun("the settings writer's thread", budget_);
        worker_.detach();  // it holds its state; the write goes on to the end on its own
    }
}

void SettingsFileWriter::post(const PracticeSettings& settings) {
    auto values = copyOf(settings);
    {
        std::lock_guard lock(state_->mutex);
        state_->pending = std::move(values);
    }
    state_->wake.notify_all();
}

bool SettingsFileWriter::writeNow(const PracticeSettings& settings) {
    {
        std::unique_lock lock(state_->mutex);
        state_->pending.reset();
        if (!state_->idle.wait_for(lock, budget_, [this] { return !state_->writing; }))
            reportStopOverrun("a settings write", budget_);
    }
    const bool ok = state_->write(state_->file, settings);
    std::lock_guard lock(state_->mutex);
    ++state_->writes;
    return ok;
}

int SettingsFileWriter::writesDone() const {
    std::lock_guard lock(state_->mutex);
    return state_->writes;
}

void SettingsFileWriter::run(State& state) {
    std::unique_lock lock(state.mutex);
    for (;;) {
        state.wake.wait(lock, [&] { return state.stop || state.pending; });
        if (state.stop)
            return;
        std::unique_ptr<PracticeSettings> values = std::move(state.pending);
        state.writing = true;
        lock.unlock();
        state.write(state.file, *values);  // a failed write is ignored; the next save retries
        lock.lock();
        state.writing = false;
        ++state.writes;
        state.idle.notify_all();
    }
}

}  // namespace quorvel
