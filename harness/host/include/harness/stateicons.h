// The state icons of the suite list: their order in the image list, the icon resource behind
// each, and which one a finished test case shows.
#pragma once

#include <cstdint>

namespace harness {

enum StateIcon : int {
  kIconNotRun = 0,
  kIconRunning = 1,
  kIconSpare = 2, // loaded with the others; no state of a run uses it
  kIconFailed = 3,
  kIconPassed = 4,
};
inline constexpr int kStateIconCount = 5;
inline constexpr int kStateIconSize = 16;

// The icon resource numbers, in image-list order.
inline constexpr int kStateIconResources[kStateIconCount] = {120, 124, 128, 125, 121};

// Test-case status codes the list tells apart.
inline constexpr std::uint32_t kStatusFailed = 5;
inline constexpr std::uint32_t kStatusPassed = 6;

// A finished test case: passed only with status 6; every other status counts as failed.
StateIcon StateIconAfterRun(std::uint32_t status);

} // namespace harness
