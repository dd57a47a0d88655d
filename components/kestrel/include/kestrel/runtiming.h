// How long a basic functionality run captures: 180 seconds in all, with the startup check of
// the filter's results after the first 10.
//
// HALVEX_KESTREL_RUN_SECONDS=N shortens the run to N seconds (for tests; 31 to 180, values
// outside are taken as the nearest limit). The startup check then comes after 10*N/180
// seconds (at least one), so the filter still judges its startup within its first 30 seconds
// of capture and the whole run only after them, as in a full run.
#pragma once

namespace kestrel {

inline constexpr const char* kRunSecondsVariable = "HALVEX_KESTREL_RUN_SECONDS";

struct RunTiming
{
  int startupCheckMs = 10000;
  int restOfRunMs = 170000;

  // The full run, or the one the switch asks for; a value that is not a number is ignored.
  static RunTiming FromEnvironment();
  // A run of `seconds` seconds, taken into 31 to 180.
  static RunTiming OfSeconds(long seconds);
};

} // namespace kestrel
