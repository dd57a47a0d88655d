// Shared pieces of the report writers.
#include "harness/reportfile.h"

#include <QDateTime>
#include <QFile>

namespace harness {

QString IsoMoment(RunClock::time_point moment, bool withOffset)
{
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(moment.time_since_epoch()).count();
  const QDateTime local = QDateTime::fromMSecsSinceEpoch(ms);
  return (withOffset ? local.toOffsetFromUtc(local.offsetFromUtc()) : local).toString(Qt::ISODate);
}

double SecondsBetween(RunClock::time_point start, RunClock::time_point end)
{
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(end - start).count();
  return ms < 0 ? 0.0 : static_cast<double>(ms) / 1000.0;
}

QString PutAside(const QString& path)
{
  const QString aside = path + QStringLiteral(".bak");
  QFile::remove(aside);
  return QFile::rename(path, aside) ? aside : QString();
}

} // namespace harness
