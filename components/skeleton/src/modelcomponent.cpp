// The registry layout of a component and its models.
#include "skeleton/modelcomponent.h"

#include "skeleton/componentmodule.h"
#include "skeleton/logmessage.h"
#include "skeleton/modelconfiguration.h"
#include "skeleton/modelpropsheet.h"
#include "skeleton/strings.h"
#include "skeleton/versiontext.h"

#include "platform/regkey.h"

#include <algorithm>

using components::FormatText;
using components::kDefaultModel;
using components::kLogError;
using components::kLogNotice;
using components::kLogProgress;
using components::LogMessage;
using platform::HKEY_LOCAL_MACHINE;
using platform::LONG;

namespace {

// The component plug-ins empty a text whose read fails.
constexpr CRegKey::ReadFailure kReadFailure = CRegKey::ReadFailure::EmptyText;

// The five values of a model sub-key, in the order they are read and written.
struct ModelValue
{
  const char* name;
  std::string CComponent::*member;
};
constexpr ModelValue kModelValues[] = {{"Manufacturer", &CComponent::m_strManufacturer},
                                       {"DriverVersion", &CComponent::m_strDriverVersion},
                                       {"FirmwareVersion", &CComponent::m_strFirmwareVersion},
                                       {"OEMName", &CComponent::m_strOEMName},
                                       {"SerialNumber", &CComponent::m_strSerialNum}};

} // namespace

CModelComponent::CModelComponent(platform::HMODULE hInstance, components::ModelSheetLayout layout)
    : CComponent(hInstance), m_modelSheetLayout(std::move(layout))
{
}

CModelComponent::~CModelComponent()
{
  auto& own = components::OwnComponents();
  own.erase(std::remove(own.begin(), own.end(), this), own.end());
  if (components::GetCurrentComponent() == this)
    components::SetCurrentComponent(nullptr);
}

int CModelComponent::InitComponent()
{
  SetStatus(components::kComponentInitialised);
  return 1;
}

std::string CModelComponent::GetComponentKeyPath() const
{
  return gszComponentRegistryKey + "\\" + m_strClassName;
}

std::string CModelComponent::GetDllVersion() const
{
  return components::FileVersionText(GetModuleName());
}

int CModelComponent::ConfigureComponent(std::string& strNewModel)
{
  // Called by the harness across the module boundary: nothing may leave as an exception.
  try {
    return components::ConfigureModel(*this, strNewModel, m_modelSheetLayout,
                                      [this](components::ModelPageValues& values) {
                                        return CModelPropSheet::Run(m_modelSheetLayout, values);
                                      });
  } catch (...) {
    LogMessage(kLogError, FormatText("ERROR (%s): The model properties could not be shown.",
                                     m_strClassName.c_str()));
    strNewModel.clear();
    return kConfigureFailed;
  }
}

int CModelComponent::CreateDefaultRegistryEntry()
{
  {
    CRegKey existing(kReadFailure);
    if (existing.Open(HKEY_LOCAL_MACHINE, GetComponentKeyPath()) == platform::ERROR_SUCCESS) {
      existing.Close();
      LogMessage(kLogNotice, FormatText("The %s component class already has a registry entry.",
                                        m_strClassName.c_str()));
      return 1;
    }
  }

  CRegKey parent(kReadFailure);
  LONG result = parent.Open(HKEY_LOCAL_MACHINE, gszComponentRegistryKey);
  if (result != platform::ERROR_SUCCESS) {
    LogMessage(kLogError,
               FormatText("ERROR: Could not open registry key. CRegKey::Open (%s), Error# %d",
                          gszComponentRegistryKey.c_str(), result));
    return 0;
  }
  CRegKey key(kReadFailure);
  result = key.CreateKeyString(parent, m_strClassName);
  parent.Close();
  if (result != platform::ERROR_SUCCESS) {
    LogMessage(kLogError, FormatText("ERROR: Could create registry key. "
                                     "CRegKey::CreateKeyString (%s), Error# %d",
                                     m_strClassName.c_str(), result));
    return 0;
  }
  result = key.WriteString("DllPath", m_strDllPath);
  if (result != platform::ERROR_SUCCESS) {
    LogMessage(kLogError,
               FormatText("ERROR: Could not save dll path. CRegKey::WriteString (%s), Error# %d",
                          m_strDllPath.c_str(), result));
    return 0;
  }
  result = key.WriteDword("EnableDll", 1);
  if (result != platform::ERROR_SUCCESS) {
    LogMessage(kLogError, FormatText("ERROR: Could not save dll enable flag. "
                                     "CRegKey::WriteDword (%s), Error# %d",
                                     m_strDllPath.c_str(), result));
    return 0;
  }
  result = key.WriteString("CurrentModel", kDefaultModel);
  if (result != platform::ERROR_SUCCESS) {
    LogMessage(kLogError, FormatText("ERROR: Could not save current model. "
                                     "CRegKey::WriteString (%s,%s), Error# %d",
                                     m_strDllPath.c_str(), "CurrentModel", result));
    return 0;
  }
  key.Flush();
  key.Close();
  if (SaveModelToRegistry(true) == 1)
    return 1;
  LogMessage(
      kLogError,
      FormatText("ERROR: Unable to create a default model registry key for the %s component.",
                 m_strClassName.c_str()));
  return 0;
}

