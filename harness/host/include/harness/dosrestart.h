// What follows the preparation pass of a suite with DOS test cases (the machine is made ready
// to run them under DOS and restarted), and the restart entry the collection pass removes.
#pragma once

#include "harness/settings.h"
#include "harness/stringtable.h"

#include <functional>
#include <memory>
#include <string>

class CTestSuite;

namespace harness {

struct DosPreparation
{
  CTestSuite* suite = nullptr;
  std::string suiteFilePath;
  int debugLevel = 0; // the highest debug level of the suite's Marlow components
  bool runMode = false;
};

// Called on the run's thread; boxes are shown through the prompts, windows are not touched.
class DosRestart
{
public:
  virtual ~DosRestart() = default;
  // After the walk of the preparation pass. False ends the run at once (no suite end report).
  virtual bool AfterPreparationPass(const DosPreparation& preparation) = 0;
  // At the start of the collection pass.
  virtual void RemoveRestartEntry() = 0;
  // At the start of the collection pass, after the entry: start lines DOS did not run go.
  virtual void PutBackUnrunStartLines() {}
  // At start-up when no DOS run is pending: what a preparation cut short left goes.
  virtual void ClearInterruptedPreparation() {}
};

// Makes the real restart at its first use, so that it reads the places, the family and the
// DOS machine when a preparation needs them, not when a suite window opens.
class CDeferredDosRestart : public DosRestart
{
public:
  explicit CDeferredDosRestart(std::function<std::unique_ptr<DosRestart>()> make);
  bool AfterPreparationPass(const DosPreparation& preparation) override;
  void RemoveRestartEntry() override;
  void PutBackUnrunStartLines() override;
  // Does not keep what it makes: the places and the machine are read again for a run.
  void ClearInterruptedPreparation() override;

private:
  DosRestart& Get();

  std::function<std::unique_ptr<DosRestart>()> m_make;
  std::unique_ptr<DosRestart> m_pRestart;
};

} // namespace harness
