#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "engine/simulated_run.h"
#include "tests/support/recording_view.h"
#include "tests/support/temp_dir.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

fs::path scratchDir(const std::string& name) {
    return test::scratchDir("engine", name);
}

struct TrainerTest : ::testing::Test {
    TrainerTest() { trainer.setView(&view); }
    test::RecordingView view;
    ManualScoringClock clock;
    Trainer trainer{[this] {
        TrainerOptions o;
        o.clock = &clock;
        return o;
    }()};
};

TEST_F(TrainerTest, GeneratedSetsFollowThePracticeLanguage) {
    const DataPaths paths(scratchDir("generate"), {QUORVEL_RESOURCES});
    trainer.generateRandomSet(paths);
    EXPECT_TRUE(trainer.document().setActive());
    EXPECT_EQ(trainer.document().telegramCount(), 10);
    EXPECT_FALSE(trainer.document().latinMode());

    trainer.switchLanguage(true);
    EXPECT_EQ(trainer.settings().Lang.load(), 0);
    trainer.generateRandomSet(paths);
    EXPECT_EQ(trainer.document().telegramCount(), 200);
    EXPECT_TRUE(trainer.document().latinMode());
}

TEST_F(TrainerTest, UnreadableTelegramFileChangesNothing) {
    const fs::path empty = scratchDir("load") / "empty.txt";
    std::ofstream(empty).put('\n');
    EXPECT_FALSE(trainer.loadTelegramFile(empty));
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.boxes[0].text, u"和文電報テキストファイルを読み込めません。");
    EXPECT_FALSE(trainer.document().setActive());
}

TEST_F(TrainerTest, OtherCommandsEndARunningDemoFirst) {
    trainer.settings().WPM = 40;
    for (auto command : {+[](Trainer& t) { t.switchLanguage(true); },
                         +[](Trainer& t) { t.nextPage(); }, +[](Trainer& t) { t.reset(); }}) {
        ASSERT_TRUE(trainer.receive().startDemo());
        EXPECT_EQ(trainer.settings().Mode.load(), 1);
        command(trainer);
        EXPECT_FALSE(trainer.receive().running());
        EXPECT_EQ(trainer.flags().DemoMode.load(), 0);
        EXPECT_EQ(trainer.flags().serialDot.load() + trainer.flags().serialDash.load(), 0);
    }
    EXPECT_EQ(trainer.document().telegramNumber(), 1);
}

TEST_F(TrainerTest, PauseAppliesToThePlaybackWhileOneRuns) {
    trainer.settings().WPM = 40;
    trainer.settings().Mode = 0;
    trainer.rxStart();
    ASSERT_TRUE(trainer.receive().running());
    EXPECT_EQ(trainer.flags().BandEffectsActive.load(), 1);
    trainer.togglePause();
    EXPECT_EQ(trainer.flags().PlaybackPaused.load(), 1);
    EXPECT_EQ(view.lastMessage(), u"一旦停止中");
    trainer.togglePause();
    EXPECT_EQ(view.lastMessage(), u"再開");
    trainer.rxStop();
    EXPECT_FALSE(trainer.receive().running());
    EXPECT_EQ(trainer.flags().BandEffectsActive.load(), 0);
}

}  // namespace
}  // namespace quorvel
