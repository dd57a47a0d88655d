// Live logs by handle, so a null, unknown or destroyed handle is refused instead of followed.
#pragma once

#include "ntlog/ntlog.h"
#include "test_log.h"

#include <memory>

namespace ntlog {

HLOG RegisterLog(std::unique_ptr<TestLog> log);
// Null for a handle that is not a live log. The log stays valid while the caller holds it,
// even if another thread destroys the handle meanwhile.
std::shared_ptr<TestLog> FindLog(HLOG handle);
// Removes the handle; null when it was not live.
std::shared_ptr<TestLog> UnregisterLog(HLOG handle);

} // namespace ntlog
