// The box Marlow shows when a file of a DOS run cannot be written: its cause, the file and the
// error number.
#pragma once

#include <string>

namespace marlow {

// The string-table entry (kIdsFileErrorFirstCause to kIdsFileErrorLastCause) that names the
// cause of a file error number of platform/files.h.
int FileErrorCauseId(int error);

// ": Filename: ..., Error code ..." led by the cause's text.
std::string FileErrorBoxText(const std::string& file, int error);

// Shows the text in a plain box; the caller waits until it is closed. Any thread.
void ShowFileErrorBox(const std::string& file, int error);

} // namespace marlow
