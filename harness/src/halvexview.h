// The suite window: the list of a suite's test cases over its document. It shows and forwards;
// the document (suitedoc/halvexdoc.h) holds the rules.
#pragma once

#include "harness/halvexdoc.h"

#include <QIcon>
#include <QList>
#include <QTreeWidget>

class QDragEnterEvent;
class QDragLeaveEvent;
class QDragMoveEvent;
class QDropEvent;

namespace harness {

class CHalvexApp;
class CSuiteDropTarget;

class CHalvexView : public QTreeWidget
{
  Q_OBJECT

public:
  // Column widths of the list, in pixels: label, iterations, base name, component.
  static constexpr int kColumnWidths[4] = {225, 85, 200, 200};

  explicit CHalvexView(CHalvexApp& app, QWidget* parent = nullptr);

  // A new, empty suite.
  void NewSuite();
  // Reads the file; false (after the box and the log line) when it cannot be read.
  bool OpenFile(const QString& path);
  bool Save();
  bool SaveAs();
  // Asks to save a modified suite; false when the user cancelled or the save failed.
  bool SaveModified();
  harness::CHalvexDoc& Document() { return m_doc; }

  // Rebuilds the rows from the suite, in suite order; each row's data is its suite position.
  void Refresh();
  void DeleteSelected();
  void DeleteAll();
  // Asks for the iteration count of the selected test cases.
  void SetIterationsOfSelected();
  // The state icon of a row (StateIcon); false for a row or image that does not exist.
  bool SetItemIcon(int row, int image);
  int ItemIcon(int row) const;
  const QList<QIcon>& StateIcons() const { return m_stateIcons; }
  // The suite properties of this existing suite; true when OK changed them.
  bool ShowProperties();
  // Where test cases dragged onto this window go.
  CSuiteDropTarget* DropTarget() const { return m_pDropTarget; }

protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void startDrag(Qt::DropActions supportedActions) override;

private:
  std::vector<std::size_t> SelectedPositions() const;
  void OnItemChanged(QTreeWidgetItem* item, int column);
  void UpdateTitle();
  std::string SeveralComponentsText() const;

  CHalvexApp& m_app;
  harness::CHalvexDoc m_doc;
  bool m_bRefreshing = false;
  // The image list, in StateIcon order.
  QList<QIcon> m_stateIcons;
  CSuiteDropTarget* m_pDropTarget = nullptr;
};

} // namespace harness
