// --help and --version for every program, so that their manual pages can be made from them.
#include "platform/standardoptions.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace platform {

namespace {

constexpr std::string_view kPackage = "Halvex";
constexpr std::string_view kCopyright = "Copyright (C) 2026 Orvane. All rights reserved.\n";
constexpr std::string_view kStandardOptionLines =
    "      --help     display this help and exit\n"
    "      --version  output version information and exit\n";

// Writes all of `text`; false (and why on standard error) when standard output refuses it, as
// when it is a full disk or a closed pipe.
bool WriteOut(std::string_view program, const std::string& text)
{
  const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
  if (std::fflush(stdout) == 0 && written && !std::ferror(stdout))
    return true;
  const int error = errno;
  std::fprintf(stderr, "%.*s: write error: %s\n", int(program.size()), program.data(),
               std::strerror(error));
  return false;
}

} // namespace

StandardOption FindStandardOption(const std::vector<std::string>& args)
{
  for (const std::string& arg : args) {
    if (arg == "--")
      break;
    if (arg == "--help")
      return StandardOption::Help;
    if (arg == "--version")
      return StandardOption::Version;
  }
  return StandardOption::None;
}

std::string HelpText(std::string_view help)
{
  std::string text(help);
  if (!text.empty() && text.back() != '\n')
    text += '\n';
  text += kStandardOptionLines;
  return text;
}

std::string VersionText(std::string_view program, const std::optional<FileVersion>& version)
{
  std::string text(program);
  text += " (";
  text += kPackage;
  text += ") ";
  text += version ? FormatFileVersion(version) : "unknown";
  text += '\n';
  text += kCopyright;
  return text;
}

std::optional<int> AnswerStandardOption(const std::vector<std::string>& args,
                                        std::string_view program, std::string_view help)
{
  std::string text;
  switch (FindStandardOption(args)) {
  case StandardOption::None:
    return std::nullopt;
  case StandardOption::Help:
    text = HelpText(help);
    break;
  case StandardOption::Version:
    text = VersionText(program, ReadFileVersion("/proc/self/exe"));
    break;
  }
  return WriteOut(program, text) ? 0 : 1;
}

std::optional<int> AnswerStandardOption(int argc, char** argv, std::string_view program,
                                        std::string_view help)
{
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i)
    args.emplace_back(argv[i]);
  return AnswerStandardOption(args, program, help);
}

} // namespace platform
