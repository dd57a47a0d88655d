// The About box (dialog 100): the viewer's name and the version embedded in the program.
#pragma once

#include <QDialog>

namespace parlo {

class CAboutDlg : public QDialog
{
  Q_OBJECT
public:
  explicit CAboutDlg(QWidget* parent = nullptr);

  // The version embedded in the program file, e.g. "0.1.0.0"; "none" for a file without one.
  static QString ProgramVersion(const QString& programPath);
  QString Text() const { return m_strText; }

private:
  QString m_strText;
};

} // namespace parlo
