// halvex-reg as a user runs it: a real program on a private registry file.
#include "platform/desktop_entry.h"
#include "platform/process.h"

#include "testsupport/tempfolder.h"

#include <gtest/gtest.h>

#include <map>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteText(const fs::path& path, const std::string& text)
{
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

std::string Quote(const std::string& arg)
{
  std::string quoted = "'";
  for (char c : arg) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

struct Outcome
{
  int status = -1;
  std::string out;
  std::string err;
};

class HalvexRegTest : public ::testing::Test
{
protected:
  testsupport::TempFolder m_temp;
  void SetUp() override
  {
    m_folder = m_temp.Path();
    m_registry = (m_folder / "registry.db").string();
    const char* build = std::getenv("HALVEX_BUILD_DIR");
    const char* source = std::getenv("HALVEX_SOURCE_DIR");
    ASSERT_TRUE(build && source) << "run through ctest";
    m_program = (fs::path(build) / "bin" / "halvex-reg").string();
    m_seed = (fs::path(source) / "share" / "demo" / "registry.reg").string();
  }

  // Runs halvex-reg with --registry and the arguments.
  Outcome Run(const std::vector<std::string>& args, bool withRegistry = true)
  {
    std::string command = Quote(m_program);
    if (withRegistry) {
      command += " --registry " + Quote(m_registry);
    }
    for (const auto& arg : args) {
      command += " " + Quote(arg);
    }
    fs::path out = m_folder / "out.txt";
    fs::path err = m_folder / "err.txt";
    command += " >" + Quote(out.string()) + " 2>" + Quote(err.string());
    int raw = std::system(command.c_str());
    Outcome outcome;
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.out = ReadText(out);
    outcome.err = ReadText(err);
    return outcome;
  }

  fs::path m_folder;
  std::string m_registry;
  std::string m_program;
  std::string m_seed;
};

const char kRoot[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvane\\Halvex";

TEST_F(HalvexRegTest, ImportsTheDemoSeedAndExportsItBack)
{
  Outcome imported = Run({"import", m_seed});
  ASSERT_EQ(imported.status, 0) << imported.err;

  Outcome exported = Run({"export", "HKLM\\software\\orvane"});
  ASSERT_EQ(exported.status, 0) << exported.err;
  EXPECT_NE(exported.out.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvane\\Halvex\\TestExecution]\n"
                              "\"RunAllStatus\"=dword:00000001\n"
                              "\"TestExecutionStatus\"=\"Prebootbatch\"\n"),
            std::string::npos)
      << exported.out;

  // Export to a file, import into a fresh registry, export again: the same text.
  fs::path file = m_folder / "copy.reg";
  ASSERT_EQ(Run({"export", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvane", "-o", file.string()}).status, 0);
  EXPECT_EQ(ReadText(file), exported.out);
  m_registry = (m_folder / "second.db").string();
  ASSERT_EQ(Run({"import", file.string()}).status, 0);
  EXPECT_EQ(Run({"export", "HKLM\\SOFTWARE\\Orvane"}).out, exported.out);
}

TEST_F(HalvexRegTest, SetQueryAndDeleteEveryType)
{
  struct Case
  {
    const char* type;
    const char* data;
    const char* shown;
  };
  const Case cases[] = {
      {"REG_SZ", "C:\\Halvex dir", "C:\\Halvex dir"},
      {"REG_EXPAND_SZ", "%HOME%/x", "%HOME%/x"},
      {"REG_DWORD", "0x2a", "42"},
      {"REG_DWORD", "4294967295", "4294967295"},
      {"REG_BINARY", "00,01,FF", "00,01,ff"},
      {"REG_MULTI_SZ", "one\\0two", "one\\0two"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.type) + " " + c.data);
    Outcome set = Run({"set", kRoot, "Value", "--type", c.type, "--data", c.data});
    ASSERT_EQ(set.status, 0) << set.err;
    Outcome query = Run({"query", kRoot, "value"});
    EXPECT_EQ(query.status, 0) << query.err;
    EXPECT_EQ(query.out, std::string(c.shown) + "\n");
    Outcome listed = Run({"query", kRoot});
    EXPECT_NE(listed.out.find(std::string("  Value\t") + c.type + "\t" + c.shown + "\n"),
              std::string::npos)
        << listed.out;
  }
  EXPECT_EQ(Run({"set", kRoot, "@", "--type", "REG_SZ", "--data", "default"}).status, 0);
  EXPECT_EQ(Run({"query", kRoot, "@"}).out, "default\n");

  EXPECT_EQ(Run({"delete", kRoot, "VALUE"}).status, 0);
  Outcome again = Run({"delete", kRoot, "Value"});
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.err.find("not found"), std::string::npos) << again.err;
  EXPECT_EQ(Run({"query", kRoot, "Value"}).status, 1);
  EXPECT_EQ(Run({"delete", "HKLM\\SOFTWARE\\Orvane"}).status, 0);
  EXPECT_EQ(Run({"query", kRoot}).status, 1);
  EXPECT_EQ(Run({"export", kRoot}).status, 1);
  EXPECT_EQ(Run({"delete", "HKLM\\SOFTWARE\\Orvane"}).status, 1);
}

TEST_F(HalvexRegTest, BadInputAndUsageExitWithTwo)
{
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate"},
      {"query"},
      {"query", "HKEY_USERS\\x"},
      {"set", kRoot, "v", "--type", "REG_QWORD", "--data", "1"},
      {"set", kRoot, "v", "--type", "REG_DWORD", "--data", "4294967296"},
      {"set", kRoot, "v", "--type", "REG_DWORD", "--data", "12abc"},
      {"set", kRoot, "v", "--type", "REG_BINARY", "--data", "0g"},
      {"set", kRoot, "v", "--type", "REG_SZ"},
      {"delete", "HKLM"},
      {"import", "/nonexistent/file.reg"},
      {"export", kRoot, "-x", "file"},
      {"runonce", "--wait"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(args.empty() ? "(none)" : args[0]);
    Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_NE(outcome.err.find("halvex-reg: "), std::string::npos) << outcome.err;
  }
}

TEST_F(HalvexRegTest, MalformedImportNamesTheLineAndChangesNothing)
{
  ASSERT_EQ(Run({"import", m_seed}).status, 0);
  const std::string before = Run({"export", "HKLM"}).out;
  fs::path bad = m_folder / "bad.reg";
  WriteText(bad, "REGEDIT4\n\n[HKLM\\SOFTWARE\\New]\n\"a\"=\"1\"\n[-HKLM\\SOFTWARE\\Orvane]\n"
                 "[HKLM\\x]\n\"b\"=dword:nothex\n");
  Outcome outcome = Run({"import", bad.string()});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.err, "halvex-reg: " + bad.string() +
                             ":7: a dword value needs 1 to 8 hex digits; nothing was imported\n");
  EXPECT_EQ(Run({"export", "HKLM"}).out, before);
}

TEST_F(HalvexRegTest, UsesTheEnvironmentsRegistryAndRefusesDamagedOnes)
{
  std::string envFile = (m_folder / "env" / "registry.db").string();
  setenv("HALVEX_REGISTRY", envFile.c_str(), 1);
  Outcome set = Run({"set", kRoot, "v", "--type", "REG_SZ", "--data", "x"}, false);
  unsetenv("HALVEX_REGISTRY");
  ASSERT_EQ(set.status, 0) << set.err;
  EXPECT_TRUE(fs::exists(envFile));
  EXPECT_FALSE(fs::exists(m_registry));

  WriteText(m_registry, "this is not a registry\n");
  Outcome damaged = Run({"query", kRoot});
  EXPECT_EQ(damaged.status, 2);
  EXPECT_NE(damaged.err.find("not a registry file"), std::string::npos) << damaged.err;
}

} // namespace

