// Message boxes through QMessageBox.
#include "qtprompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <iostream>

namespace harness {

CQtPrompts::CQtPrompts(QString title, QObject* parent)
    : QObject(parent), m_title(std::move(title)), m_bUnattended(IsUnattended())
{
}

BoxAnswer CQtPrompts::Ask(const BoxRequest& request)
{
  if (m_bUnattended) {
    UnattendedPrompts unattended(std::cerr);
    return unattended.Ask(request);
  }
  if (QThread::currentThread() == thread())
    return AskHere(request);
  BoxAnswer answer = request.defaultAnswer;
  QMetaObject::invokeMethod(
      this, [&] { answer = AskHere(request); }, Qt::BlockingQueuedConnection);
  return answer;
}

BoxAnswer CQtPrompts::AskHere(const BoxRequest& request)
{
  if (request.beep)
    QApplication::beep();
  QMessageBox box;
  box.setWindowTitle(m_title);
  box.setText(QString::fromStdString(request.text));
  switch (request.icon) {
  case BoxIcon::Information:
    box.setIcon(QMessageBox::Information);
    break;
  case BoxIcon::Warning:
    box.setIcon(QMessageBox::Warning);
    break;
  case BoxIcon::Error:
    box.setIcon(QMessageBox::Critical);
    break;
  case BoxIcon::Question:
    box.setIcon(QMessageBox::Question);
    break;
  }
  if (request.buttons == BoxButtons::Ok) {
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return BoxAnswer::Ok;
  }
  if (request.buttons == BoxButtons::OkCancel) {
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    box.setDefaultButton(request.defaultAnswer == BoxAnswer::Cancel ? QMessageBox::Cancel
                                                                    : QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? BoxAnswer::Ok : BoxAnswer::Cancel;
  }
  if (request.buttons == BoxButtons::YesNoCancel) {
    // With a Cancel button, Escape and the window's close button answer Cancel.
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.setDefaultButton(request.defaultAnswer == BoxAnswer::No       ? QMessageBox::No
                         : request.defaultAnswer == BoxAnswer::Cancel ? QMessageBox::Cancel
                                                                      : QMessageBox::Yes);
    switch (box.exec()) {
    case QMessageBox::Yes:
      return BoxAnswer::Yes;
    case QMessageBox::No:
      return BoxAnswer::No;
    default:
      return BoxAnswer::Cancel;
    }
  }
  box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
  box.setDefaultButton(request.defaultAnswer == BoxAnswer::No ? QMessageBox::No : QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes ? BoxAnswer::Yes : BoxAnswer::No;
}

} // namespace harness
