// The JUnit and JSON reports of a real run of the probe's test cases, read back field by field;
// runs appended; an unreadable earlier report put aside; the progress and summary lines.
#include "harness/jsonreport.h"
#include "harness/junitreport.h"
#include "harness/runprogress.h"
#include "harness/runreports.h"
#include "runfixture.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QXmlStreamReader>

namespace harness::test {
namespace {

// One <testcase> as read back.
struct JUnitCase
{
  std::string suite;
  std::string name;
  std::string classname;
  bool hasTime = false;
  std::string failureMessage;
  std::string failureType;
  std::string output;
};

struct JUnitFile
{
  std::vector<std::map<std::string, std::string>> suites; // attributes of each <testsuite>
  std::vector<JUnitCase> cases;
  bool wellFormed = false;
};

JUnitFile ReadJUnit(const std::string& path)
{
  JUnitFile result;
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly))
    return result;
  QXmlStreamReader in(&file);
  std::string suite;
  while (!in.atEnd()) {
    in.readNext();
    if (!in.isStartElement())
      continue;
    const std::string name = in.name().toString().toStdString();
    if (name == "testsuites")
      continue;
    if (name == "testsuite") {
      std::map<std::string, std::string> attributes;
      for (const QXmlStreamAttribute& a : in.attributes())
        attributes[a.name().toString().toStdString()] = a.value().toString().toStdString();
      suite = attributes["name"];
      result.suites.push_back(attributes);
      continue;
    }
    if (name == "testcase") {
      JUnitCase c;
      c.suite = suite;
      c.name = in.attributes().value("name").toString().toStdString();
      c.classname = in.attributes().value("classname").toString().toStdString();
      c.hasTime = in.attributes().hasAttribute("time");
      while (in.readNextStartElement()) {
        if (in.name() == QLatin1String("failure")) {
          c.failureMessage = in.attributes().value("message").toString().toStdString();
          c.failureType = in.attributes().value("type").toString().toStdString();
          in.skipCurrentElement();
        } else if (in.name() == QLatin1String("system-out")) {
          c.output = in.readElementText().toStdString();
        } else {
          in.skipCurrentElement();
        }
      }
      result.cases.push_back(c);
      continue;
    }
    in.skipCurrentElement();
  }
  result.wellFormed = !in.hasError();
  return result;
}

QJsonObject ReadJson(const std::string& path)
{
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly))
    return {};
  return QJsonDocument::fromJson(file.readAll()).object();
}

class RunReportsTest : public RunFixture
{
protected:
  // A run of three executions: two pass, one fails, each with one result line.
  void RunNightly()
  {
    LoadProbe();
    CComponent* component = loader.FindComponentByClass("RunProbe");
    component->SetOEMName("Orvane OEM");
    component->SetManufacturer("Orvane");
    component->SetModelName("Lab model");
    component->SetSerialNum("SN-42");
    component->SetDriverVersion("2.1");
    component->SetFirmwareVersion("7.0");
    suite.m_strName = "Nightly";
    surface.path = "/suites/nightly.ts";
    Add("Pass then fail", 2, "Memory");
    Add("Pass", 1, "Boot <fast> & \"early\"");
    MakeEngine();
    RunToEnd();
  }
};

TEST_F(RunReportsTest, JUnitReportHoldsEveryExecution)
{
  RunNightly();
  const std::string path = folder.File("junit.xml");
  ASSERT_TRUE(WriteJUnitReport(path, record.Suite(), true).written);
  const JUnitFile junit = ReadJUnit(path);
  ASSERT_TRUE(junit.wellFormed);
  ASSERT_EQ(junit.suites.size(), 1u);
  auto suiteAttributes = junit.suites[0];
  EXPECT_EQ(suiteAttributes["name"], "Nightly");
  EXPECT_EQ(suiteAttributes["tests"], "3");
  EXPECT_EQ(suiteAttributes["failures"], "1");
  ASSERT_EQ(junit.cases.size(), 3u);
  struct Expected
  {
    const char* name;
    bool failed;
    const char* output;
  } expected[] = {
      {"Memory #1", false, "Memory: execution 1, pass"},
      {"Memory #2", true, "Memory: execution 2, fail"},
      {"Boot <fast> & \"early\" #1", false, "Boot <fast> & \"early\": execution 1, pass"}};
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(junit.cases[i].name, expected[i].name);
    EXPECT_EQ(junit.cases[i].classname, "RunProbe");
    EXPECT_TRUE(junit.cases[i].hasTime);
    EXPECT_EQ(junit.cases[i].output, expected[i].output);
    EXPECT_EQ(junit.cases[i].failureMessage,
              expected[i].failed ? RunStateText(strings, RunState::Failed) : "");
    EXPECT_EQ(junit.cases[i].failureType, expected[i].failed ? "5" : "");
  }
}

