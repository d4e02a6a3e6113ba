#include "ui/settings_writer.h"

namespace quorvel::ui {

SettingsWriter::SettingsWriter(const PracticeSettings& settings, std::filesystem::path file,
                               QObject* parent)
    : QObject(parent), settings_(settings), writer_(std::move(file)) {
    timer_.setSingleShot(true);
    timer_.setInterval(kCoalesceMs);
    connect(&timer_, &QTimer::timeout, this, [this] { writer_.post(settings_); });
}

void SettingsWriter::requestSave() {
    // The first step of a drag is written at once, the rest at most every kCoalesceMs.
    if (timer_.isActive())
        return;
    writer_.post(settings_);
    timer_.start();
}

bool SettingsWriter::saveNow() {
    timer_.stop();
    return writer_.writeNow(settings_);
}

}  // namespace quorvel::ui
