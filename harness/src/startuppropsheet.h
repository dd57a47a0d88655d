// The start-up box: five pages for a new engineer (instructions, opening a suite, test results,
// definitions, the screen). No Apply button; the check box goes back on OK only.
#pragma once

#include <QDialog>
#include <QList>

class QTabWidget;

namespace harness {

class CResourceLibrary;
class CStartupPage;

class CStartupPropSheet : public QDialog
{
  Q_OBJECT

public:
  // dontShow: the check box's starting state (DontShowStartupBox is 1).
  CStartupPropSheet(const CResourceLibrary& resources, bool dontShow, QWidget* parent = nullptr);

  bool DontShow() const;
  QTabWidget* Tabs() const { return m_pTabs; }
  const QList<CStartupPage*>& Pages() const { return m_pages; }

private:
  QTabWidget* m_pTabs;
  QList<CStartupPage*> m_pages;
};

} // namespace harness
