// Shared prompt helpers and the unattended answerer.
#include "harness/prompts.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <ostream>

namespace harness {

BoxAnswer UserPrompts::Show(const std::string& text, BoxIcon icon)
{
  return Ask({text, icon, BoxButtons::Ok, BoxAnswer::Ok, false});
}

bool UserPrompts::AskYesNo(const std::string& text, bool defaultYes, BoxIcon icon)
{
  return Ask({text, icon, BoxButtons::YesNo, defaultYes ? BoxAnswer::Yes : BoxAnswer::No, false}) ==
         BoxAnswer::Yes;
}

UnattendedPrompts::UnattendedPrompts(std::ostream& out) : m_out(out) {}

BoxAnswer UnattendedPrompts::Ask(const BoxRequest& request)
{
  static std::mutex lock; // boxes may come from several threads at once
  const char* kind = "information";
  switch (request.icon) {
  case BoxIcon::Warning:
    kind = "warning";
    break;
  case BoxIcon::Error:
    kind = "error";
    break;
  case BoxIcon::Question:
    kind = "question";
    break;
  case BoxIcon::Information:
    break;
  }
  BoxAnswer answer = request.buttons == BoxButtons::Ok ? BoxAnswer::Ok : request.defaultAnswer;
  if (request.buttons == BoxButtons::OkCancel && answer != BoxAnswer::Cancel)
    answer = BoxAnswer::Ok;
  else if (request.buttons != BoxButtons::Ok && request.buttons != BoxButtons::OkCancel &&
           answer == BoxAnswer::Ok)
    answer = BoxAnswer::Yes;
  if (request.buttons == BoxButtons::YesNo && answer == BoxAnswer::Cancel)
    answer = BoxAnswer::No;
  std::lock_guard guard(lock);
  m_out << "halvex: " << kind << ": " << request.text;
  if (request.buttons != BoxButtons::Ok)
    m_out << " ["
          << (answer == BoxAnswer::Yes  ? "yes"
              : answer == BoxAnswer::No ? "no"
              : answer == BoxAnswer::Ok ? "ok"
                                        : "cancel")
          << "]";
  m_out << std::endl;
  return answer;
}

bool IsUnattended()
{
  const char* value = std::getenv("HALVEX_UNATTENDED");
  return value != nullptr && std::strcmp(value, "1") == 0;
}

} // namespace harness
