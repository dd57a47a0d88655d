// The JSON report.
#include "harness/jsonreport.h"

#include "harness/reportfile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace harness {

namespace {

QString Q(const std::string& text)
{
  return QString::fromStdString(text);
}

QJsonObject ComponentObject(const ComponentFacts& facts)
{
  return QJsonObject{
      {QStringLiteral("className"), Q(facts.className)},
      {QStringLiteral("loaded"), facts.loaded},
      {QStringLiteral("oem"), Q(facts.oem)},
      {QStringLiteral("manufacturer"), Q(facts.manufacturer)},
      {QStringLiteral("model"), Q(facts.model)},
      {QStringLiteral("serialNumber"), Q(facts.serialNumber)},
      {QStringLiteral("driverVersion"), Q(facts.driverVersion)},
      {QStringLiteral("firmwareVersion"), Q(facts.firmwareVersion)},
  };
}

QJsonObject ExecutionObject(const ExecutionRecord& execution)
{
  QJsonArray output;
  for (const std::string& line : execution.output)
    output.append(Q(line));
  return QJsonObject{
      {QStringLiteral("number"), execution.number},
      {QStringLiteral("name"), Q(ExecutionName(execution))},
      {QStringLiteral("label"), Q(execution.label)},
      {QStringLiteral("iteration"), execution.iteration},
      {QStringLiteral("baseName"), Q(execution.baseName)},
      {QStringLiteral("component"), ComponentObject(execution.component)},
      {QStringLiteral("start"), IsoMoment(execution.start, true)},
      {QStringLiteral("end"), IsoMoment(execution.end, true)},
      {QStringLiteral("seconds"), SecondsBetween(execution.start, execution.end)},
      {QStringLiteral("status"), static_cast<qint64>(execution.status)},
      {QStringLiteral("statusText"), Q(execution.statusText)},
      {QStringLiteral("passed"), execution.passed},
      {QStringLiteral("output"), output},
  };
}

QJsonObject RunObject(const SuiteRunRecord& run)
{
  QJsonArray executions;
  for (const ExecutionRecord& execution : run.executions)
    executions.append(ExecutionObject(execution));
  return QJsonObject{
      {QStringLiteral("suite"), Q(run.name)},
      {QStringLiteral("file"), Q(run.filePath)},
      {QStringLiteral("state"), static_cast<int>(run.state)},
      {QStringLiteral("stateText"), Q(run.stateText)},
      {QStringLiteral("start"), IsoMoment(run.start, true)},
      {QStringLiteral("end"), IsoMoment(run.end, true)},
      {QStringLiteral("seconds"), SecondsBetween(run.start, run.end)},
      {QStringLiteral("planned"), run.total},
      {QStringLiteral("passed"), run.passed},
      {QStringLiteral("failed"), run.failed},
      {QStringLiteral("executions"), executions},
  };
}

// The runs of an earlier report; false when the file is no report of ours.
bool ReadEarlierRuns(const QString& name, QJsonArray& runs)
{
  QFile file(name);
  if (!file.open(QIODevice::ReadOnly))
    return false;
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
  if (error.error != QJsonParseError::NoError || !document.isObject() ||
      !document.object().value(QStringLiteral("runs")).isArray())
    return false;
  runs = document.object().value(QStringLiteral("runs")).toArray();
  return true;
}

} // namespace

ReportOutcome WriteJsonReport(const std::string& path, const SuiteRunRecord& run, bool append)
{
  ReportOutcome outcome;
  const QString name = Q(path);
  QJsonArray runs;
  if (append && QFile::exists(name) && !ReadEarlierRuns(name, runs)) {
    // The earlier runs are kept beside the new report, never overwritten.
    outcome.keptAs = PutAside(name).toStdString();
    if (outcome.keptAs.empty()) {
      outcome.error = "the earlier report cannot be read nor put aside";
      return outcome;
    }
    runs = QJsonArray();
  }
  runs.append(RunObject(run));
  QSaveFile file(name);
  if (!file.open(QIODevice::WriteOnly)) {
    outcome.error = file.errorString().toStdString();
    return outcome;
  }
  file.write(QJsonDocument(QJsonObject{{QStringLiteral("runs"), runs}}).toJson());
  if (!file.commit()) {
    outcome.error = file.errorString().toStdString();
    return outcome;
  }
  outcome.written = true;
  return outcome;
}

} // namespace harness
