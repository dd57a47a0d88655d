// For tests of the host library and the harness: a prompt that records every box and answers
// like an unattended run, and the harness's string table read from the source tree.
#pragma once

#include "harness/logwriter.h"
#include "harness/prompts.h"
#include "harness/settings.h"
#include "harness/stringtable.h"
#include "testsupport/tempfolder.h"

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

using harness::BoxAnswer;
using harness::BoxButtons;
using harness::BoxRequest;
using harness::StringTable;

// Records every box and answers like an unattended run.
class RecordingPrompts : public harness::UserPrompts
{
public:
  BoxAnswer Ask(const BoxRequest& request) override
  {
    requests.push_back(request);
    if (request.buttons == BoxButtons::Ok)
      return BoxAnswer::Ok;
    if (request.buttons == BoxButtons::OkCancel)
      return request.defaultAnswer == BoxAnswer::Cancel ? BoxAnswer::Cancel : BoxAnswer::Ok;
    if (request.defaultAnswer == BoxAnswer::Cancel && request.buttons == BoxButtons::YesNoCancel)
      return BoxAnswer::Cancel;
    return request.defaultAnswer == BoxAnswer::No ? BoxAnswer::No : BoxAnswer::Yes;
  }
  std::vector<BoxRequest> requests;
};

// Answers every box of one kind of buttons with `answer`, every other box as an unattended run.
class AnsweringPrompts : public RecordingPrompts
{
public:
  AnsweringPrompts(BoxButtons buttons, BoxAnswer answer) : m_buttons(buttons), m_answer(answer) {}
  BoxAnswer Ask(const BoxRequest& request) override
  {
    const BoxAnswer unattended = RecordingPrompts::Ask(request);
    return request.buttons == m_buttons ? m_answer : unattended;
  }

private:
  BoxButtons m_buttons;
  BoxAnswer m_answer;
};

// A log or results window's text as a plain string.
class StringWindow : public harness::LogWindowText
{
public:
  std::size_t TextLength() const override { return text.size(); }
  void RemoveHead(std::size_t count) override { text.erase(0, count); }
  void AppendText(const std::string& added) override { text += added; }
  void ClearText() override { text.clear(); }
  std::string text;
};

// The harness's own string table, read from the source tree.
inline StringTable HarnessStrings()
{
  StringTable table;
  std::string error;
  const char* source = std::getenv("HALVEX_SOURCE_DIR");
  std::string path = std::string(source ? source : ".") + "/harness/resources/halvex/strings.txt";
  table.Parse(ReadAll(path), error);
  return table;
}

} // namespace testsupport
