// Line ends and bytes that are not text, found in the raw bytes of a log at memory speed.
#pragma once

#include <QtGlobal>

namespace parlo {

// A line ends at LF, at CR LF or at a lone CR, the way TextDecoder reads it.
// Returns the position of the first line-end byte at or after `from` and sets *next to the
// start of the line after it. Returns -1 when no line end is certain before `size`; *next is
// then where a scan goes on once more bytes are known: `size`, or the position of a CR that
// ends the bytes and may be the first half of CR LF. With `final` the bytes end there for good
// and a CR at their end is a line end.
qsizetype FindLineEnd(const char* data, qsizetype size, qsizetype from, qsizetype* next,
                      bool final);

// How many bytes TextDecoder shows as U+FFFD: control bytes other than tab, LF, CR and form
// feed, and DEL.
qint64 CountNonTextBytes(const char* data, qsizetype size);

} // namespace parlo
