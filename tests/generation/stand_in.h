// Small generator tables for the generator tests, independent of the shipped data.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "generation/japanese_tables.h"
#include "tests/support/temp_dir.h"

namespace quorvel::test {

// Every template of a theme holds its marker (ヌ, ホ or ム); no word and no connective does.
inline constexpr std::string_view kStandInThemes =
    "# stand-in themes\n"
    "T\t四季・自然\t[四季自然カテゴリ001季節語]ノヌマニ[四季自然カテゴリ002時間帯]カラ"
    "[四季自然カテゴリ003場所語]ヘ」\n"
    "T\t四季・自然\tヌノ[四季自然カテゴリ003場所語]デ[四季自然カテゴリ001季節語]ヲ"
    "[四季自然カテゴリ002時間帯]ニマツ」\n"
    "T\t家庭生活\t[家庭生活カテゴリ001季節語]ノホシ[家庭生活カテゴリ002時間帯]ニ"
    "[家庭生活カテゴリ003場所語]デ」\n"
    "T\t災害・防災\t[災害防災カテゴリ001季節語]ノムラ[災害防災カテゴリ002時間帯]ニ"
    "[災害防災カテゴリ003場所語]ヘ」\n"
    "W\t四季・自然\t四季自然カテゴリ001季節語\tハル,ナツ,アキ,フユ\n"
    "W\t四季・自然\t四季自然カテゴリ002時間帯\tアサ,ヒル,ヨル\n"
    "W\t四季・自然\t四季自然カテゴリ003場所語\tヤマ,カワ,ウミ\n"
    "W\t四季・自然\t四季自然カテゴリ004人物語\t\n"
    "W\t家庭生活\t家庭生活カテゴリ001季節語\tハル,ナツ\n"
    "W\t家庭生活\t家庭生活カテゴリ002時間帯\tユウガタ,ヨナカ\n"
    "W\t家庭生活\t家庭生活カテゴリ003場所語\tイエ,ニワ\n"
    "W\t災害・防災\t災害防災カテゴリ001季節語\tツユ,タイフウ\n"
    "W\t災害・防災\t災害防災カテゴリ002時間帯\tヨアケ,ユウベ\n"
    "W\t災害・防災\t災害防災カテゴリ003場所語\tヒナンジョ,ガッコウ\n";

inline std::string standInAddressees() {
    std::string names;
    for (int i = 0; i < kAddressRows; ++i)
        names += "ヤマダ タロウ\n";
    return names;
}

inline const JapaneseTables& standInTables() {
    static const JapaneseTables tables = parseJapaneseTables(kStandInThemes, standInAddressees());
    return tables;
}

}  // namespace quorvel::test
