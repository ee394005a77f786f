// Days since 1970-01-01 to a proleptic Gregorian date: plain arithmetic
// shared by the date operations and the Linux clock calls.
#pragma once

#include <cstdint>

namespace platform {

// 1970-01-01 as an OLE date: days from 1899-12-30, the origin the date
// operations and the clock calls count from.
inline constexpr int64_t kUnixEpochOleDay = 25569;

// Counted in 400-year eras that start on March 1st, so that the leap day
// falls at the end of each year of the era.
inline void CivilFromDays(int64_t z, int64_t* y, int64_t* m, int64_t* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = yoe + era * 400 + (*m <= 2);
}

}  // namespace platform
