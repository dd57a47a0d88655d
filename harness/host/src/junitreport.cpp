// The JUnit XML report.
#include "harness/junitreport.h"

#include "harness/reportfile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace harness {

namespace {

QString Q(const std::string& text)
{
  return QString::fromStdString(text);
}

// Elements whose text is content; whitespace elsewhere only lays the file out.
bool KeepsWhitespace(const QStringList& open)
{
  return !open.isEmpty() &&
         (open.back() == QLatin1String("system-out") || open.back() == QLatin1String("failure"));
}

// Copies the <testsuite> elements of an earlier report (only reads it when `out` is null).
// False when it is no report of ours.
bool CopyEarlierRuns(const QString& name, QXmlStreamWriter* out, QString& error)
{
  QFile file(name);
  if (!file.open(QIODevice::ReadOnly)) {
    error = file.errorString();
    return false;
  }
  QXmlStreamReader in(&file);
  QStringList open;
  while (!in.atEnd()) {
    in.readNext();
    if (in.isStartDocument() || in.isEndDocument() || in.isComment() || in.isDTD() ||
        in.isProcessingInstruction())
      continue;
    if (open.isEmpty() && in.isStartElement() && in.name() != QLatin1String("testsuites")) {
      error = QStringLiteral("its root element is not <testsuites>");
      return false;
    }
    if (in.isStartElement())
      open.push_back(in.name().toString());
    // Only what lies inside the root; whitespace between elements is laid out anew.
    if (out != nullptr && open.size() >= 2 && !(in.isWhitespace() && !KeepsWhitespace(open)))
      out->writeCurrentToken(in);
    if (in.isEndElement())
      open.pop_back();
  }
  if (in.hasError()) {
    error = in.errorString();
    return false;
  }
  return true;
}

void WriteSuite(QXmlStreamWriter& out, const SuiteRunRecord& run)
{
  int failures = 0;
  double seconds = 0;
  for (const ExecutionRecord& execution : run.executions) {
    failures += execution.passed ? 0 : 1;
    seconds += SecondsBetween(execution.start, execution.end);
  }
  out.writeStartElement(QStringLiteral("testsuite"));
  out.writeAttribute(QStringLiteral("name"), Q(run.name));
  out.writeAttribute(QStringLiteral("tests"), QString::number(run.executions.size()));
  out.writeAttribute(QStringLiteral("failures"), QString::number(failures));
  out.writeAttribute(QStringLiteral("errors"), QStringLiteral("0"));
  out.writeAttribute(QStringLiteral("skipped"), QStringLiteral("0"));
  out.writeAttribute(QStringLiteral("time"),
                     QString::number(SecondsBetween(run.start, run.end), 'f', 3));
  out.writeAttribute(QStringLiteral("timestamp"), IsoMoment(run.start, false));
  out.writeStartElement(QStringLiteral("properties"));
  const std::pair<const char*, QString> properties[] = {
      {"file", Q(run.filePath)},
      {"state", Q(run.stateText)},
      {"planned", QString::number(run.total)},
      {"passed", QString::number(run.passed)},
      {"failed", QString::number(run.failed)},
  };
  for (const auto& [name, value] : properties) {
    out.writeEmptyElement(QStringLiteral("property"));
    out.writeAttribute(QStringLiteral("name"), QLatin1String(name));
    out.writeAttribute(QStringLiteral("value"), value);
  }
  out.writeEndElement();
  for (const ExecutionRecord& execution : run.executions) {
    out.writeStartElement(QStringLiteral("testcase"));
    out.writeAttribute(QStringLiteral("name"), Q(ExecutionName(execution)));
    out.writeAttribute(QStringLiteral("classname"), Q(execution.component.className));
    out.writeAttribute(QStringLiteral("time"),
                       QString::number(SecondsBetween(execution.start, execution.end), 'f', 3));
    if (!execution.passed) {
      out.writeStartElement(QStringLiteral("failure"));
      out.writeAttribute(QStringLiteral("message"), Q(execution.statusText));
      out.writeAttribute(QStringLiteral("type"), QString::number(execution.status));
      out.writeCharacters(Q(execution.statusText));
      out.writeEndElement();
    }
    if (!execution.output.empty()) {
      QStringList lines;
      for (const std::string& line : execution.output)
        lines << Q(line);
      out.writeTextElement(QStringLiteral("system-out"), lines.join(QLatin1Char('\n')));
    }
    out.writeEndElement();
  }
  out.writeEndElement();
}

} // namespace

std::string ExecutionName(const ExecutionRecord& execution)
{
  return execution.label + " #" + std::to_string(execution.iteration);
}

ReportOutcome WriteJUnitReport(const std::string& path, const SuiteRunRecord& run, bool append)
{
  ReportOutcome outcome;
  const QString name = Q(path);
  bool copyEarlier = append && QFile::exists(name);
  QString unreadable;
  if (copyEarlier && !CopyEarlierRuns(name, nullptr, unreadable)) {
    // The earlier runs are kept beside the new report, never overwritten.
    outcome.keptAs = PutAside(name).toStdString();
    if (outcome.keptAs.empty()) {
      outcome.error =
          "the earlier report cannot be read (" + unreadable.toStdString() + ") nor put aside";
      return outcome;
    }
    copyEarlier = false;
  }
  QSaveFile file(name);
  if (!file.open(QIODevice::WriteOnly)) {
    outcome.error = file.errorString().toStdString();
    return outcome;
  }
  QXmlStreamWriter out(&file);
  out.setAutoFormatting(true);
  out.writeStartDocument();
  out.writeStartElement(QStringLiteral("testsuites"));
  QString error;
  if (copyEarlier && !CopyEarlierRuns(name, &out, error)) {
    file.cancelWriting();
    outcome.error = "the earlier report changed while it was read: " + error.toStdString();
    return outcome;
  }
  WriteSuite(out, run);
  out.writeEndElement();
  out.writeEndDocument();
  if (out.hasError() || !file.commit()) {
    outcome.error = file.errorString().toStdString();
    return outcome;
  }
  outcome.written = true;
  return outcome;
}

} // namespace harness
