// The start-up files of the system drive as bytes, and whether AUTOEXEC.BAT still holds start
// lines that DOS never ran.
#pragma once

#include <string>

// True when the file at autoexecPath is the file at backupPath followed by lines that call the
// batch list: a preparation was cut short, or its restart never happened. Marlow looks before
// it backs AUTOEXEC.BAT up again, the harness when no DOS pass can have run those lines.
bool HoldsUnrunDosStartLines(const std::string& autoexecPath, const std::string& backupPath);

// The whole file; false when it cannot be read.
bool ReadStartFileBytes(const std::string& path, std::string& bytes);
