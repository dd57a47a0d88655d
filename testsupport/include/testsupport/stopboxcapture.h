// Collects the texts of the component plug-ins' stop boxes while it lives (tests that link the
// component skeleton).
#pragma once

#include "skeleton/stopbox.h"

#include <string>
#include <vector>

namespace testsupport {

class StopBoxCapture
{
public:
  StopBoxCapture()
  {
    Texts().clear();
    components::SetStopBoxHandler(&Keep);
  }
  ~StopBoxCapture() { components::SetStopBoxHandler(nullptr); }
  StopBoxCapture(const StopBoxCapture&) = delete;
  StopBoxCapture& operator=(const StopBoxCapture&) = delete;

  const std::vector<std::string>& Boxes() const { return Texts(); }
  void Clear() { Texts().clear(); }

private:
  static std::vector<std::string>& Texts()
  {
    static std::vector<std::string> texts;
    return texts;
  }
  static void Keep(const std::string& text) { Texts().push_back(text); }
};

} // namespace testsupport
