// A read-only multi-line text window with a character limit, counting a line break as two
// characters (CR LF) the way the log and results texts are measured.
#pragma once

#include "harness/logwriter.h"

#include <QPlainTextEdit>

class QAction;

namespace harness {

class CLimitedEdit : public QPlainTextEdit, public LogWindowText
{
  Q_OBJECT

public:
  CLimitedEdit(int childId, std::size_t limit, QWidget* parent = nullptr);

  int ChildId() const { return m_nChildId; }
  std::size_t Limit() const { return m_nLimit; }

  // The context menu gets a separator and this action at its end.
  void AddContextAction(QAction* action) { m_pContextAction = action; }

  // LogWindowText. User-interface thread only.
  std::size_t TextLength() const override;
  void RemoveHead(std::size_t count) override;
  // Text beyond the limit is left out, as the edit control refuses it.
  void AppendText(const std::string& text) override;
  void ClearText() override;

protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

private:
  int m_nChildId;
  std::size_t m_nLimit;
  QAction* m_pContextAction = nullptr;
};

} // namespace harness
