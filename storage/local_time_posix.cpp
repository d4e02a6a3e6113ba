#include <time.h>

#include "storage/local_time.h"

namespace quorvel {

LocalDateTime currentLocalTime() {
    const time_t t = time(nullptr);
    struct tm tm {};
    if (localtime_r(&t, &tm) == nullptr)
        return {};
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace quorvel
