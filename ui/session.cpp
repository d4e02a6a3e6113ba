#include "ui/session.h"

#include <QSize>

#include "audio/sdl/sdl_audio_device.h"
#include "engine/trainer.h"
#include "morse/code_tables.h"
#include "ui/external_close.h"
#include "ui/main_window.h"
#include "ui/view_adapter.h"
#include "ui/window_features.h"

namespace quorvel::ui {

Session::Session(DataPaths paths, const QSize& client, SessionOptions options) {
    (void)codeTables();  // built once, before any thread reads them
    TrainerOptions trainerOptions;
    trainerOptions.dataDirectory = paths.dataDirectory();
    trainer_ = std::make_unique<Trainer>(std::move(trainerOptions));
    view_ = std::make_unique<ViewAdapter>();
    trainer_->setView(view_.get());
    trainer_->startThreads();
    if (options.sound)
        device_ = std::make_unique<SdlAudioDevice>(trainer_->settings(), trainer_->flags(),
                                                   trainer_->audio());
    window_ = std::make_unique<MainWindow>(*trainer_, *view_, paths, client);
    attachFeatureWindows(*window_, *trainer_, paths);
    MainWindow* window = window_.get();
    externalClose_ = std::make_unique<ExternalClose>(window, [window] { window->requestClose(); });
}

Session::~Session() {
    externalClose_.reset();
    window_->close();
    trainer_->shutdown();
    device_.reset();
    trainer_->setView(nullptr);
    window_.reset();
    view_.reset();
}

bool Session::soundOpen() const {
    return device_ && device_->isOpen();
}

}  // namespace quorvel::ui