TEST_F(RunReportsTest, JsonReportHoldsTheSameFactsAndTheComponentRecord)
{
  RunNightly();
  const std::string path = folder.File("report.json");
  ASSERT_TRUE(WriteJsonReport(path, record.Suite(), true).written);
  const QJsonArray runs = ReadJson(path).value("runs").toArray();
  ASSERT_EQ(runs.size(), 1);
  const QJsonObject first = runs[0].toObject();
  EXPECT_EQ(first.value("suite").toString(), "Nightly");
  EXPECT_EQ(first.value("file").toString(), "/suites/nightly.ts");
  EXPECT_EQ(first.value("state").toInt(), static_cast<int>(RunState::Failed));
  EXPECT_EQ(first.value("stateText").toString().toStdString(),
            RunStateText(strings, RunState::Failed));
  EXPECT_EQ(first.value("planned").toInt(), 3);
  EXPECT_EQ(first.value("passed").toInt(), 2);
  EXPECT_EQ(first.value("failed").toInt(), 1);
  const QJsonArray done = first.value("executions").toArray();
  ASSERT_EQ(done.size(), 3);
  const QJsonObject second = done[1].toObject();
  EXPECT_EQ(second.value("number").toInt(), 2);
  EXPECT_EQ(second.value("label").toString(), "Memory");
  EXPECT_EQ(second.value("iteration").toInt(), 2);
  EXPECT_EQ(second.value("name").toString(), "Memory #2");
  EXPECT_EQ(second.value("status").toInt(), 5);
  EXPECT_FALSE(second.value("passed").toBool());
  EXPECT_EQ(second.value("output").toArray().at(0).toString(), "Memory: execution 2, fail");
  EXPECT_TRUE(done[0].toObject().value("passed").toBool());
  const QJsonObject component = second.value("component").toObject();
  const std::pair<const char*, const char*> facts[] = {
      {"className", "RunProbe"},  {"oem", "Orvane OEM"},     {"manufacturer", "Orvane"},
      {"model", "Lab model"},     {"serialNumber", "SN-42"}, {"driverVersion", "2.1"},
      {"firmwareVersion", "7.0"},
  };
  for (const auto& [key, value] : facts) {
    SCOPED_TRACE(key);
    EXPECT_EQ(component.value(key).toString().toStdString(), value);
  }
  EXPECT_TRUE(component.value("loaded").toBool());
  EXPECT_TRUE(QDateTime::fromString(first.value("start").toString(), Qt::ISODate).isValid());
}

TEST_F(RunReportsTest, RunsAreAppendedOrStartAfresh)
{
  RunNightly();
  const ReportPaths paths{folder.File("junit.xml"), folder.File("report.json")};
  for (int i = 0; i < 2; ++i)
    ASSERT_TRUE(WriteRunReports(record.Suite(), paths, true, strings, {}));
  EXPECT_EQ(ReadJUnit(paths.junit).suites.size(), 2u);
  EXPECT_EQ(ReadJUnit(paths.junit).cases.size(), 6u);
  EXPECT_EQ(ReadJson(paths.json).value("runs").toArray().size(), 2);
  // Output lines of the earlier runs survive the copy unchanged.
  EXPECT_EQ(ReadJUnit(paths.junit).cases[3].output, "Memory: execution 1, pass");
  ASSERT_TRUE(WriteRunReports(record.Suite(), paths, false, strings, {}));
  EXPECT_EQ(ReadJUnit(paths.junit).suites.size(), 1u);
  EXPECT_EQ(ReadJson(paths.json).value("runs").toArray().size(), 1);
  // Whole files only: no temporary file stays behind.
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
    files += entry.path().filename().string().rfind("junit", 0) == 0 ? 1 : 0;
  EXPECT_EQ(files, 1u);
}

