// Local calendar date and time, as written in the logs; read from the system clock only here.
#pragma once

namespace quorvel {

struct LocalDateTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool operator==(const LocalDateTime&) const = default;
};

// The system's local time now.
LocalDateTime currentLocalTime();

}  // namespace quorvel
