// CComponent: a test component offered by a plug-in module, owning its test-case prototypes,
// and the base library's globals that the harness and every component share.
#pragma once

#include "plinth/testcase.h"

#include "platform/modules.h"

#include <cstdint>
#include <list>
#include <string>

// What ConfigureComponent returns.
inline constexpr int kConfigureFailed = 0;
inline constexpr int kConfigureSaved = 1;
inline constexpr int kConfigureCancelled = 2;

class CComponent : public CObject
{
  PLINTH_DECLARE_DYNAMIC(CComponent)

public:
  // Every component constructor calls this first with its module's handle.
  explicit CComponent(platform::HMODULE hInstance);
  // Deletes the prototypes. Does not leave _ComponentList: its owner takes it out first.
  ~CComponent() override;

  // The prototype list: a count, then each test case as an object record.
  void Serialize(CArchive& ar) override;
  void AssertValid() const override;
  void Dump() const override;

  // Appends this component to _ComponentList; 1 on success.
  virtual int AddToComponentList();
  // 1 when the component is ready. The base has nothing to prepare.
  virtual int InitComponent();
  // kConfigureFailed, kConfigureSaved (strNewModel holds the model now chosen) or
  // kConfigureCancelled. The base offers nothing to configure: kConfigureFailed.
  virtual int ConfigureComponent(std::string& strNewModel);
  // Registry overrides; 1 success, 0 failure. The base keeps no model: 1.
  virtual int ReadModelFromRegistry();
  virtual int SaveModelToRegistry(bool bResetToDefault);
  virtual int CreateDefaultRegistryEntry();
  virtual void SetClassName(const std::string& s);
  virtual void SetManufacturer(const std::string& s);
  virtual void SetModelName(const std::string& s);
  virtual void SetDriverVersion(const std::string& s);
  virtual void SetFirmwareVersion(const std::string& s);
  virtual void SetOEMName(const std::string& s);
  virtual void SetSerialNum(const std::string& s);
  virtual void SetStatus(uint32_t dwStatus);
  virtual void SetIconId(int nIconId);

  std::string GetClassName() const { return m_strClassName; }
  std::string GetModuleName() const { return m_strDllPath; }
  std::string GetManufacturer() const { return m_strManufacturer; }
  std::string GetModelName() const { return m_strModelName; }
  std::string GetDriverVersion() const { return m_strDriverVersion; }
  std::string GetFirmwareVersion() const { return m_strFirmwareVersion; }
  std::string GetOEMName() const { return m_strOEMName; }
  std::string GetSerialNum() const { return m_strSerialNum; }
  uint32_t GetStatus() const { return m_dwStatus; }
  int GetIconId() const { return m_nIconId; }
  platform::HMODULE GetInstanceHandle() const { return m_hInstance; }

  CTestCaseList m_TestCaseList; // owned prototypes
  std::string m_strClassName;
  std::string m_strManufacturer;
  std::string m_strModelName;
  std::string m_strDriverVersion;
  std::string m_strFirmwareVersion;
  std::string m_strOEMName;
  std::string m_strSerialNum;
  uint32_t m_dwStatus = 0;
  std::string m_strDllPath;
  int m_nIconId = 0;
  platform::HMODULE m_hInstance;
};

// Every loaded component, owned here: whoever takes one out deletes it. User-interface thread.
extern std::list<CComponent*> _ComponentList;
// Highest log level shown (0 errors, 1 normal, 2 progress, 3 notices); 1 unless set.
extern unsigned int guiLoggingLevel;
// Registry path of the component key; the harness sets it at start-up.
extern std::string gszComponentRegistryKey;
