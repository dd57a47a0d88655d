// Message boxes and questions, as the harness logic asks for them. The windows put up a real
// box; unattended operation (HALVEX_UNATTENDED=1) prints the text and takes the default answer.
#pragma once

#include <iosfwd>
#include <string>

namespace harness {

enum class BoxIcon { Information, Warning, Error, Question };
enum class BoxButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class BoxAnswer { Ok, Yes, No, Cancel };

struct BoxRequest
{
  std::string text;
  BoxIcon icon = BoxIcon::Information;
  BoxButtons buttons = BoxButtons::Ok;
  BoxAnswer defaultAnswer = BoxAnswer::Ok; // Yes, No (or Cancel) for a question; Ok or Cancel
  bool beep = false;
};

// May be called from any thread; implementations that show windows move the box to the
// user-interface thread and block the caller until it is answered.
class UserPrompts
{
public:
  virtual ~UserPrompts() = default;
  virtual BoxAnswer Ask(const BoxRequest& request) = 0;

  BoxAnswer Show(const std::string& text, BoxIcon icon = BoxIcon::Information);
  // A yes/no question; `defaultYes` is the answer an unattended run takes.
  bool AskYesNo(const std::string& text, bool defaultYes, BoxIcon icon = BoxIcon::Question);
};

// Writes "halvex: <kind>: <text>" to a stream and answers with the default at once.
class UnattendedPrompts : public UserPrompts
{
public:
  explicit UnattendedPrompts(std::ostream& out);
  BoxAnswer Ask(const BoxRequest& request) override;

private:
  std::ostream& m_out;
};

// True when HALVEX_UNATTENDED is set to 1.
bool IsUnattended();

} // namespace harness
