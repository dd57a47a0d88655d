// CAnalog_In_Quality: construction, copying, serialisation, dialog and its example run.
#include "kestrel/analoginquality.h"

#include "kestrel/analoginbasicfunctionality.h"
#include "kestrel/dialoghost.h"
#include "kestrel/qualitydialog.h"

#include "plinth/archive.h"
#include "plinth/archive_format.h"
#include "plinth/component.h"
#include "skeleton/logmessage.h"
#include "skeleton/modelcomponent.h"
#include "skeleton/strings.h"
#include "skeleton/testmessages.h"

#include <chrono>
#include <new>
#include <thread>

PLINTH_IMPLEMENT_SERIAL(CAnalog_In_Quality, CTestCase, plinth::archive_format::kSchema)

namespace {

constexpr int kWorkSteps = 3;

} // namespace

CAnalog_In_Quality::CAnalog_In_Quality()
{
  m_strClassName = kestrel::kComponentClassName;
  m_strLabel = kestrel::kQualityName;
  m_strModelName = components::kDefaultModel;
  m_nParameter1 = kestrel::kDefaultParameter1;
  m_strParameter2 = kestrel::kDefaultParameter2;
}

CAnalog_In_Quality::CAnalog_In_Quality(CObject* pComponent)
    : CTestCase(components::AsComponent(pComponent), kestrel::kQualityName, 1, 1, 0)
{
  if (components::AsComponent(pComponent) == nullptr) {
    components::LogMessage(components::kLogError,
                           "Invalid CComponent object used in CAnalog_In_Quality().");
    return;
  }
  m_nParameter1 = kestrel::kDefaultParameter1;
  m_strParameter2 = kestrel::kDefaultParameter2;
}

void CAnalog_In_Quality::Serialize(CArchive& ar)
{
  CTestCase::Serialize(ar);
  if (ar.IsStoring())
    ar << m_nParameter1 << m_strParameter2;
  else
    ar >> m_nParameter1 >> m_strParameter2;
}

void CAnalog_In_Quality::CopyFrom(const CTestCase* pOther)
{
  CTestCase::CopyFrom(pOther);
  if (pOther == nullptr || !pOther->IsKindOf(PLINTH_RUNTIME_CLASS(CAnalog_In_Quality)))
    return;
  const auto* pSource = static_cast<const CAnalog_In_Quality*>(pOther);
  m_nParameter1 = pSource->m_nParameter1;
  m_strParameter2 = pSource->m_strParameter2;
}

int CAnalog_In_Quality::Configure()
{
  if (!kestrel::CanShowDialogs())
    return kDialogCancelled;
  kestrel::CQualityDialog dialog(m_nParameter1, m_strParameter2);
  if (dialog.exec() != QDialog::Accepted)
    return kDialogCancelled;
  m_nParameter1 = dialog.Parameter1();
  m_strParameter2 = dialog.Parameter2();
  return kDialogAccepted;
}

CTestCase* CAnalog_In_Quality::Clone() const
{
  auto* pClone = new (std::nothrow) CAnalog_In_Quality;
  if (pClone != nullptr)
    pClone->CopyFrom(this);
  return pClone;
}

uint32_t CAnalog_In_Quality::Execute()
{
  components::SendTestConditionsText(components::FormatText("Parameter #1 = %d", m_nParameter1));
  components::SendTestConditionsText(
      components::FormatText("Parameter #2 = %s", m_strParameter2.c_str()));
  for (int step = 0; step < kWorkSteps; ++step) {
    std::this_thread::sleep_for(std::chrono::seconds(1));
    components::LogMessage(components::kLogProgress, "Doing some work in Example test case #1.");
  }
  components::SendTestResultsText("13 CRC errors were encountered.");
  components::SendTestResultsText("0 Retrains were reported.");
  return kTestStatusPassed;
}
