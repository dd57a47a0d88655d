// The window a suite file opens in. It names its file; the suite's own view replaces it once
// suite documents are read.
#pragma once

#include <QLabel>

namespace harness {

class CSuiteWindow : public QLabel
{
  Q_OBJECT

public:
  explicit CSuiteWindow(const QString& path, QWidget* parent = nullptr);
  QString FilePath() const { return m_path; }

private:
  QString m_path;
};

} // namespace harness
