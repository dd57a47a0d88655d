// Calls handed to the user-interface thread through its message queue.
#include "harness/uicalls.h"

namespace harness {

namespace {

const platform::UINT g_uUiCallMessage = platform::RegisterWindowMessage(kUiCallMessageName);

// What the handler answers, so a dropped call (0) is told apart from a made one.
constexpr platform::LRESULT kCallMade = 1;

} // namespace

CUiCalls::CUiCalls()
{
  m_hWnd = platform::CreateWindow(
      "HALVEX Run Calls", [](platform::UINT msg, platform::WPARAM, platform::LPARAM lParam) {
        if (msg != g_uUiCallMessage)
          return platform::LRESULT{0};
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return kCallMade;
      });
}

CUiCalls::~CUiCalls()
{
  Close();
}

bool CUiCalls::Call(const std::function<void()>& call) const
{
  // The sender waits, so the function may live on its stack.
  return platform::SendMessage(m_hWnd, g_uUiCallMessage, 0,
                               reinterpret_cast<platform::LPARAM>(&call)) == kCallMade;
}

void CUiCalls::Close()
{
  if (platform::HWND window = m_hWnd.exchange(nullptr))
    platform::DestroyWindow(window);
}

} // namespace harness
