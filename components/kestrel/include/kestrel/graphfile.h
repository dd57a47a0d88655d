// Graph files of the video input test: their names, where they are looked up, and the pipeline
// description they hold (one gst-launch-1.0 description; lines beginning with '#' are comments).
#pragma once

#include <string>

namespace kestrel {

// "vb <vendor> <fourcc> <width> <standard>.GRF".
std::string GraphFileName(const std::string& vendor, const std::string& fourcc, int width,
                          const std::string& standard);

// The installation's graphs folder, found from this module's own place
// (<prefix>/lib/halvex/plugins -> <prefix>/share/halvex/graphs).
std::string InstalledGraphsFolder();

// The path to load: `name` in the current folder when it is there, else in graphsFolder when
// it is there; "" when neither holds it.
std::string FindGraphFile(const std::string& name, const std::string& graphsFolder);

// The description the file holds, comment lines left out. False with a reason when the file
// cannot be read, is larger than a graph file can be, or describes nothing.
bool ReadGraphDescription(const std::string& path, std::string* description, std::string* error);

} // namespace kestrel
