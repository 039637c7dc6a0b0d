#include "tools/import/JetDate.h"

#include <chrono>
#include <cmath>
#include <cstring>

namespace zelnoaimport {

bool jetDateText(double value, char (&text)[20]) {
    // Keeps the day count far from overflow; the year test below draws the real line.
    if (!std::isfinite(value) || std::fabs(value) > 1e7)
        return false;
    double whole = 0.0;
    const double fraction = std::modf(value, &whole);
    long long dayCount = static_cast<long long>(whole);
    long long seconds = std::llround(std::fabs(fraction) * 86400.0);
    if (seconds == 86400) {
        seconds = 0;
        ++dayCount;
    }
    using namespace std::chrono;
    const year_month_day date{sys_days{year{1899} / December / 30} + days{dayCount}};
    const int y = static_cast<int>(date.year());
    if (y < 100 || y > 9999)
        return false;
    const unsigned fields[] = {static_cast<unsigned>(y),
                               static_cast<unsigned>(date.month()),
                               static_cast<unsigned>(date.day()),
                               static_cast<unsigned>(seconds / 3600),
                               static_cast<unsigned>(seconds / 60 % 60),
                               static_cast<unsigned>(seconds % 60)};
    // "YYYY-MM-DD HH:MM:SS": each field written right to left into its fixed place.
    const int ends[] = {4, 7, 10, 13, 16, 19};
    std::memcpy(text, "0000-00-00 00:00:00", sizeof text);
    for (int f = 0; f < 6; ++f) {
        unsigned value = fields[f];
        for (int i = ends[f] - 1; value > 0; --i, value /= 10)
            text[i] = static_cast<char>('0' + value % 10);
    }
    return true;
}

} // namespace zelnoaimport
