// The suite window as a run drives it: its items, icons, the document's state. The run calls
// these through the user-interface thread's calls only (uicalls.h).
#pragma once

#include "harness/runitemlist.h"
#include "harness/stateicons.h"

#include <string>

class CTestSuite;

namespace harness {

// User-interface thread only.
class RunSurface
{
public:
  virtual ~RunSurface() = default;
  // Every item of the list in list order, with its test case and selection.
  virtual CRunItemList TakeItems() = 0;
  virtual CTestSuite& Suite() = 0;
  // The document's file path ("" before its first save).
  virtual std::string DocumentPath() = 0;
  virtual void SetDocState(int state) = 0;
  // The icon is drawn at once, before the call returns.
  virtual void SetItemIcon(int row, StateIcon icon) = 0;
  virtual void EnsureItemVisible(int row) = 0;
  virtual void DeselectAll() = 0;
  // No input reaches a disabled window.
  virtual void EnableWindow(bool enable) = 0;
  // Brings the window forward once the user-interface thread gets to it.
  virtual void PostBringToFront() = 0;
};

} // namespace harness
