// Registration of "Parlo.lrc" and lookup of its string table (":/parlo/strings.json").
#include "stringtable.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QResource>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace parlo {

bool ResourceLibrary::Load(const QString& folder, QString* error)
{
  Unload();
  const QString path = QDir(folder).filePath(QString::fromLatin1(kFileName));
  // Ask the system first, so a missing or unreadable file is reported with its own reason.
  const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (error)
      *error = QStringLiteral("Cannot load the resource library %1: %2.")
                   .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    return false;
  }
  ::close(fd);
  if (!QResource::registerResource(path)) {
    if (error)
      *error = QStringLiteral("Cannot load the resource library %1: it is not a resource library.")
                   .arg(path);
    return false;
  }
  QFile table(QStringLiteral(":/parlo/strings.json"));
  QJsonParseError parseError{};
  const QJsonDocument json = table.open(QIODevice::ReadOnly)
                                 ? QJsonDocument::fromJson(table.readAll(), &parseError)
                                 : QJsonDocument();
  if (!json.isObject()) {
    QResource::unregisterResource(path);
    if (error)
      *error = QStringLiteral("Cannot load the resource library %1: its string table is missing "
                              "or damaged.")
                   .arg(path);
    return false;
  }
  const QJsonObject strings = json.object();
  for (auto it = strings.begin(); it != strings.end(); ++it) {
    bool ok = false;
    const int id = it.key().toInt(&ok);
    if (ok)
      m_strings.insert(id, it.value().toString());
  }
  m_path = path;
  return true;
}

void ResourceLibrary::Unload()
{
  if (!m_path.isEmpty())
    QResource::unregisterResource(m_path);
  m_path.clear();
  m_strings.clear();
}

QString ResourceLibrary::String(int id) const
{
  const auto it = m_strings.constFind(id);
  return it == m_strings.constEnd() ? QStringLiteral("#%1").arg(id) : *it;
}

QString ResourceLibrary::Format(int id, const QString& a1, const QString& a2) const
{
  QString text = String(id);
  // Fill both inserts in one pass so an insert that itself holds "%2" stays as it is.
  text.replace(QLatin1String("%%"), QString(QChar(0xE000)));
  QString result;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('%') && i + 1 < text.size() &&
        (text[i + 1] == QLatin1Char('1') || text[i + 1] == QLatin1Char('2'))) {
      result += text[i + 1] == QLatin1Char('1') ? a1 : a2;
      ++i;
    } else if (text[i] == QChar(0xE000)) {
      result += QLatin1Char('%');
    } else {
      result += text[i];
    }
  }
  return result;
}

ResourceLibrary& ResourceLibrary::MutableInstance()
{
  static ResourceLibrary library;
  return library;
}

const ResourceLibrary& ResourceLibrary::Instance()
{
  return MutableInstance();
}

QString LoadString(int id)
{
  return ResourceLibrary::Instance().String(id);
}

} // namespace parlo
