// CModelPropSheet: the modal "Model Properties" sheet of a component: the general page, the
// layout's extra pages, OK and Cancel (no Apply). User-interface thread; needs a QApplication.
#pragma once

#include "skeleton/modelconfiguration.h"
#include "skeleton/modelsheetlayout.h"

#include <QDialog>

#include <string>

class CModelGeneralPage;
class QTabWidget;

class CModelPropSheet : public QDialog
{
public:
  explicit CModelPropSheet(const components::ModelSheetLayout& layout, QWidget* parent = nullptr);

  CModelGeneralPage* GeneralPage() const { return m_pGeneralPage; }
  QTabWidget* Pages() const { return m_pPages; }

  // Shows the sheet over values; true when closed with OK, with values taken from the page.
  // False, after a log line, in a program without a QApplication (nothing to show it on).
  static bool Run(const components::ModelSheetLayout& layout, components::ModelPageValues& values);

  // Qt's libraries cannot be unloaded cleanly; a plug-in that brings them into a program
  // without windows calls this while it attaches, so they stay when the plug-in goes.
  static void KeepWindowLibrariesLoaded();

  // A page by its class name ("CModelGeneralPage" with the default layout, "CModelNextPage");
  // null for any other name.
  static QWidget* CreatePage(const std::string& className, QWidget* parent = nullptr);

private:
  CModelGeneralPage* m_pGeneralPage = nullptr;
  QTabWidget* m_pPages = nullptr;
};
