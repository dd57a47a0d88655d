// Loading and unloading of resource libraries.
#include "resourcelibrary.h"

#include <QFile>
#include <QFileInfo>
#include <QResource>

namespace harness {

CResourceLibrary::~CResourceLibrary()
{
  Unload();
}

bool CResourceLibrary::Load(const QString& path, const QString& root, QString& error)
{
  Unload();
  if (!QFileInfo(path).isFile()) {
    error = QStringLiteral("%1 is missing").arg(path);
    return false;
  }
  if (!QResource::registerResource(path, QStringLiteral("/") + root)) {
    error = QStringLiteral("%1 is not a resource library").arg(path);
    return false;
  }
  m_path = path;
  m_root = root;
  m_bLoaded = true;
  QFile table(QStringLiteral(":/%1/strings.txt").arg(root));
  std::string parseError;
  if (!table.open(QIODevice::ReadOnly) ||
      !m_strings.Parse(table.readAll().toStdString(), parseError)) {
    error = QStringLiteral("%1 has no readable string table %2")
                .arg(path, QString::fromStdString(parseError));
    Unload();
    return false;
  }
  return true;
}

void CResourceLibrary::Unload()
{
  if (m_bLoaded)
    QResource::unregisterResource(m_path, QStringLiteral("/") + m_root);
  m_bLoaded = false;
  m_strings = StringTable();
}

QIcon CResourceLibrary::Icon(const QString& name) const
{
  QString file = QStringLiteral(":/%1/icons/%2.png").arg(m_root, name);
  return QFileInfo::exists(file) ? QIcon(file) : QIcon();
}

QString CResourceLibrary::TextFile(const QString& name) const
{
  QFile file(QStringLiteral(":/%1/%2").arg(m_root, name));
  if (!file.open(QIODevice::ReadOnly))
    return {};
  return QString::fromUtf8(file.readAll());
}

} // namespace harness
