// The suite window: the list of a suite's test cases over its document, its commands, and the
// surface a run draws on. It shows and forwards; the document (harness/halvexdoc.h) holds the
// suite's rules and the run engine (harness/runengine.h) the run's.
#pragma once

#include "harness/halvexdoc.h"
#include "harness/runengine.h"
#include "harness/runsurface.h"

#include <QEvent>
#include <QIcon>
#include <QList>
#include <QTreeWidget>

#include <memory>

class QPrinter;

namespace harness {

class CHalvexApp;
class CSuitePrinter;

class CHalvexView : public QTreeWidget, public RunSurface
{
  Q_OBJECT

public:
  // Column widths of the list, in pixels: label, iterations, base name, component.
  static constexpr int kColumnWidths[4] = {225, 85, 200, 200};
  // Private messages: the run's end brings the window forward; a run of every item.
  static constexpr QEvent::Type kBringToFrontEvent = static_cast<QEvent::Type>(QEvent::User + 1);
  static constexpr QEvent::Type kRunAllEvent = static_cast<QEvent::Type>(QEvent::User + 2);

  // Registers itself as the application's suite window for run mode and resumes.
  explicit CHalvexView(CHalvexApp& app, QWidget* parent = nullptr);
  ~CHalvexView() override;

  // A new, empty suite.
  void NewSuite();
  // Reads the file; false (after the box and the log line) when it cannot be read.
  bool OpenFile(const QString& path);
  bool Save();
  bool SaveAs();
  harness::CHalvexDoc& Document() { return m_doc; }
  CRunEngine& Engine() { return *m_pEngine; }

  // Rebuilds the rows from the suite, in suite order, every icon "not run"; each row's data is
  // its suite position. Outside a run the status panel starts again.
  void Refresh();
  // The state icon of a row (StateIcon); false for a row or image that does not exist.
  bool SetItemIcon(int row, int image);
  int ItemIcon(int row) const;
  const QList<QIcon>& StateIcons() const { return m_stateIcons; }

  // Commands.
  void OnDeleteSelected();
  void OnDeleteAll();
  void OnRunAll();
  void OnRunSelected();
  // Also the double click on an item, without the command's conditions.
  void OnConfigureTestCase();
  void OnSetIterations();
  // The suite properties of this existing suite; true when OK changed them.
  bool OnSuiteProperties();
  void OnFilePrint();
  void OnFilePrintDirect();
  void OnFilePrintPreview();
  // The list as it prints.
  std::unique_ptr<CSuitePrinter> MakePrinter() const;
  int SelectedCount() const { return static_cast<int>(selectedItems().size()); }

  // RunSurface: what a run draws on, user-interface thread only.
  CRunItemList TakeItems() override;
  CTestSuite& Suite() override { return m_doc.m_suite; }
  std::string DocumentPath() override { return m_doc.GetPathName(); }
  void SetDocState(int state) override { m_doc.m_nDocState = state; }
  void SetItemIcon(int row, StateIcon icon) override;
  void EnsureItemVisible(int row) override;
  void DeselectAll() override { clearSelection(); }
  void EnableWindow(bool enable) override { setEnabled(enable); }
  void PostBringToFront() override;

protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

private:
  std::vector<std::size_t> SelectedPositions() const;
  void OnItemChanged(QTreeWidgetItem* item, int column);
  void UpdateTitle();
  // After a change of the suite: the title, the commands, and whether it holds DOS test cases.
  void SuiteChanged();
  std::string SeveralComponentsText() const;

  CHalvexApp& m_app;
  harness::CHalvexDoc m_doc;
  std::unique_ptr<CRunEngine> m_pEngine;
  bool m_bRefreshing = false;
  // The image list, in StateIcon order.
  QList<QIcon> m_stateIcons;
};

} // namespace harness
