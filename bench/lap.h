// Seconds since the previous lap (the first lap: since the first call), by
// the performance counter: the benchmark's programs time their phases so.
#pragma once
#include <windows.h>

namespace bench {

inline double Lap() {
  static LARGE_INTEGER last = [] {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
  }();
  LARGE_INTEGER now;
  LARGE_INTEGER frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  const double seconds = static_cast<double>(now.QuadPart - last.QuadPart) / static_cast<double>(frequency.QuadPart);
  last = now;
  return seconds;
}

}  // namespace bench
