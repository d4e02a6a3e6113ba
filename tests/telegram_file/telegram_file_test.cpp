#include <gtest/gtest.h>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <random>
#include <string>

#include "practice/document.h"
#include "practice/telegram_file.h"
#include "storage/text_decode.h"
#include "storage/utf.h"
#include "tests/support/recording_view.h"
#include "tests/support/temp_dir.h"

namespace quorvel {
namespace {

const TelegramRecord kFirst{u"一五八",
                            u"センダイデンポウ",
                            u"三九",
                            u"セ一〇、三〇",
                            u"ミヤギケン」センダイシ」ヤマモト ハルカ」",
                            u"アスゴゴツク」ムカエタノム」"};
const TelegramRecord kSecond{u"二〇",     u"ナハデンポウ",           u"七",
                             u"コ一、五", u"オキナワケン」ナハシ」", u"ブジツイタ」"};

const char* const kJapaneseFile =
    "[VALA]\n一五八\n[VALB]\nセンダイデンポウ\n[VALC]\n三九\n[VALD]\nセ一〇、三〇\n"
    "[VALE]\nミヤギケン」センダイシ」ヤマモト ハルカ」\n[TEXT]\nアスゴゴツク」ムカエタノム」\n"
    "[VALA]\n二〇\n[VALB]\nナハデンポウ\n[VALC]\n七\n[VALD]\nコ一、五\n[VALE]\n"
    "オキナワケン」ナハシ」\n[TEXT]\nブジツイタ」\n";

std::optional<TelegramFile> parse(std::u16string_view text) {
    return parseTelegramText(text);
}

#ifdef _WIN32
std::string toShiftJis(const std::string& utf8) {
    const std::u16string wide = fromUtf8(utf8);
    const auto* w = reinterpret_cast<const wchar_t*>(wide.data());
    const int wn = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(932, 0, w, wn, nullptr, 0, nullptr, nullptr);
    EXPECT_GT(n, 0);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(932, 0, w, wn, out.data(), n, nullptr, nullptr);
    return out;
}
#else
std::string toShiftJis(const std::string& utf8) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string in = utf8;
    std::string out(in.size() * 2, '\0');
    char* ip = in.data();
    char* op = out.data();
    std::size_t il = in.size(), ol = out.size();
    EXPECT_NE(iconv(cd, &ip, &il, &op, &ol), static_cast<std::size_t>(-1));
    iconv_close(cd);
    out.resize(out.size() - ol);
    return out;
}
#endif

std::string utf16le(const std::string& utf8) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : fromUtf8(utf8)) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

std::string withCrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

TEST(TelegramFile, EveryEncodingAndLineEndLoadsTheSameTelegrams) {
    test::TempDir dir;
    const std::string utf8 = kJapaneseFile;
    const std::vector<std::string> variants = {
        utf8,           "\xEF\xBB\xBF" + utf8,      utf16le(utf8),          toShiftJis(utf8),
        withCrLf(utf8), toShiftJis(withCrLf(utf8)), utf16le(withCrLf(utf8))};
    int n = 0;
    for (const auto& bytes : variants) {
        SCOPED_TRACE(n);
        auto file = readTelegramFile(dir.write("t" + std::to_string(n++) + ".txt", bytes));
        ASSERT_TRUE(file);
        EXPECT_FALSE(file->latin);
        ASSERT_EQ(file->records.size(), 2u);
        EXPECT_EQ(file->records[0], kFirst);
        EXPECT_EQ(file->records[1], kSecond);
    }
}

TEST(TelegramFile, MissingAndBlankSerials) {
    // A blank serial skips its telegram; a missing one is taken from the next telegram's.
    auto file = parse(
        u"[VALA]一\n[VALB]ア\n[VALC]\n[VALD]コ一、二\n[VALE]イ」\n[TEXT]ウ」\n"
        u"[VALA]二\n[VALB]カ\n[VALD]コ三、四\n[VALE]キ」\n[TEXT]ク」\n"
        u"[VALA]三\n[VALB]サ\n[VALC]九\n[VALD]コ五、六\n[VALE]シ」\n[TEXT]ス」\n"
        u"[VALA]四\n[VALB]タ\n[VALD]コ七、八\n[VALE]チ」\n[TEXT]ツ」\n");
    ASSERT_TRUE(file);
    ASSERT_EQ(file->records.size(), 2u);
    EXPECT_EQ(file->records[0].preamble, u"二");
    EXPECT_EQ(file->records[0].serial, u"九");
    EXPECT_EQ(file->records[0].office, u"カ");
    EXPECT_EQ(file->records[1].preamble, u"三");
    EXPECT_EQ(file->records[1].serial, u"九");
}

