// The model property sheet.
#include "skeleton/modelpropsheet.h"

#include "skeleton/logmessage.h"
#include "skeleton/modelgeneralpage.h"
#include "skeleton/modelnextpage.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <dlfcn.h>

CModelPropSheet::CModelPropSheet(const components::ModelSheetLayout& layout, QWidget* parent)
    : QDialog(parent)
{
  setObjectName(QStringLiteral("CModelPropSheet"));
  setWindowTitle(QString::fromLatin1(components::kModelSheetCaption));
  m_pPages = new QTabWidget(this);
  m_pGeneralPage = new CModelGeneralPage(layout, m_pPages);
  m_pPages->addTab(m_pGeneralPage, m_pGeneralPage->windowTitle());
  for (const components::ModelTextPage& page : layout.extraPages) {
    auto* extra = new CModelNextPage(page.title, page.text, m_pPages);
    m_pPages->addTab(extra, extra->windowTitle());
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* box = new QVBoxLayout(this);
  box->addWidget(m_pPages);
  box->addWidget(buttons);
}

bool CModelPropSheet::Run(const components::ModelSheetLayout& layout,
                          components::ModelPageValues& values)
{
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
    components::LogMessage(components::kLogError,
                           "The model properties cannot be shown in a program without windows.");
    return false;
  }
  CModelPropSheet sheet(layout, QApplication::activeWindow());
  sheet.GeneralPage()->SetValues(values);
  if (sheet.exec() != QDialog::Accepted)
    return false;
  values = sheet.GeneralPage()->Values();
  return true;
}

QWidget* CModelPropSheet::CreatePage(const std::string& className, QWidget* parent)
{
  if (className == "CModelGeneralPage")
    return new CModelGeneralPage(components::ModelSheetLayout::WithVersion(), parent);
  if (className == "CModelNextPage")
    return new CModelNextPage(parent);
  return nullptr;
}

void CModelPropSheet::KeepWindowLibrariesLoaded()
{
  // Marking the widgets library keeps the libraries it depends on as well.
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&QWidget::staticMetaObject), &info) == 0 ||
      info.dli_fname == nullptr)
    return;
  if (void* handle = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE))
    dlclose(handle);
}
