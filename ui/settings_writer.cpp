#include "ui/settings_writer.h"

#include "storage/settings_file.h"

namespace quorvel::ui {
namespace {

std::unique_ptr<PracticeSettings> copyOf(const PracticeSettings& from) {
    auto copy = std::make_unique<PracticeSettings>();
    for (const SettingKey& key : settingsTable())
        PracticeSettings::set((*copy).*key.field, PracticeSettings::get(from.*key.field));
    return copy;
}

}  // namespace

SettingsWriter::SettingsWriter(const PracticeSettings& settings, std::filesystem::path file,
                               QObject* parent)
    : QObject(parent), settings_(settings), file_(std::move(file)) {
    timer_.setSingleShot(true);
    timer_.setInterval(kCoalesceMs);
    connect(&timer_, &QTimer::timeout, this, [this] { snapshotToWorker(); });
    worker_ = std::thread([this] { run(); });
}

SettingsWriter::~SettingsWriter() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void SettingsWriter::requestSave() {
    // The first step of a drag is written at once, the rest at most every kCoalesceMs.
    if (timer_.isActive())
        return;
    snapshotToWorker();
    timer_.start();
}

void SettingsWriter::snapshotToWorker() {
    {
        std::lock_guard lock(mutex_);
        pending_ = copyOf(settings_);
    }
    wake_.notify_all();
}

bool SettingsWriter::saveNow() {
    timer_.stop();
    {
        // A write under way finishes first; then this one replaces it.
        std::unique_lock lock(mutex_);
        pending_.reset();
        idle_.wait(lock, [this] { return !writing_; });
    }
    const bool ok = saveSettings(file_, settings_);
    std::lock_guard lock(mutex_);
    ++writes_;
    return ok;
}

int SettingsWriter::writesDone() const {
    std::lock_guard lock(mutex_);
    return writes_;
}

void SettingsWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || pending_; });
        if (stop_)
            return;
        std::unique_ptr<PracticeSettings> values = std::move(pending_);
        writing_ = true;
        lock.unlock();
        saveSettings(file_, *values);  // a failed write is ignored; the next save retries
        lock.lock();
        writing_ = false;
        ++writes_;
        idle_.notify_all();
    }
}

}  // namespace quorvel::ui
