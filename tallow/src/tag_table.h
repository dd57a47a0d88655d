// The tags that begin the lines of a test program's log, in their fixed order.
#pragma once

#include <algorithm>
#include <array>
#include <string_view>

namespace tallow {

enum TagIndex : int {
  kUnknownTag = -1,
  kTestStart = 0, // "[Test>]"
  kTestEnd,       // "[<Test]"
  kCaseStart,     // "[Case>]": begins a variation
  kCaseEnd,       // "[<Case]": ends it
  kInformation,   // "[     ]"
  kPass,          // "[ Pass]"
  kFail,          // "[ Fail]"
  kWarn,          // "[ Warn]"
  kHead,          // "[Head ]"
  kFoot,          // "[Foot ]"
};

inline constexpr std::array<std::string_view, 10> kTagTable = {
    "[Test>]", "[<Test]", "[Case>]", "[<Case]", "[     ]",
    "[ Pass]", "[ Fail]", "[ Warn]", "[Head ]", "[Foot ]",
};

static_assert(std::all_of(kTagTable.begin(), kTagTable.end(),
                          [](std::string_view tag) { return tag.size() == 7; }));

// Exact comparison (case and blanks matter); kUnknownTag for any other text.
TagIndex FindTag(std::string_view tag);

} // namespace tallow
