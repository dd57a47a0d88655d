// Message boxes with an unattended mode for tests and scripted runs.
#include "messagebox.h"

#include "stringtable.h"

#include <cstdio>

namespace parlo {

bool IsUnattended()
{
  return qEnvironmentVariable("HALVEX_UNATTENDED") == QLatin1String("1");
}

QMessageBox::StandardButton ShowMessage(QWidget* parent, QMessageBox::Icon icon,
                                        const QString& text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton)
{
  if (IsUnattended()) {
    std::fprintf(stderr, "parlo: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
    return defaultButton;
  }
  QMessageBox box(icon, LoadString(IDS_APP_TITLE), text, buttons, parent);
  box.setDefaultButton(defaultButton);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace parlo
