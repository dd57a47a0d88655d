// CVideoInputComponent: the component "Video Input Tests", with one prototype of each video
// input test case.
#pragma once

#include "skeleton/modelcomponent.h"

namespace kestrel {
inline constexpr int kVideoInputIconId = 134;
}

class CVideoInputComponent : public CModelComponent
{
public:
  // Class name "Video Input Tests", status 3, icon 134, DllPath this module's path; the
  // prototypes CAnalog_In_Basic_Functionality and CAnalog_In_Quality, in this order. Its model
  // sheet has no "Version:" field and a second page "More Stuff Here".
  explicit CVideoInputComponent(platform::HMODULE hInstance);
};
