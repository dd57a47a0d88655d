// The small dialog of tlPromptLog: which kinds of entries the log writes.
#pragma once

#include <QDialog>

#include <cstdint>
#include <vector>

class QCheckBox;

namespace ntlog {

class LogOptionsDialog : public QDialog
{
public:
  LogOptionsDialog(std::uint32_t levelMask, QWidget* parent);
  // The mask the boxes stand for; bits that have no box keep their value.
  std::uint32_t LevelMask() const;

private:
  std::uint32_t m_initialMask;
  std::vector<std::pair<QCheckBox*, std::uint32_t>> m_boxes;
};

// Shows the dialog when it can (see tlPromptLog); the new mask, or nothing.
bool PromptForLevelMask(void* parentWindow, std::uint32_t& levelMask);

} // namespace ntlog
