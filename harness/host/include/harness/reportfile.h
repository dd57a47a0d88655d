// What the two machine-readable reports share: the moment texts, and an earlier report that
// cannot be read put aside instead of overwritten.
#pragma once

#include "harness/runbookkeeping.h"

#include <QString>

namespace harness {

// Local date and time, ISO 8601; with the offset from UTC when asked.
QString IsoMoment(RunClock::time_point moment, bool withOffset);
// Seconds between two moments, to the millisecond.
double SecondsBetween(RunClock::time_point start, RunClock::time_point end);
// Renames the file to "<file>.bak" (replacing an older one); the new name, or "" on failure.
QString PutAside(const QString& path);

} // namespace harness
