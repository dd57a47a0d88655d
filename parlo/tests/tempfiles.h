// Files for the tests, in one private folder per test program.
#pragma once

#include <QByteArray>
#include <QString>

namespace parlo::test {

// The test program's private folder.
QString TempFolder();
QString TempPath(const QString& name);
// Writes the bytes to a file of the folder and returns its path.
QString WriteFile(const QString& name, const QByteArray& bytes);
void AppendFile(const QString& path, const QByteArray& bytes);

// Text like a log's in all its kinds: CR LF, LF and lone CR line ends, UTF-8, Latin-1 bytes,
// control bytes, long lines; the same for the same seed.
QByteArray MixedLog(unsigned seed, int pieces);

} // namespace parlo::test
