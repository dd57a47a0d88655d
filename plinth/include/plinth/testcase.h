// CTestCase: the base of every test case a component offers, and the helpers that store, load
// and delete lists of them.
#pragma once

#include "plinth/object.h"

#include <atomic>
#include <cstdint>
#include <list>
#include <string>

class CComponent;

// Status codes of a test case, as Execute returns them and the harness reads them.
inline constexpr uint32_t kTestStatusCleared = 1;  // not judged since the last ClearStatus
inline constexpr uint32_t kTestStatusPrepared = 2; // prepared for a DOS run, not run yet
inline constexpr uint32_t kTestStatusFailed = 5;
inline constexpr uint32_t kTestStatusPassed = 6;
inline constexpr uint32_t kTestStatusNotRun = 7;

// What a test case's Configure returns: its dialog was accepted, or cancelled.
inline constexpr int kDialogAccepted = 1;
inline constexpr int kDialogCancelled = 2;

class CTestCase : public CObject
{
  PLINTH_DECLARE_SERIAL(CTestCase)

public:
  // For creation by name and cloning: empty texts, one iteration, status cleared.
  CTestCase();
  // Takes the owning component's class name and model name when pComponent is a component.
  // The numbers are the iteration count, the initial status and the initial abort request;
  // every caller passes (component, "", 1, 1, 0).
  CTestCase(CComponent* pComponent, const std::string& label, int nIterations,
            unsigned long dwStatus, int bAbort);
  ~CTestCase() override;

  // Base fields: owner class name, label, model name, iterations, status (archive_format.md).
  void Serialize(CArchive& ar) override;
  void AssertValid() const override;
  void Dump() const override;

  // Asks a running Execute to stop; Execute polls IsAbortRequested(). Any thread may call it.
  virtual void Abort();
  virtual void SetLabel(const std::string& label);
  virtual void SetIterations(int nIterations);
  // Status back to kTestStatusCleared, abort request withdrawn.
  virtual void ClearStatus();
  virtual void SetStatus(uint32_t dwStatus);
  // Copies the base fields; overrides call this first.
  virtual void CopyFrom(const CTestCase* pOther);
  // Modal dialog on the test's parameters; kDialogAccepted or kDialogCancelled. The base has
  // none: kDialogCancelled.
  virtual int Configure();
  // New object of the same class with every field copied; nullptr on failure.
  virtual CTestCase* Clone() const;
  // Runs the test once; returns its status code. The base runs nothing: kTestStatusNotRun.
  virtual uint32_t Execute();

  std::string GetClassName() const { return m_strClassName; }
  // The run-time class name without its "C" prefix (CTestcaseEx -> "TestcaseEx").
  std::string GetBaseName() const;
  std::string GetLabel() const { return m_strLabel; }
  std::string GetModelName() const { return m_strModelName; }
  int GetIterations() const { return m_nIterations; }
  uint32_t GetStatus() const { return m_dwStatus; }
  bool IsAbortRequested() const { return m_bAbort.load(); }

  std::string m_strClassName; // owning component's class name
  std::string m_strLabel;
  std::string m_strModelName;
  int32_t m_nIterations = 1;
  uint32_t m_dwStatus = kTestStatusCleared;

protected:
  std::atomic<bool> m_bAbort{false};
};

using CTestCaseList = std::list<CTestCase*>;

// Stores or loads count test cases through object records. Loading creates each from its
// stored class (a kind of CTestCase) and puts it in elements[i]; a record that refers back to
// an object loaded before is refused (badIndex), so no test case is owned twice. On an error the
// elements not loaded are nullptr and the archive holds the cause.
void SerializeElements(CArchive& ar, CTestCase** elements, int count);
// Deletes count test cases and sets each pointer to nullptr.
void DestructElements(CTestCase** elements, int count);
// Deletes every test case of the list and empties it.
void DestructElements(CTestCaseList& list);
