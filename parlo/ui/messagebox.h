// Message boxes that a test run can answer: with HALVEX_UNATTENDED=1 the text goes to
// stderr and the default answer is taken without showing anything.
#pragma once

#include <QMessageBox>
#include <QString>

namespace parlo {

bool IsUnattended();

QMessageBox::StandardButton
ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text,
            QMessageBox::StandardButtons buttons = QMessageBox::Ok,
            QMessageBox::StandardButton defaultButton = QMessageBox::Ok);

} // namespace parlo
