// quorvel-cli encode: the practice form of a text and the code of each character.
#include <cstdio>

#include "cli/cli.h"
#include "morse/code_tables.h"
#include "storage/utf.h"

namespace quorvel::cli {
namespace {

constexpr const char* kName = "encode";

struct EncodeOptions {
    bool latin = false;
    std::string text;
};

int runEncode(const EncodeOptions& o) {
    const std::u16string form = toPracticeForm(fromUtf8(o.text), o.latin);
    std::printf("%s\n", toUtf8(form).c_str());
    bool latinWouldHelp = false;
    for (char16_t c : form) {
        const std::string shown = toUtf8(std::u16string(1, c));
        auto code = codeFor(c, o.latin);
        std::printf("%s\t%s\t%d\n", shown.c_str(), code ? code->c_str() : "-", characterWeight(c));
        if (code || c == u' ')  // a blank is a gap, not a character
            continue;
        std::fprintf(stderr, "quorvel-cli %s: '%s' has no code in the %s table\n", kName,
                     shown.c_str(), o.latin ? "Latin" : "Japanese");
        if (!o.latin) {
            const std::u16string asLatin = toPracticeForm(std::u16string(1, c), true);
            latinWouldHelp = latinWouldHelp || (!asLatin.empty() && codeFor(asLatin[0], true));
        }
    }
    if (latinWouldHelp)
        std::fprintf(stderr, "quorvel-cli %s: the text is in Latin letters: add --latin\n", kName);
    return 0;
}

Runner defineEncode(CLI::App& app) {
    auto o = std::make_shared<EncodeOptions>();
    app.add_flag("--latin", o->latin,
                 "Use the Latin (international) table; default the Japanese "
                 "kana (wabun) table");
    app.add_option("TEXT", o->text, "Text to encode (UTF-8)")->required();
    app.footer(
        "Prints the practice form of the text (as a telegram shows it), then one line per "
        "character: the character, its code in dots and dashes (\"-\" alone when the "
        "table has none, with a warning on stderr) and its weight in points when "
        "scored.\nExample: quorvel-cli encode --latin CQ");
    return [o] { return runEncode(*o); };
}

const bool registered = registerCommand(
    {kName, "Show the practice form of a text and the code of each character", defineEncode});

}  // namespace
}  // namespace quorvel::cli
