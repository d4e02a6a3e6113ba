// quorvel-cli encode: the practice form of a text and the code of each character.
#include <cstdio>

#include "cli/cli.h"
#include "morse/code_tables.h"
#include "storage/utf.h"

namespace quorvel::cli {
namespace {

int runEncode(const Args& args) {
    bool latin = false;
    std::string text;
    bool haveText = false;
    ArgReader r(args);
    while (!r.done()) {
        std::string a = r.next();
        if (a == "--latin") {
            latin = true;
        } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
            return usageError("encode", "unknown option " + a);
        } else if (!haveText) {
            text = a;
            haveText = true;
        } else {
            return usageError("encode", "more than one text");
        }
    }
    if (!haveText)
        return usageError("encode", "missing TEXT");

    const std::u16string form = toPracticeForm(fromUtf8(text), latin);
    std::printf("%s\n", toUtf8(form).c_str());
    for (char16_t c : form) {
        auto code = codeFor(c, latin);
        std::printf("%s\t%s\t%d\n", toUtf8(std::u16string(1, c)).c_str(),
                    code ? code->c_str() : "-", characterWeight(c));
    }
    return 0;
}

const bool registered = registerCommand({"encode", "[--latin] TEXT", runEncode});

}  // namespace
}  // namespace quorvel::cli
