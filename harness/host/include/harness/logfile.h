// The log file: one line appended per call, the file opened and closed each time.
#pragma once

#include <string>

namespace harness {

// Appends `line` and CR LF, creating the file when missing. Returns 0 or the errno value.
int AppendLineToFile(const std::string& path, const std::string& line);

// Deletes a file. Returns 0 or the errno value.
int DeleteFileAt(const std::string& path);
// The same, and a file that is not there counts as deleted.
int DeleteFileIfPresent(const std::string& path);

bool FileExists(const std::string& path);

// `folder` + "/" + `name`; just `name` when the folder is empty.
std::string JoinPath(const std::string& folder, const std::string& name);

} // namespace harness
