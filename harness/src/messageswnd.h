// The bottom bar: a tab window with the results text (tab 0) and the log text (tab 1).
#pragma once

#include "harness/stringtable.h"

#include <QDockWidget>

class QTabWidget;
class QAction;

namespace harness {

class CLimitedEdit;

inline constexpr std::size_t kOutputTextLimit = 30000;
inline constexpr int kResultsChildId = 100;
inline constexpr int kLogChildId = 101;

class CMessagesWnd : public QDockWidget
{
  Q_OBJECT

public:
  CMessagesWnd(const StringTable& strings, QWidget* parent = nullptr);

  CLimitedEdit* ResultsEdit() const { return m_pResults; }
  CLimitedEdit* LogEdit() const { return m_pLog; }
  QTabWidget* Tabs() const { return m_pTabs; }
  QAction* ClearAction() const { return m_pClear; }

  // Empties the edit control of the active tab (context menu command 32714).
  void ClearActiveTab();

private:
  QTabWidget* m_pTabs;
  CLimitedEdit* m_pResults;
  CLimitedEdit* m_pLog;
  QAction* m_pClear;
};

} // namespace harness
