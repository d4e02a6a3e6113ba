// A sound device that fails while it plays (SDL's disk driver writing to a disk that fills),
// and closing the program in the middle of a run.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <thread>

#include "audio/sdl/sdl_audio_device.h"
#include "engine/trainer.h"
#include "tests/faults/child_process.h"
#include "tests/serial/fake_modem_lines.h"
#include "tests/support/recording_view.h"
#include "tests/support/temp_dir.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

void useDiskDevice(const fs::path& file) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
}

TEST(FailingSoundDevice, DiskThatFillsMidRunStopsTheSoundNotTheProgram) {
    test::TempDir dir;
    const fs::path file = dir / "device.raw";
    constexpr rlim_t kRoom = 64 * 1024;  // a fraction of a second of float audio
    const int status = test::inChild([&] {
        if (!test::limitFileSize(kRoom))
            return false;
        useDiskDevice(file);
        PracticeSettings settings;
        SharedFlags flags;
        AudioState audio;
        const auto start = std::chrono::steady_clock::now();
        {
            SdlAudioDevice device(settings, flags, audio);
            if (!device.isOpen())
                return false;
            // Keying goes on past the point where the device can no longer write.
            for (int i = 0; i < 40; ++i) {
                flags.ToneKeyDown.store(i % 2);
                std::this_thread::sleep_for(10ms);
            }
        }
        return std::chrono::steady_clock::now() - start < 5s;
    });
    ASSERT_EQ(status, 0);
    // The device wrote until the disk was full.
    EXPECT_EQ(fs::file_size(file), kRoom);
}

TEST(FailingSoundDevice, NoDeviceAtAllLeavesAReceiveRunWorking) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    PracticeSettings settings;
    SharedFlags flags;
    AudioState audio;
    SdlAudioDevice device(settings, flags, audio);
    EXPECT_FALSE(device.isOpen());
    test::RecordingView view;
    Trainer trainer;
    trainer.setView(&view);
    trainer.settings().WPM = 40;
    ASSERT_TRUE(trainer.startThreads());
    trainer.rxStart();
    EXPECT_TRUE(test::eventually([&] { return trainer.flags().PlaybackRunning.load() != 0; }));
    trainer.shutdown();
}

// The window closes while a receive run plays and keys: everything stops within 1.5 s, the
// limit a user would still call prompt.
TEST(ExitDuringRun, ReceiveRunAndThreadsStopWithinTheLimit) {
    test::TempDir dir;
    useDiskDevice(dir / "device.raw");
    test::RecordingView view;
    TrainerOptions options;
    options.dataDirectory = dir.path();
    auto trainer = std::make_unique<Trainer>(options);
    trainer->setView(&view);
    trainer->settings().WPM = 20;
    std::optional<SdlAudioDevice> device;
    device.emplace(trainer->settings(), trainer->flags(), trainer->audio());
    ASSERT_TRUE(trainer->startThreads());
    trainer->rxStart();
    ASSERT_TRUE(test::eventually([&] { return trainer->flags().PlaybackRunning.load() != 0; }));
    std::this_thread::sleep_for(300ms);  // into the middle of the first telegram

    // The window's order: engine threads first, then the device, then the context.
    const auto start = std::chrono::steady_clock::now();
    trainer->shutdown();
    device.reset();
    trainer.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);
}

}  // namespace
}  // namespace quorvel