TEST_F(HalvexRegTest, RunOnceRunsEachValueOnceAndDeletesItFirst)
{
  const std::string runOnce = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
  EXPECT_EQ(Run({"runonce"}).status, 0) << "no RunOnce key: nothing to do";

  // Each program records its arguments and whether its own value was still there.
  const fs::path record = m_folder / "record.txt";
  const fs::path script = m_folder / "restart entry.sh";
  WriteText(script, "#!/bin/sh\n"
                    "\"" +
                        m_program + "\" query '" + runOnce +
                        "' \"$1\" >/dev/null 2>&1\n"
                        "echo \"$1 $2 value-status=$?\" >> '" +
                        record.string() + "'\n");
  fs::permissions(script, fs::perms::owner_all);
  const std::string program = "\"" + script.string() + "\"";
  ASSERT_EQ(Run({"set", runOnce, "Start HALVEX Exe", "--type", "REG_SZ", "--data",
                 program + " \"Start HALVEX Exe\" \"-run suite.ts\""})
                .status,
            0);
  ASSERT_EQ(
      Run({"set", runOnce, "Another", "--type", "REG_SZ", "--data", program + " Another"}).status,
      0);

  Outcome ran = Run({"runonce"});
  EXPECT_EQ(ran.status, 0) << ran.err;
  EXPECT_EQ(ReadText(record), "Another  value-status=1\n"
                              "Start HALVEX Exe -run suite.ts value-status=1\n")
      << "the values ran in name order, each after its value was deleted";
  EXPECT_NE(ran.out.find("started Start HALVEX Exe: "), std::string::npos) << ran.out;
  EXPECT_EQ(Run({"query", runOnce, "Another"}).status, 1);

  EXPECT_EQ(Run({"runonce"}).status, 0);
  EXPECT_EQ(ReadText(record), "Another  value-status=1\n"
                              "Start HALVEX Exe -run suite.ts value-status=1\n")
      << "nothing runs twice";

  // A program that is not there, and a value that is no command line: both deleted.
  ASSERT_EQ(Run({"set", runOnce, "Gone", "--type", "REG_SZ", "--data", "/nonexistent/prog"}).status,
            0);
  Outcome missing = Run({"runonce"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("Gone: cannot start /nonexistent/prog (error 2)"), std::string::npos)
      << missing.err;
  ASSERT_EQ(Run({"set", runOnce, "Number", "--type", "REG_DWORD", "--data", "5"}).status, 0);
  Outcome number = Run({"runonce", "--no-wait"});
  EXPECT_EQ(number.status, 2);
  EXPECT_NE(number.err.find("Number: not a command line"), std::string::npos) << number.err;
  EXPECT_EQ(Run({"query", runOnce}).out, runOnce + "\n") << "no value left";
}

TEST_F(HalvexRegTest, InstallationsAutostartEntryRunsTheRunOnceValues)
{
  const fs::path entry =
      fs::path(std::getenv("HALVEX_BUILD_DIR")) / "share/halvex/autostart/halvex-runonce.desktop";
  std::map<std::string, std::string> keys;
  ASSERT_TRUE(platform::ReadDesktopEntryGroup(ReadText(entry), keys)) << entry;
  std::vector<std::string> words;
  ASSERT_TRUE(platform::SplitDesktopExecValue(keys["Exec"], keys["Name"], entry, words));
  ASSERT_EQ(words, (std::vector<std::string>{m_program, "runonce"}));

  const fs::path marker = m_folder / "ran";
  ASSERT_EQ(Run({"set", "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", "Touch",
                 "--type", "REG_SZ", "--data", "touch \"" + marker.string() + "\""})
                .status,
            0);
  setenv("HALVEX_REGISTRY", m_registry.c_str(), 1);
  platform::ProgramResult result;
  platform::ProcessError error;
  ASSERT_TRUE(platform::RunProgram(words, 60000, result, error)) << error.message;
  unsetenv("HALVEX_REGISTRY");
  EXPECT_EQ(result.exitCode, 0u) << result.errors;
  EXPECT_TRUE(fs::exists(marker));
}
