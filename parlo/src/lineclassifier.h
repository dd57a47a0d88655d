// Sorts lines of the harness's log and results files into failures, warnings and the rest.
#pragma once

#include <QStringView>

namespace parlo {

enum class LineKind { Normal, Warning, Failure };

// Looks for the failure and warning texts that the harness, its components and the
// log translator write (case-sensitive, anywhere in the line); a failure text wins.
LineKind ClassifyLine(QStringView line);

} // namespace parlo