TEST(TelegramFile, ValueBoundaries) {
    const std::u16string text =
        u"[VALA]一五八\n[VALB]\n\n  センダイ\u3000\t\n[TEXT]\nイチギョウメ」\n\nニギョウメ」\n"
        u"[コメント]\nソノアト」";
    EXPECT_EQ(tagValue(text, u"[VALA]", 0), u"一五八");
    EXPECT_EQ(tagValue(text, u"[VALB]", 0), u"センダイ");
    // Inner line breaks stay; a line that starts with "[" ends the value.
    EXPECT_EQ(tagValue(text, u"[TEXT]", 0), u"イチギョウメ」\n\nニギョウメ」");
    EXPECT_EQ(tagValue(text, u"[VALC]", 0), u"");
    EXPECT_EQ(tagValue(text, u"[VALA]", 1), u"");
    // Without a later line starting with "[", the value runs to the next "[VALA]" or the end.
    EXPECT_EQ(tagValue(u"[TEXT]アイ[VALA]ウ", u"[TEXT]", 0), u"アイ");
    EXPECT_EQ(tagValue(u"[TEXT]アイ [X]ウ", u"[TEXT]", 0), u"アイ [X]ウ");
    EXPECT_EQ(tagValue(u"[TEXT]", u"[TEXT]", 99), u"");
}

TEST(TelegramFile, LayoutChoice) {
    const std::u16string latin =
        u"[Preamble]\n49 NAGASAKIRADIO 19 16 6 34 M\n[To]\nA B\n[Text]\nC D\n";
    auto l = parse(latin);
    ASSERT_TRUE(l);
    EXPECT_TRUE(l->latin);
    ASSERT_EQ(l->records.size(), 1u);
    EXPECT_EQ(l->records[0],
              (TelegramRecord{u"49 NAGASAKIRADIO 19 16 6 34 M", u"", u"", u"", u"A B", u"C D"}));

    // Both layouts in one file: only the Japanese telegrams.
    auto both = parse(latin + fromUtf8(kJapaneseFile));
    ASSERT_TRUE(both);
    EXPECT_FALSE(both->latin);
    ASSERT_EQ(both->records.size(), 2u);
    EXPECT_EQ(both->records[0].preamble, kFirst.preamble);

    EXPECT_FALSE(parse(u"アイウ」"));
    EXPECT_FALSE(parse(u"[Preamble]\n1\n[To]\n\n[Text]\nX\n"));
    EXPECT_FALSE(parse(u""));
}

class LoadTelegramFile : public ::testing::Test {
  protected:
    LoadTelegramFile() { doc.setView(&view); }

    // A loaded set with some progress, to see that a failure keeps all of it.
    void prepare() {
        ASSERT_TRUE(loadTelegramFile(doc, dir.write("start.txt", kJapaneseFile)));
        doc.nextTelegram();
        doc.enterCharacter(u'二');
        view.boxes.clear();
    }

    PracticeSettings settings;
    SharedFlags flags;
    TelegramDocument doc{settings, flags};
    test::RecordingView view;
    test::TempDir dir;
};

TEST_F(LoadTelegramFile, FailuresShowOneMessageAndChangeNothing) {
    prepare();
    const auto set = doc.currentSet();
    const auto position = doc.position();
    const auto progress = doc.progress();
    const std::vector<std::string> bad = {
        "", "\xEF\xBB\xBF", "\xFF\xFE", "アイウ", "[VALA]\n一\n[VALB]\nア\n", "\x80\xA0"};
    int n = 0;
    for (const auto& bytes : bad) {
        EXPECT_FALSE(loadTelegramFile(doc, dir.write("bad" + std::to_string(n++) + ".txt", bytes)));
    }
    EXPECT_FALSE(loadTelegramFile(doc, dir.path() / "missing.txt"));
    ASSERT_EQ(view.boxes.size(), bad.size() + 1);
    for (const auto& box : view.boxes) {
        EXPECT_EQ(box.title, u"ERROR");
        EXPECT_EQ(box.text, u"和文電報テキストファイルを読み込めません。");
        EXPECT_EQ(box.icon, MessageIcon::Error);
    }
    EXPECT_EQ(doc.currentSet(), set);
    const auto now = doc.position();
    EXPECT_EQ(now.telegramNumber, position.telegramNumber);
    EXPECT_EQ(now.section, position.section);
    EXPECT_EQ(now.textCursor, position.textCursor);
    EXPECT_EQ(now.page, position.page);
    EXPECT_EQ(now.setGeneration, position.setGeneration);
    EXPECT_EQ(now.telegramFinished, position.telegramFinished);
    EXPECT_EQ(doc.progress(), progress);
}

