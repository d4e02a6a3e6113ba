#include "generation/japanese_tables.h"

#include "storage/utf.h"

extern const std::string_view kJapaneseThemeData;
extern const std::string_view kJapaneseAddresseeData;

namespace quorvel {
namespace {

struct PrefectureCity {
    std::u16string_view prefecture;
    std::u16string_view city;
};

constexpr std::array<PrefectureCity, kAddressRows> kPrefectures = {{
    {u"ホッカイドウ", u"サッポロシ"}, {u"アオモリケン", u"アオモリシ"},
    {u"イワテケン", u"モリオカシ"},   {u"ミヤギケン", u"センダイシ"},
    {u"アキタケン", u"アキタシ"},     {u"ヤマガタケン", u"ヤマガタシ"},
    {u"フクシマケン", u"フクシマシ"}, {u"イバラキケン", u"ミトシ"},
    {u"トチギケン", u"ウツノミヤシ"}, {u"グンマケン", u"マエバシシ"},
    {u"サイタマケン", u"サイタマシ"}, {u"チバケン", u"チバシ"},
    {u"トウキョウト", u"シナガワク"}, {u"カナガワケン", u"ヨコハマシ"},
    {u"ニイガタケン", u"ニイガタシ"}, {u"トヤマケン", u"トヤマシ"},
    {u"イシカワケン", u"カナザワシ"}, {u"フクイケン", u"フクイシ"},
    {u"ヤマナシケン", u"コウフシ"},   {u"ナガノケン", u"ナガノシ"},
    {u"ギフケン", u"ギフシ"},         {u"シズオカケン", u"シズオカシ"},
    {u"アイチケン", u"ナゴヤシ"},     {u"ミエケン", u"ツシ"},
    {u"シガケン", u"オオツシ"},       {u"キョウトフ", u"キョウトシ"},
    {u"オオサカフ", u"オオサカシ"},   {u"ヒョウゴケン", u"コウベシ"},
    {u"ナラケン", u"ナラシ"},         {u"ワカヤマケン", u"ワカヤマシ"},
    {u"トットリケン", u"トットリシ"}, {u"シマネケン", u"マツエシ"},
    {u"オカヤマケン", u"オカヤマシ"}, {u"ヒロシマケン", u"ヒロシマシ"},
    {u"ヤマグチケン", u"ヤマグチシ"}, {u"トクシマケン", u"トクシマシ"},
    {u"カガワケン", u"タカマツシ"},   {u"エヒメケン", u"マツヤマシ"},
    {u"コウチケン", u"コウチシ"},     {u"フクオカケン", u"フクオカシ"},
    {u"サガケン", u"サガシ"},         {u"ナガサキケン", u"ナガサキシ"},
    {u"クマモトケン", u"クマモトシ"}, {u"オオイタケン", u"オオイタシ"},
    {u"ミヤザキケン", u"ミヤザキシ"}, {u"カゴシマケン", u"カゴシマシ"},
    {u"オキナワケン", u"ナハシ"},
}};

std::vector<std::u16string_view> split(std::u16string_view s, char16_t sep) {
    std::vector<std::u16string_view> parts;
    for (;;) {
        const auto at = s.find(sep);
        parts.push_back(s.substr(0, at));
        if (at == std::u16string_view::npos)
            return parts;
        s.remove_prefix(at + 1);
    }
}

// Lines without their LF, a trailing CR and a leading byte-order mark.
std::vector<std::u16string_view> lines(std::u16string_view text) {
    auto out = split(text, u'\n');
    for (auto& line : out) {
        if (!line.empty() && line.back() == u'\r')
            line.remove_suffix(1);
        if (!line.empty() && line.front() == u'\uFEFF')  // a mark at the start of a joined file
            line.remove_prefix(1);
    }
    return out;
}

}  // namespace

const std::array<std::u16string_view, kAddressRows> kJapaneseOffices = {
    u"サッポロデンポウ",   u"アオモリツウシン", u"モリオカデンポウ", u"センダイツウシン",
    u"アキタデンポウ",     u"ヤマガタツウシン", u"フクシマデンポウ", u"ミトツウシン",
    u"ウツノミヤデンポウ", u"マエバシツウシン", u"サイタマデンポウ", u"チバツウシン",
    u"トウキョウデンポウ", u"ヨコハマツウシン", u"ニイガタデンポウ", u"トヤマツウシン",
    u"カナザワデンポウ",   u"フクイツウシン",   u"コウフデンポウ",   u"ナガノツウシン",
    u"ギフデンポウ",       u"シズオカツウシン", u"ナゴヤデンポウ",   u"ツツウシン",
    u"オオツデンポウ",     u"キョウトツウシン", u"オオサカデンポウ", u"コウベツウシン",
    u"ナラデンポウ",       u"ワカヤマツウシン", u"トットリデンポウ", u"マツエツウシン",
    u"オカヤマデンポウ",   u"ヒロシマツウシン", u"ヤマグチデンポウ", u"トクシマツウシン",
    u"タカマツデンポウ",   u"マツヤマツウシン", u"コウチデンポウ",   u"フクオカツウシン",
    u"サガデンポウ",       u"ナガサキツウシン", u"クマモトデンポウ", u"オオイタツウシン",
    u"ミヤザキデンポウ",   u"カゴシマツウシン", u"ナハデンポウ",
};

int JapaneseTables::findWordList(std::u16string_view key) const {
    auto it = firstKey_.find(std::u16string(key));
    return it == firstKey_.end() ? -1 : it->second;
}

const std::vector<int>& JapaneseTables::templatesOfTheme(std::u16string_view theme) const {
    static const std::vector<int> none;
    auto it = byTheme_.find(std::u16string(theme));
    return it == byTheme_.end() ? none : it->second;
}

void JapaneseTables::index() {
    firstKey_.clear();
    byTheme_.clear();
    for (std::size_t i = 0; i < wordLists.size(); ++i)
        firstKey_.emplace(wordLists[i].key, static_cast<int>(i));
    for (std::size_t i = 0; i < templates.size(); ++i)
        byTheme_[templates[i].theme].push_back(static_cast<int>(i));
}

JapaneseTables parseJapaneseTables(std::string_view themeData, std::string_view addresseeData) {
    JapaneseTables tables;
    const std::u16string themes = fromUtf8(themeData);
    for (auto line : lines(themes)) {
        if (line.empty() || line.front() == u'#')
            continue;
        const auto fields = split(line, u'\t');
        if (fields.size() == 3 && fields[0] == u"T" && !fields[1].empty()) {
            tables.templates.push_back({std::u16string(fields[1]), std::u16string(fields[2])});
        } else if (fields.size() == 4 && fields[0] == u"W" && !fields[2].empty()) {
            WordList list{std::u16string(fields[1]), std::u16string(fields[2]), {}};
            if (!fields[3].empty())
                for (auto word : split(fields[3], u','))
                    list.words.emplace_back(word);
            tables.wordLists.push_back(std::move(list));
        }
    }
    const std::u16string names = fromUtf8(addresseeData);
    for (auto line : lines(names)) {
        if (line.empty() || line.front() == u'#')
            continue;
        tables.addressees.emplace_back(line);
    }
    tables.index();
    return tables;
}

const JapaneseTables& builtInJapaneseTables() {
    static const JapaneseTables tables =
        parseJapaneseTables(kJapaneseThemeData, kJapaneseAddresseeData);
    return tables;
}

std::u16string japaneseAddress(const JapaneseTables& tables, int row) {
    const auto r = static_cast<std::size_t>(row);
    if (r >= kPrefectures.size())
        return {};
    std::u16string address;
    address.append(kPrefectures[r].prefecture).append(u"」");
    address.append(kPrefectures[r].city).append(u"」");
    if (r < tables.addressees.size() && !tables.addressees[r].empty())
        address.append(tables.addressees[r]).append(u"」");
    return address;
}

}  // namespace quorvel
