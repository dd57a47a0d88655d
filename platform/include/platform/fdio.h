// Writing to file descriptors: every byte or an error, through short writes and signals.
#pragma once

#include <cstddef>

namespace platform {

// Writes all `size` bytes of `data` to `fd`, retrying short writes and writes interrupted by a
// signal. 0, or the errno value of the write that failed (some bytes may be written then).
int WriteAll(int fd, const void* data, std::size_t size);

} // namespace platform
