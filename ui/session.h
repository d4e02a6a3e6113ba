// One running program: the engine with its threads, the sound device and the main window,
// made and torn down in the order that lets every worker end before what it reports to.
#pragma once

#include <filesystem>
#include <memory>

#include "storage/paths.h"

class QSize;

namespace quorvel {
class SdlAudioDevice;
class Trainer;
}  // namespace quorvel

namespace quorvel::ui {

class ExternalClose;
class MainWindow;
class ViewAdapter;

struct SessionOptions {
    bool sound = true;  // open the sound device (a test may run without)
};

class Session {
  public:
    // Code tables, the engine and its threads, the sound device, then the window (which loads
    // the settings). `client` as for MainWindow.
    Session(DataPaths paths, const QSize& client, SessionOptions options = {});
    // The window closes first (settings saved), then the engine's shutdown releases any waiting
    // result and joins its workers, then the sound device stops.
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    MainWindow& window() { return *window_; }
    Trainer& trainer() { return *trainer_; }
    ViewAdapter& view() { return *view_; }
    bool soundOpen() const;

  private:
    std::unique_ptr<Trainer> trainer_;
    std::unique_ptr<ViewAdapter> view_;
    std::unique_ptr<SdlAudioDevice> device_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<ExternalClose> externalClose_;
};

}  // namespace quorvel::ui
