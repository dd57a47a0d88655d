// The suites tree.
#include "testsuitestree.h"

#include "halvexapp.h"
#include "harness/stringids.h"
#include "harness/suiteproperties.h"
#include "harness/suitesscan.h"
#include "suitepropertiessheet.h"

namespace harness {

CTestSuitesTree::CTestSuitesTree(CHalvexApp& app, QWidget* parent)
    : CAvailableTree(app, DragSource::Suites, parent)
{
  setObjectName(QStringLiteral("CTestSuitesTree"));
  setEditTriggers(QAbstractItemView::NoEditTriggers);
}

CTestSuitesTree::~CTestSuitesTree()
{
  Clear();
}

void CTestSuitesTree::Clear()
{
  // The items point into the suites: they go first.
  clear();
  m_suites.clear();
}

void CTestSuitesTree::Refresh()
{
  Clear();
  const StringTable& strings = App().Strings();
  m_suites =
      ScanSuitesFolder(SuitesScanFolder(App().m_settings.m_strTestSuitesFolder, strings), strings,
                       [this](unsigned level, const std::string& text) { App().Log(level, text); });
  std::vector<CTestSuite*> suites;
  for (const auto& suite : m_suites)
    suites.push_back(suite.get());
  FillFrom(SuitesTreeContent(_ComponentList, suites, strings.Get(ids::kSeveralComponents)));
}

void CTestSuitesTree::SuiteProperties(CTestSuite& suite)
{
  ShowSuiteProperties(suite, kSuitePropertiesExisting, App().Strings(), this);
}

void CTestSuitesTree::OpenSelectedSuite()
{
  CObject* pObject = SelectedObject();
  if (pObject == nullptr || !pObject->IsKindOf(PLINTH_RUNTIME_CLASS(CTestSuite)))
    return;
  App().OpenDocumentFile(static_cast<CTestSuite*>(pObject)->GetPath());
}

} // namespace harness
