#include "practice/telegram.h"

#include <stdexcept>

namespace quorvel {

const std::u16string& TelegramRecord::field(int section) const {
    return const_cast<TelegramRecord*>(this)->field(section);
}

std::u16string& TelegramRecord::field(int section) {
    switch (section) {
        case Preamble:
            return preamble;
        case Office:
            return office;
        case Serial:
            return serial;
        case FilingTime:
            return filingTime;
        case Address:
            return address;
        case Text:
            return text;
        default:
            throw std::out_of_range("telegram field");
    }
}

const char* sectionName(int section) {
    static constexpr const char* kNames[kSectionCount] = {"preamble",   "office",  "serial",
                                                          "filingTime", "address", "text"};
    return section >= 0 && section < kSectionCount ? kNames[section] : "";
}

const TelegramList& builtInSamples(bool latinMode) {
    // The addressees are fictional.
    static const TelegramList japanese = {
        {u"一五八", u"センダイデンポウ", u"三九", u"セ一〇、三〇",
         u"ミヤギケン」センダイシ」アオバハルコ」",
         u"フユノヨルニマドカラミエルホシゾラハ」スンダヒカリヲハナチナガラシズカニカガヤイテイタ」"
         u"ナガイジカンヲヘテトドクヒカリハ」キボウトツヨサノシルシノヨウデアリ」"
         u"ミライヘノユウキヲアタエテクレル」"},
        {u"一五二", u"トウキョウツウシン", u"四一", u"コ一二、一八",
         u"トウキョウト」シナガワク」ミナトサクライチロウ」",
         u"アメアガリノマチニハサワヤカナカゼガフキ」ナミキノミドリハヒカリヲウケテカガヤイテイタ」"
         u"イソガシサノナカデモ」フトアシヲトメテキセツノウツロイヲカンジルト」"
         u"ココロニアタラシイチカラガワキアガッテクル」アスモエガオデスゴシタイ」"},
    };
    static const TelegramList latin = {
        {u"18 IZUMIMARU 31 26 6 26 S", u"", u"", u"", u"HELENA VOSKUIJLEN MARINE CENTER ROTTERDAM",
         u"THANK YOU FOR YOUR ASSISTANCE DURING THE LAST PORT VISIT WE LOOK FORWARD TO FUTURE "
         u"COOPERATION"},
        {u"49 NAGASAKIRADIO 19 16 6 34 M", u"", u"", u"", u"ARIF WIRANATA PORT AUTHORITY JAKARTA",
         u"LOADING OPERATIONS WERE COMPLETED SUCCESSFULLY NO DAMAGE HAS BEEN REPORTED DURING "
         u"INSPECTION"},
    };
    return latinMode ? latin : japanese;
}

}  // namespace quorvel
