// CModelGeneralPage: the model sheet's "General" page, one labelled edit per field of the
// layout. It only shows and hands back values; the rules are in modelconfiguration.h.
#pragma once

#include "skeleton/modelconfiguration.h"
#include "skeleton/modelsheetlayout.h"

#include <QWidget>

#include <map>

class QLineEdit;

class CModelGeneralPage : public QWidget
{
public:
  explicit CModelGeneralPage(const components::ModelSheetLayout& layout, QWidget* parent = nullptr);

  void SetValues(const components::ModelPageValues& values);
  // What the edits hold now; fields the layout does not show stay empty.
  components::ModelPageValues Values() const;

  // The edit of a field; null when the layout does not show it.
  QLineEdit* Edit(components::ModelField field) const;

private:
  std::map<components::ModelField, QLineEdit*> m_edits;
};
