// The components dialog: the loaded components with their current models, and Add, Remove,
// Configure and Model. It shows and forwards; CComponentsModel holds the rules.
#pragma once

#include "harness/componentsmodel.h"

#include <QDialog>

class QTreeWidget;
class QPushButton;

namespace harness {

class CHalvexApp;
class CMainFrame;

class CComponentsDialog : public QDialog
{
  Q_OBJECT

public:
  static constexpr int kColumnWidth = 250;

  CComponentsDialog(CHalvexApp& app, CMainFrame& frame, harness::CComponentLoader& loader);

  QTreeWidget* List() const { return m_pList; }

  // Rebuilds the rows; a single row is selected and OK takes the focus.
  void Fill();
  void OnAdd();
  void OnRemove();
  void OnConfigure();
  void OnModel();

private:
  // The selected row's class name; "" after the beep and the warning box when none is.
  std::string SelectedClass();

  CHalvexApp& m_app;
  CMainFrame& m_frame;
  CComponentLoader& m_loader;
  CComponentsModel m_model;
  QTreeWidget* m_pList = nullptr;
  QPushButton* m_pOk = nullptr;
};

} // namespace harness
