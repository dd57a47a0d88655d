// CAnalog_In_Basic_Functionality: construction, copying, serialisation, dialog and run.
#include "kestrel/analoginbasicfunctionality.h"

#include "kestrel/basiccapturerun.h"
#include "kestrel/basicfunctionalitydialog.h"
#include "kestrel/dialoghost.h"
#include "kestrel/graphfile.h"

#include "plinth/archive.h"
#include "plinth/archive_format.h"
#include "plinth/component.h"
#include "skeleton/logmessage.h"
#include "skeleton/modelcomponent.h"

#include <new>

PLINTH_IMPLEMENT_SERIAL(CAnalog_In_Basic_Functionality, CTestCase, plinth::archive_format::kSchema)

namespace {

void SetDefaults(CAnalog_In_Basic_Functionality& test)
{
  test.m_strFourcc = kestrel::kDefaultFourcc;
  test.m_strVendor = kestrel::kDefaultVendor;
  test.m_strStandard = kestrel::kDefaultStandard;
  test.m_nDiagnostics = 0;
  test.m_nWidth = kestrel::kDefaultWidth;
}

} // namespace

CAnalog_In_Basic_Functionality::CAnalog_In_Basic_Functionality()
{
  m_strClassName = kestrel::kComponentClassName;
  m_strLabel = kestrel::kBasicFunctionalityName;
  m_strModelName = components::kDefaultModel;
  SetDefaults(*this);
}

CAnalog_In_Basic_Functionality::CAnalog_In_Basic_Functionality(CObject* pComponent)
    : CTestCase(components::AsComponent(pComponent), kestrel::kBasicFunctionalityName, 1, 1, 0)
{
  if (components::AsComponent(pComponent) == nullptr) {
    components::LogMessage(components::kLogError,
                           "Invalid CComponent object used in CAnalog_In_Basic_Functionality().");
    return;
  }
  SetDefaults(*this);
}

void CAnalog_In_Basic_Functionality::Serialize(CArchive& ar)
{
  CTestCase::Serialize(ar);
  if (ar.IsStoring())
    ar << m_strFourcc << m_strVendor << m_strStandard << m_nDiagnostics << m_nWidth;
  else
    ar >> m_strFourcc >> m_strVendor >> m_strStandard >> m_nDiagnostics >> m_nWidth;
}

void CAnalog_In_Basic_Functionality::CopyFrom(const CTestCase* pOther)
{
  CTestCase::CopyFrom(pOther);
  if (pOther == nullptr || !pOther->IsKindOf(PLINTH_RUNTIME_CLASS(CAnalog_In_Basic_Functionality)))
    return;
  const auto* pSource = static_cast<const CAnalog_In_Basic_Functionality*>(pOther);
  m_strFourcc = pSource->m_strFourcc;
  m_strVendor = pSource->m_strVendor;
  m_strStandard = pSource->m_strStandard;
  m_nDiagnostics = pSource->m_nDiagnostics;
  m_nWidth = pSource->m_nWidth;
}

int CAnalog_In_Basic_Functionality::Configure()
{
  if (!kestrel::CanShowDialogs())
    return kDialogCancelled;
  kestrel::CBasicFunctionalityDialog dialog(
      {m_strFourcc, m_strVendor, m_strStandard, m_nDiagnostics, m_nWidth});
  if (dialog.exec() != QDialog::Accepted)
    return kDialogCancelled;
  const kestrel::BasicCaptureSettings values = dialog.Values();
  m_strFourcc = values.fourcc;
  m_nWidth = values.width;
  m_strVendor = values.vendor;
  m_strStandard = values.standard;
  m_nDiagnostics = values.diagnostics;
  return kDialogAccepted;
}

CTestCase* CAnalog_In_Basic_Functionality::Clone() const
{
  auto* pClone = new (std::nothrow) CAnalog_In_Basic_Functionality;
  if (pClone != nullptr)
    pClone->CopyFrom(this);
  return pClone;
}

uint32_t CAnalog_In_Basic_Functionality::Execute()
{
  kestrel::CBasicCaptureRun run({m_strFourcc, m_strVendor, m_strStandard, m_nDiagnostics, m_nWidth},
                                kestrel::RunTiming::FromEnvironment(),
                                kestrel::InstalledGraphsFolder());
  return run.Execute();
}