TEST_F(LoadTelegramFile, InstallingRestartsThePracticeAndPicksTheLanguage) {
    prepare();
    const int generation = doc.setGeneration();
    const auto latinFile =
        dir.write("latin.txt", "[Preamble]\n1 SEABIRD 2 3 4 05 S\n[To]\nX\n[Text]\nAB CD\n");
    ASSERT_TRUE(loadTelegramFile(doc, latinFile));
    EXPECT_TRUE(doc.latinMode());
    EXPECT_EQ(view.languageChanges, std::vector<bool>{true});
    EXPECT_EQ(doc.telegramCount(), 1);
    EXPECT_EQ(doc.telegramNumber(), 1);
    EXPECT_EQ(doc.section(), 0);
    EXPECT_EQ(doc.textCursor(), 0);
    EXPECT_GT(doc.setGeneration(), generation);
    EXPECT_EQ(doc.progress(), TelegramProgress{});

    // Kana cannot be keyed in Latin code, so a Japanese file brings the practice back.
    ASSERT_TRUE(loadTelegramFile(doc, dir.write("ja.txt", kJapaneseFile)));
    EXPECT_FALSE(doc.latinMode());
    EXPECT_EQ((view.languageChanges), (std::vector<bool>{true, false}));
    EXPECT_EQ(doc.telegramCount(), 2);
    EXPECT_EQ(doc.record(0), kFirst);
    EXPECT_TRUE(view.boxes.empty());
}

TEST(TelegramFileWriter, WritesWhatReadsBack) {
    test::TempDir dir;
    const TelegramList japanese = {kFirst, kSecond};
    const auto path = dir.path() / "out.txt";
    ASSERT_TRUE(writeTelegramFile(path, japanese, false));
    auto back = readTelegramFile(path);
    ASSERT_TRUE(back);
    EXPECT_FALSE(back->latin);
    EXPECT_EQ(back->records, japanese);

    const TelegramList latin = {{u"1 SEABIRD 3 1 0 05 S", u"", u"", u"", u"A B", u"X [Y] Z"},
                                {u"2 SEABIRD 1 1 0 05 M", u"", u"", u"", u"C", u"W\nV"}};
    ASSERT_TRUE(writeTelegramFile(path, latin, true));  // replaces the Japanese file
    back = readTelegramFile(path);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->latin);
    EXPECT_EQ(back->records, latin);
    // Nothing but the file itself is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(TelegramFileWriter, RefusesFieldsThatWouldNotReadBack) {
    test::TempDir dir;
    const auto path = dir.path() / "out.txt";
    const std::string before = "[VALA]\n一\n";
    dir.write("out.txt", before);
    std::string reason;
    auto refuse = [&](TelegramRecord r, bool latin) {
        EXPECT_FALSE(writeTelegramFile(path, {r}, latin, &reason));
        EXPECT_FALSE(reason.empty());
        reason.clear();
    };
    TelegramRecord r = kFirst;
    r.serial = u"";
    refuse(r, false);
    r = kFirst;
    r.text = u" ア」";
    refuse(r, false);
    r.text = u"ア」\n[VALA]イ";
    refuse(r, false);
    r.text = u"[ア」";
    refuse(r, false);
    r.text = u"ア[TEXT]イ";
    refuse(r, false);
    refuse({u"1", u"", u"", u"", u"A", u"B[VALA]"}, true);
    refuse({u"1", u"", u"", u"", u"A", u""}, true);
    EXPECT_FALSE(writeTelegramFile(path, {}, false, &reason));
    std::string bytes;
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(bytes, before);
}

TEST(TelegramFileReader, ArbitraryBytesNeverBreakIt) {
    std::mt19937 rng(12345);
    const std::vector<std::string> pieces = {
        "[VALA]",   "[VALB]",       "[VALC]", "[VALD]", "[VALE]",      "[TEXT]", "[Preamble]",
        "[To]",     "[Text]",       "\n",     "\r",     "[",           "]",      "ア",
        "\xFF\xFE", "\xEF\xBB\xBF", " ",      "\x83",   "\xE3\x80\x80"};
    for (int round = 0; round < 3000; ++round) {
        std::string bytes;
        const int len = static_cast<int>(rng() % 200);
        for (int i = 0; i < len; ++i) {
            if (rng() % 2)
                bytes += pieces[rng() % pieces.size()];
            else
                bytes.push_back(static_cast<char>(rng() % 256));
        }
        std::u16string text;
        if (!decodeText(bytes, text))
            continue;
        auto file = parseTelegramText(text);
        if (!file)
            continue;
        for (const auto& r : file->records) {
            EXPECT_FALSE(r.preamble.empty());
            EXPECT_FALSE(r.text.empty());
        }
    }
}

}  // namespace
}  // namespace quorvel