TEST_F(RunReportsTest, AnUnreadableEarlierReportIsPutAside)
{
  RunNightly();
  struct Case
  {
    const char* name;
    const char* content;
  } cases[] = {{"junit.xml", "<testsuites><testsuite>"},
               {"other.xml", "<results/>"},
               {"report.json", "{\"runs\": 3}"},
               {"broken.json", "{"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    folder.Write(c.name, c.content);
    const std::string path = folder.File(c.name);
    const bool json = std::string(c.name).find(".json") != std::string::npos;
    std::vector<std::pair<unsigned, std::string>> logged;
    const ReportPaths paths{json ? "" : path, json ? path : ""};
    ASSERT_TRUE(WriteRunReports(
        record.Suite(), paths, true, strings,
        [&](unsigned level, const std::string& text) { logged.emplace_back(level, text); }));
    EXPECT_EQ(ReadAll(path + ".bak"), c.content);
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[0],
              std::make_pair(0u, strings.Format(ids::kReportUnreadable, {path, path + ".bak"})));
    EXPECT_EQ(logged[1], std::make_pair(2u, strings.Format(ids::kReportWritten, {path})));
    if (json) {
      EXPECT_EQ(ReadJson(path).value("runs").toArray().size(), 1);
    } else {
      EXPECT_EQ(ReadJUnit(path).suites.size(), 1u);
    }
  }
}

TEST_F(RunReportsTest, AReportThatCannotBeWrittenIsLogged)
{
  RunNightly();
  std::vector<std::pair<unsigned, std::string>> logged;
  const ReportPaths paths{folder.File("no/such/folder/junit.xml"), ""};
  EXPECT_FALSE(WriteRunReports(
      record.Suite(), paths, true, strings,
      [&](unsigned level, const std::string& text) { logged.emplace_back(level, text); }));
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0].first, 0u);
  EXPECT_EQ(logged[0].second.rfind(strings.Format(ids::kReportWriteFailed, {paths.junit, ""}), 0),
            0u);
}

TEST_F(RunReportsTest, ProgressAndSummaryLines)
{
  std::vector<std::string> lines;
  record.SetExecutionListener(
      [&](const ExecutionRecord& execution) { lines.push_back(ProgressLine(execution)); });
  record.SetSuiteListener(
      [&](const SuiteRunRecord& ended) { lines.push_back(SummaryLine(ended)); });
  RunNightly();
  const std::string passed = RunStateText(strings, RunState::Passed);
  const std::string failed = RunStateText(strings, RunState::Failed);
  const std::vector<std::string> expected = {
      "[1/3] Memory, iteration 1: " + passed,
      "[2/3] Memory, iteration 2: " + failed,
      "[3/3] Boot <fast> & \"early\", iteration 1: " + passed,
      "Nightly: 3 executions, 2 passed, 1 failed: " + failed,
  };
  EXPECT_EQ(lines, expected);
}

TEST(ReportPathsTest, CommandLineOverridesTheSettings)
{
  CHarnessSettings settings;
  settings.m_strJUnitReportPath = "/s/junit.xml";
  settings.m_strJsonReportPath = "/s/report.json";
  const ReportPaths fromSettings = EffectiveReportPaths(settings, {});
  EXPECT_EQ(fromSettings.junit, "/s/junit.xml");
  EXPECT_EQ(fromSettings.json, "/s/report.json");
  const ReportPaths fromCommandLine = EffectiveReportPaths(settings, {"/c/j.xml", ""});
  EXPECT_EQ(fromCommandLine.junit, "/c/j.xml");
  EXPECT_EQ(fromCommandLine.json, "/s/report.json");
}

} // namespace
} // namespace harness::test