int CModelComponent::ReadModelFromRegistry()
{
  const std::string keyPath = GetComponentKeyPath();
  CRegKey key(kReadFailure);
  LONG result = key.Open(HKEY_LOCAL_MACHINE, keyPath);
  if (result != platform::ERROR_SUCCESS) {
    LogMessage(kLogError, FormatText("ERROR (%s): Could not open registry key %s, Error# %d",
                                     m_strClassName.c_str(), keyPath.c_str(), result));
    return 0;
  }
  result = key.ReadString("CurrentModel", m_strModelName);
  if (result != platform::ERROR_SUCCESS) {
    LogMessage(kLogError, FormatText("ERROR (%s): Could not read registry value %s, Error# %d",
                                     m_strClassName.c_str(), "CurrentModel", result));
    return 0;
  }
  CRegKey model(kReadFailure);
  result = model.Open(key, m_strModelName);
  if (result != platform::ERROR_SUCCESS) {
    LogMessage(kLogError, FormatText("ERROR (%s): Could not open model registry key %s, Error# %d",
                                     m_strClassName.c_str(), m_strModelName.c_str(), result));
    return 0;
  }
  for (const ModelValue& value : kModelValues) {
    result = model.ReadString(value.name, this->*value.member);
    if (result != platform::ERROR_SUCCESS) {
      LogMessage(kLogError, FormatText("ERROR (%s): Could not read registry value %s, Error# %d",
                                       m_strClassName.c_str(), value.name, result));
      return 0;
    }
  }
  model.Close();
  key.Close();
  LogMessage(kLogProgress, FormatText("Initializing (component %s, model %s) with registry values.",
                                      m_strClassName.c_str(), m_strModelName.c_str()));
  return 1;
}

int CModelComponent::SaveModelToRegistry(bool bResetToDefault)
{
  const std::string keyPath = GetComponentKeyPath();
  CRegKey key(kReadFailure);
  LONG result = key.CreateKeyString(HKEY_LOCAL_MACHINE, keyPath);
  if (result != platform::ERROR_SUCCESS) {
    LogMessage(kLogError,
               FormatText("ERROR (%s): Could not open component registry key %s, Error# %d",
                          m_strClassName.c_str(), keyPath.c_str(), result));
    return 0;
  }
  if (bResetToDefault) {
    m_strManufacturer = kDefaultModel;
    m_strModelName = kDefaultModel;
    m_strDriverVersion = kDefaultModel;
    m_strFirmwareVersion = kDefaultModel;
    m_strOEMName = kDefaultModel;
    m_strSerialNum = kDefaultModel;
  }
  CRegKey model(kReadFailure);
  result = model.CreateKeyString(key, m_strModelName);
  if (result != platform::ERROR_SUCCESS) {
    LogMessage(kLogError, FormatText("ERROR (%s): Could not open model registry key %s, Error# %d",
                                     m_strClassName.c_str(), m_strModelName.c_str(), result));
    return 0;
  }
  bool first = true;
  for (const ModelValue& value : kModelValues) {
    result = model.WriteString(value.name, this->*value.member);
    if (result != platform::ERROR_SUCCESS) {
      // The first value's text differs from the others' in one letter, as it always has.
      LogMessage(kLogError,
                 FormatText(first ? "ERROR (%s): Could not write registry value %s, Error# %d"
                                  : "ERROR (%s): Could not Write registry value %s, Error# %d",
                            m_strClassName.c_str(), value.name, result));
      return 0;
    }
    first = false;
  }
  model.Flush();
  model.Close();
  key.Flush();
  key.Close();
  LogMessage(kLogProgress, FormatText("Saving (component %s, model %s) parameters to the registry.",
                                      m_strClassName.c_str(), m_strModelName.c_str()));
  return 1;
}
