// The suite window.
#include "suitewindow.h"

#include <QFileInfo>

namespace harness {

CSuiteWindow::CSuiteWindow(const QString& path, QWidget* parent)
    : QLabel(path, parent), m_path(path)
{
  setObjectName(QStringLiteral("CSuiteWindow"));
  setWindowTitle(QFileInfo(path).completeBaseName());
  setAlignment(Qt::AlignTop | Qt::AlignLeft);
  setMargin(8);
}

} // namespace harness
