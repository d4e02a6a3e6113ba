// Generated sets survive the telegram file and a whole simulated receive run.
#include <gtest/gtest.h>

#include "generation/english_generator.h"
#include "generation/japanese_generator.h"
#include "keying/keying_engine.h"
#include "morse/code_tables.h"
#include "practice/playback.h"
#include "practice/telegram_file.h"
#include "storage/utf.h"
#include "tests/generation/stand_in.h"
#include "tests/support/recording_view.h"

namespace quorvel {
namespace {

const GeneratorFiles kShippedFiles{{std::filesystem::path(QUORVEL_SOURCE_DIR) / "resources"}};

TelegramList japaneseSet(std::uint32_t seed, JapaneseOptions options) {
    CharStats stats;
    stats[u'ヌ'] = {10, 2, 8, {}};
    stats[u'Q'] = {10, 0, 10, {}};
    RandomGenerator r;
    r.seed(seed);
    return JapaneseGenerator(builtInJapaneseTables(), r, options, kShippedFiles, stats).batch();
}

// Fields whose practice form has a character without a code, or one that decodes to "?".
void expectKeyable(const TelegramList& set, bool latin) {
    for (const auto& t : set)
        for (int s = 0; s < kSectionCount; ++s)
            for (char16_t c : toPracticeForm(t.field(s), latin)) {
                const auto code = codeFor(c, latin);
                ASSERT_TRUE(code) << toUtf8(t.field(s));
                EXPECT_NE(decodeCode(activeDecodeTable(latin), *code), kUnknownCharacter)
                    << toUtf8(t.field(s));
            }
}

TEST(GeneratedSets, JapaneseRoundTripsThroughTheFile) {
    test::TempDir dir;
    const auto path = dir.path() / "ja.txt";
    for (int level = 0; level < kLevelCount; ++level)
        for (int mode = 0; mode < 3; ++mode) {
            SCOPED_TRACE(testing::Message() << "level " << level << " mode " << mode);
            const TelegramList set = japaneseSet(static_cast<std::uint32_t>(100 + level * 3 + mode),
                                                 {level, level * 2, mode != 0, mode == 2});
            std::string reason;
            ASSERT_TRUE(writeTelegramFile(path, set, false, &reason)) << reason;
            const auto back = readTelegramFile(path);
            ASSERT_TRUE(back);
            EXPECT_FALSE(back->latin);
            EXPECT_EQ(back->records, set);
            expectKeyable(set, false);
        }
}

TEST(GeneratedSets, LatinRoundTripsThroughTheFile) {
    test::TempDir dir;
    const auto path = dir.path() / "latin.txt";
    std::vector<EnglishTemplate> templates;
    EnglishDictionary dictionary;
    ASSERT_TRUE(loadEnglishSources(kShippedFiles, templates, dictionary));
    RandomGenerator r;
    r.seed(42);
    for (int level = 0; level < kLevelCount; ++level)
        for (int category : {0, 1, 8, 9}) {
            TelegramList set;
            ASSERT_EQ(latinBatch(templates, dictionary, level, category, r, set),
                      LatinBatchError::None);
            std::string reason;
            ASSERT_TRUE(writeTelegramFile(path, set, true, &reason)) << reason;
            const auto back = readTelegramFile(path);
            ASSERT_TRUE(back);
            EXPECT_TRUE(back->latin);
            EXPECT_EQ(back->records, set);
            expectKeyable(set, true);
        }
}

TEST(GeneratedSets, SimulatedReceptionOfAJapaneseSetMatchesTheModel) {
    PracticeSettings settings;
    settings.WPM = 40;
    SharedFlags flags;
    TelegramDocument doc(settings, flags);
    test::RecordingView view;
    doc.setView(&view);
    TelegramList set = japaneseSet(2024, {4, 0, true, true});
    set.resize(3);  // three telegrams keep the run short while covering the telegram gaps
    ASSERT_TRUE(doc.installSet(set, false));

    KeyingEngine engine(settings, flags, doc);
    PlaybackHooks hooks;
    hooks.clearQueue = [&] { engine.clearQueue(); };
    hooks.spaceExpected = [&] { return engine.spaceExpected(); };
    Playback playback(settings, flags, doc, hooks);
    std::uint32_t now = 1000;
    engine.restartTiming(now);
    flags.PlaybackRunning = 1;
    playback.begin(now, false);
    for (int guard = 0; guard < 30 * 60 * 1000; ++guard) {
        const bool more = playback.step(++now);
        engine.step(now);
        engine.drain();
        if (!more)
            break;
    }
    for (int i = 0; i < 200; ++i) {  // let the last character's gap close
        engine.step(++now);
        engine.drain();
    }
    EXPECT_FALSE(playback.active());
    ASSERT_EQ(view.results.size(), set.size());
    for (std::size_t i = 0; i < set.size(); ++i) {
        const TelegramProgress p = doc.savedProgress(static_cast<int>(i));
        for (int s = 0; s < kSectionCount; ++s) {
            const auto& entered = p.sections[static_cast<std::size_t>(s)].enteredText;
            SCOPED_TRACE(testing::Message()
                         << "telegram " << i << " field " << s << " " << toUtf8(entered));
            EXPECT_EQ(entered.find(kUnknownCharacter), std::u16string::npos);
            EXPECT_EQ(entered, toPracticeForm(set[i].field(s), false));
            EXPECT_EQ(p.sections[static_cast<std::size_t>(s)].judgementMarks.find(u'0'),
                      std::u16string::npos);
        }
    }
}

}  // namespace
}  // namespace quorvel
