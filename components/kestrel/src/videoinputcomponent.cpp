// CVideoInputComponent construction.
#include "kestrel/videoinputcomponent.h"

#include "kestrel/analoginbasicfunctionality.h"
#include "kestrel/analoginquality.h"

#include "skeleton/componentmodule.h"

CVideoInputComponent::CVideoInputComponent(platform::HMODULE hInstance)
    : CModelComponent(hInstance, components::ModelSheetLayout::WithParameterPage())
{
  m_strClassName = kestrel::kComponentClassName;
  m_dwStatus = components::kComponentConstructed;
  m_nIconId = kestrel::kVideoInputIconId;
  m_strDllPath = components::ThisModulePath();
  m_TestCaseList.push_back(new CAnalog_In_Basic_Functionality(this));
  m_TestCaseList.push_back(new CAnalog_In_Quality(this));
}
