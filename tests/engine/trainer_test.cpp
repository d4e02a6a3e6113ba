#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <thread>

#include "engine/simulated_run.h"
#include "storage/char_log.h"
#include "storage/practice_log.h"
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

namespace quorvel {
namespace {

bool waitFor(const std::function<bool()>& done) {
    const auto guard = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > guard)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// With the writer on its own thread the files lag behind the judgements; a normal close still
// leaves every judgement on the disk.
TEST(TrainerLogs, ShutdownWritesEveryJudgementOfTheRun) {
    test::TempDir dir;
    test::RecordingView view;
    ManualScoringClock clock;
    TrainerOptions options;
    options.clock = &clock;
    options.dataDirectory = dir.path();
    options.syncLogs = false;
    Trainer trainer(options);
    trainer.setView(&view);
    trainer.document().installSet({{u"", u"", u"", u"", u"", u"アイウエオ"}}, false);
    ASSERT_TRUE(trainer.startThreads());
    for (char16_t c : std::u16string(u"アキウエオ"))
        trainer.document().enterCharacter(c);
    trainer.shutdown();

    const DataPaths paths(dir.path());
    int rows = 0;
    forEachPracticeLogLine(paths.practiceLog(), [&](std::string_view) { ++rows; });
    EXPECT_EQ(rows, 5);
    CharLogTable table;
    ASSERT_TRUE(readCharLog(paths.charLog(), table));
    int asked = 0;
    for (const auto& [c, stat] : table)
        asked += stat.asked;
    EXPECT_EQ(asked, 5);
    EXPECT_EQ(table.at(u'イ').confusions.at(u'キ'), 1);
    EXPECT_TRUE(view.boxes.empty());
}

TEST(TrainerCard, ShutdownWithAPendingCardReturnsAndEndsTheSet) {
    test::RecordingView view;
    view.autoDismiss = false;
    ManualScoringClock clock;
    TrainerOptions options;
    options.clock = &clock;
    Trainer trainer(options);
    trainer.setView(&view);
    trainer.document().installSet({{u"1", u"", u"", u"", u"2", u"3"}}, true);
    ASSERT_TRUE(trainer.startThreads());
    for (const char* code : {".----", "-...-", "..---", "-...-", "...--", ".-.-."})
        trainer.keying().queue().post(KeyingEvent::character(code, 0));
    ASSERT_TRUE(waitFor([&] { return trainer.resultPending(); }));
    // Held back while the card is open.
    trainer.keying().queue().post(KeyingEvent::character(".-", 0));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(trainer.keying().queue().size(), 1u);

    auto closing = std::async(std::launch::async, [&] { trainer.shutdown(); });
    ASSERT_EQ(closing.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_FALSE(trainer.resultPending());
    EXPECT_TRUE(trainer.document().telegramFinished());
    EXPECT_EQ(trainer.scoring().runTally().finishedSets, 1);
    // The view is detached: whatever still runs reports to no one.
    const std::size_t shown = view.messages.size();
    trainer.document().reset();
    EXPECT_EQ(view.messages.size(), shown);
}

TEST(TrainerCard, DismissReleasesTheHeldEvents) {
    test::RecordingView view;
    view.autoDismiss = false;
    ManualScoringClock clock;
    TrainerOptions options;
    options.clock = &clock;
    Trainer trainer(options);
    trainer.setView(&view);
    trainer.document().installSet(
        {{u"1", u"", u"", u"", u"2", u"3"}, {u"4", u"", u"", u"", u"5", u"6"}}, true);
    ASSERT_TRUE(trainer.startThreads());
    for (const char* code : {".----", "-...-", "..---", "-...-", "...--", ".-.-.", "....-"})
        trainer.keying().queue().post(KeyingEvent::character(code, 0));
    ASSERT_TRUE(waitFor([&] { return trainer.resultPending(); }));
    EXPECT_EQ(trainer.document().telegramNumber(), 1);
    trainer.dismissResult();
    ASSERT_TRUE(waitFor([&] { return trainer.document().sectionPosition(Preamble) == 1; }));
    EXPECT_EQ(trainer.document().telegramNumber(), 2);
    EXPECT_EQ(trainer.document().progress().sections[Preamble].enteredText, u"4");
    trainer.shutdown();
}

}  // namespace
}  // namespace quorvel
