#include "storage/data_dir_lock.h"

#include <array>
#include <system_error>

#include "storage/output_file.h"
#include "storage/paths.h"

namespace quorvel {

void removeStaleTemporaries(const std::filesystem::path& dir) {
    static constexpr std::array kOwn = {kSettingsFileName, kCharLogFileName};
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::filesystem::path& p = it->path();
        if (!isReplacementTemporary(p))
            continue;
        const std::string name = p.filename().string();
        for (const char* own : kOwn) {
            if (name.starts_with(std::string(own) + ".")) {
                std::error_code ignored;
                if (it->is_regular_file(ignored))
                    std::filesystem::remove(p, ignored);
                break;
            }
        }
    }
}

}  // namespace quorvel
