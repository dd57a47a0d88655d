// The model selection dialog of one component: its models, the current one selected, New
// Model, OK and Cancel. It shows and forwards; CModelSelection holds the rules.
#pragma once

#include "harness/modelselection.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace harness {

class CHalvexApp;

class CModelSelectionDialog : public QDialog
{
  Q_OBJECT

public:
  CModelSelectionDialog(CHalvexApp& app, CComponentLoader& loader, const std::string& className,
                        QWidget* parent = nullptr);

  QListWidget* List() const { return m_pList; }
  QLineEdit* ClassNameEdit() const { return m_pClassName; }
  QPushButton* NewModelButton() const { return m_pNewModel; }

  // Rebuilds the list from the registry (left as it is when that cannot be read) and selects.
  void Fill();
  // Selects the current model's entry.
  void SelectCurrentModel();
  void OnNewModel();
  // Closes with OK only once the component has loaded the selected model.
  void accept() override;

private:
  CModelSelection m_selection;
  QListWidget* m_pList = nullptr;
  QLineEdit* m_pClassName = nullptr;
  QPushButton* m_pNewModel = nullptr;
};

} // namespace harness
