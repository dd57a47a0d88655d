// The viewer's start-up: resource library, settings, the frame and the file to show.
#pragma once

#include "parlosettings.h"

#include <QStringList>

#include <memory>

namespace parlo {

class CMainFrame;

class CParloApp
{
public:
  CParloApp();
  ~CParloApp();

  // Loads "Parlo.lrc" from resourceFolder, reads the settings, creates and shows the frame
  // and opens the file named in arguments (the program name first). False ends the program;
  // the reason has been shown in a box.
  bool InitInstance(const QStringList& arguments, const QString& resourceFolder);

  CMainFrame* MainFrame() const { return m_pMainFrame.get(); }

private:
  std::unique_ptr<ParloSettings> m_pSettings;
  std::unique_ptr<CMainFrame> m_pMainFrame;
};

} // namespace parlo
