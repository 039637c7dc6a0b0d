#pragma once
// Access date/time values as the ISO text the working copy stores.

namespace zelnoaimport {

// Access keeps a date/time as a real number of days since 1899-12-30 whose fraction is the time
// of day, counted forward from midnight even before 1899-12-30 (-1.25 is 1899-12-29 06:00:00).
// Writes "YYYY-MM-DD HH:MM:SS" (rounded to the second) and a closing NUL into text. False for a
// value outside the range Access accepts (years 100 to 9999), which only a damaged file holds.
bool jetDateText(double value, char (&text)[20]);

} // namespace zelnoaimport
