// The Log page of the harness properties: the log file, the logging level, where log lines go,
// appending, time stamps and SuspectFilesAre.
#pragma once

#include "harness/harnessproperties.h"

#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;

namespace harness {

class CHarnessLogPage : public QWidget
{
  Q_OBJECT

public:
  CHarnessLogPage(const StringTable& strings, const std::string& defaultLogFilePath,
                  QWidget* parent = nullptr);

  void Load(const HarnessProperties& values);
  void Store(HarnessProperties& values) const;

private:
  QLineEdit* m_pLogFile;
  QComboBox* m_pLevel;
  QButtonGroup* m_pDestination;
  QButtonGroup* m_pAppend;
  QButtonGroup* m_pDateTime;
  QCheckBox* m_pSuspectFiles;
};

} // namespace harness
