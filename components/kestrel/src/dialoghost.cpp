// The widget application check.
#include "kestrel/dialoghost.h"

#include "skeleton/logmessage.h"

#include <QApplication>

namespace kestrel {

bool CanShowDialogs()
{
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr)
    return true;
  components::LogMessage(components::kLogError,
                         "ERROR: The video input test dialogs need the harness's windows.");
  return false;
}

} // namespace kestrel
