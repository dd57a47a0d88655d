// halvex-reg: reads and changes the registry from the command line, moves it in and out of .reg
// text files, and runs the RunOnce values at log-in. Exit codes: 0 done, 1 key or value not
// found (runonce: a program not found), 2 bad input or usage (runonce: any other failure).
#include "platform/files.h"
#include "platform/process.h"
#include "platform/regfile.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/standardoptions.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

using namespace platform;

namespace {

constexpr int kDone = 0;
constexpr int kNotFound = 1;
constexpr int kBadInput = 2;

const char* const kUsage =
    "Usage: halvex-reg [--registry FILE] COMMAND\n"
    "  import FILE.reg                 apply a .reg file (\"-\" reads standard input), all or "
    "nothing\n"
    "  export KEY [-o FILE]            write KEY and everything below it as a .reg file\n"
    "  query KEY [VALUE]               list KEY's values and sub-keys, or print one value\n"
    "  set KEY VALUE --type TYPE --data DATA\n"
    "                                  TYPE: REG_SZ, REG_EXPAND_SZ, REG_DWORD (decimal or 0x..),\n"
    "                                  REG_BINARY (hex bytes, e.g. 01,ff), REG_MULTI_SZ (texts\n"
    "                                  separated by \\0)\n"
    "  delete KEY [VALUE]              delete KEY with everything below it, or one value\n"
    "  runonce [--no-wait]             run every RunOnce value once, each deleted before it\n"
    "                                  runs, one after the other (--no-wait: all at once)\n"
    "KEY is HKEY_LOCAL_MACHINE\\Path or HKEY_CURRENT_USER\\Path (HKLM, HKCU); VALUE \"@\" is the\n"
    "default value. Without --registry the file is $HALVEX_REGISTRY or the per-user default.\n";

int Usage(const std::string& problem)
{
  std::cerr << "halvex-reg: " << problem << "\n" << kUsage;
  return kBadInput;
}

int RegistryFailure(const std::string& what, LONG code)
{
  std::cerr << "halvex-reg: " << what << ": " << RegErrorMessage(code);
  std::string detail = RegLastErrorDetail();
  if (!detail.empty() && code != ERROR_FILE_NOT_FOUND) {
    std::cerr << " (" << detail << ")";
  }
  std::cerr << "\n";
  return code == ERROR_FILE_NOT_FOUND ? kNotFound : kBadInput;
}

// Opens the key a command names; prints why it cannot.
std::optional<int> OpenNamedKey(const RegRoots& roots, const std::string& name, REGSAM access,
                                HKEY& key)
{
  HKEY predefined = nullptr;
  std::string path;
  if (!ParseRegKeyName(name, predefined, path)) {
    return Usage("\"" + name + "\" does not start with HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER");
  }
  HKEY root = predefined == HKEY_LOCAL_MACHINE ? roots.machine : roots.user;
  LONG result = RegOpenKeyEx(root, path.c_str(), 0, access, &key);
  if (result != ERROR_SUCCESS) {
    return RegistryFailure("cannot open " + name, result);
  }
  return std::nullopt;
}

std::string ValueNameArgument(const std::string& argument)
{
  return argument == "@" ? std::string() : argument;
}

std::string HexBytes(const std::string& data)
{
  std::string out;
  char item[4];
  for (std::size_t i = 0; i < data.size(); ++i) {
    std::snprintf(item, sizeof item, i == 0 ? "%02x" : ",%02x",
                  static_cast<unsigned char>(data[i]));
    out += item;
  }
  return out;
}

std::string FormatData(DWORD type, const std::string& data)
{
  switch (type) {
  case REG_SZ:
  case REG_EXPAND_SZ:
    return std::string(data.c_str(), strnlen(data.c_str(), data.size()));
  case REG_DWORD:
    if (data.size() == 4) {
      DWORD value = 0;
      std::memcpy(&value, data.data(), 4);
      return std::to_string(value);
    }
    return HexBytes(data);
  case REG_MULTI_SZ: {
    std::string out;
    std::size_t start = 0;
    while (start < data.size() && data[start] != '\0') {
      std::size_t end = data.find('\0', start);
      if (end == std::string::npos) {
        end = data.size();
      }
      if (!out.empty()) {
        out += "\\0";
      }
      out += data.substr(start, end - start);
      start = end + 1;
    }
    return out;
  }
  default:
    return HexBytes(data);
  }
}

bool ParseData(DWORD type, const std::string& text, std::string& data, std::string& why)
{
  switch (type) {
  case REG_SZ:
  case REG_EXPAND_SZ:
    data = text + '\0';
    return true;
  case REG_DWORD: {
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    std::string digits = hex ? text.substr(2) : text;
    if (digits.empty() || digits.size() > (hex ? 8u : 10u) ||
        digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") !=
            std::string::npos) {
      why = "REG_DWORD data must be a decimal or 0x-hex number";
      return false;
    }
    unsigned long long value = std::stoull(digits, nullptr, hex ? 16 : 10);
    if (value > 0xFFFFFFFFull) {
      why = "REG_DWORD data must be at most 4294967295";
      return false;
    }
    DWORD dword = static_cast<DWORD>(value);
    data.assign(reinterpret_cast<const char*>(&dword), sizeof dword);
    return true;
  }
  case REG_MULTI_SZ: {
    data.clear();
    std::size_t start = 0;
    while (start <= text.size()) {
      std::size_t end = text.find("\\0", start);
      std::string item =
          text.substr(start, end == std::string::npos ? std::string::npos : end - start);
      if (!item.empty()) {
        data += item + '\0';
      }
      if (end == std::string::npos) {
        break;
      }
      start = end + 2;
    }
    data += '\0';
    return true;
  }
  default: {
    std::string digits;
    for (char c : text) {
      if (c != ',' && c != ' ') {
        digits.push_back(c);
      }
    }
    if (digits.size() % 2 != 0 ||
        digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
      why = "binary data must be hex bytes, e.g. 01,ff,20";
      return false;
    }
    data.clear();
    for (std::size_t i = 0; i < digits.size(); i += 2) {
      data.push_back(static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    }
    return true;
  }
  }
}

LONG ReadValue(HKEY key, const std::string& name, DWORD& type, std::string& data)
{
  while (true) {
    DWORD size = 0;
    LONG result = RegQueryValueEx(key, name.c_str(), nullptr, &type, nullptr, &size);
    if (result != ERROR_SUCCESS) {
      return result;
    }
    data.assign(size, '\0');
    result = RegQueryValueEx(key, name.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(data.data()), &size);
    if (result != ERROR_MORE_DATA) {
      data.resize(size);
      return result;
    }
  }
}

int Import(const RegRoots& roots, const std::string& file)
{
  std::string text;
  if (file == "-") {
    text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      std::cerr << "halvex-reg: cannot read " << file << ": " << std::strerror(errno) << "\n";
      return kBadInput;
    }
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  RegFileError error;
  LONG result = ImportRegFile(text, roots, error);
  if (result != ERROR_SUCCESS) {
    std::cerr << "halvex-reg: " << file;
    if (error.line > 0) {
      std::cerr << ":" << error.line;
    }
    std::cerr << ": " << error.message << "; nothing was imported\n";
    return kBadInput;
  }
  return kDone;
}

int Export(const RegRoots& roots, const std::string& keyName, const std::string& output)
{
  HKEY predefined = nullptr;
  std::string path;
  if (!ParseRegKeyName(keyName, predefined, path)) {
    return Usage("\"" + keyName + "\" does not start with HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER");
  }
  std::string text;
  LONG result = ExportRegKey(roots, keyName, text);
  if (result != ERROR_SUCCESS) {
    return RegistryFailure("cannot export " + keyName, result);
  }
  if (output.empty()) {
    std::cout << text << std::flush;
    return std::cout ? kDone : kBadInput;
  }
  std::ofstream out(output, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) {
    std::cerr << "halvex-reg: cannot write " << output << "\n";
    return kBadInput;
  }
  return kDone;
}

int Query(const RegRoots& roots, const std::string& keyName, const std::string* valueName)
{
  HKEY key = nullptr;
  if (auto failed = OpenNamedKey(roots, keyName, KEY_READ, key)) {
    return *failed;
  }
  int status = kDone;
  if (valueName) {
    DWORD type = 0;
    std::string data;
    LONG result = ReadValue(key, ValueNameArgument(*valueName), type, data);
    if (result != ERROR_SUCCESS) {
      status = RegistryFailure("cannot read " + keyName + " " + *valueName, result);
    } else {
      std::cout << FormatData(type, data) << "\n";
    }
  } else {
    std::cout << keyName << "\n";
    std::vector<char> name(kMaxValueNameLength + 1);
    for (DWORD index = 0;; ++index) {
      DWORD nameSize = static_cast<DWORD>(name.size());
      LONG result =
          RegEnumValue(key, index, name.data(), &nameSize, nullptr, nullptr, nullptr, nullptr);
      if (result != ERROR_SUCCESS) {
        break;
      }
      std::string valueText(name.data(), nameSize);
      DWORD type = 0;
      std::string data;
      if (ReadValue(key, valueText, type, data) == ERROR_SUCCESS) {
        std::cout << "  " << (valueText.empty() ? "@" : valueText) << "\t" << RegTypeName(type)
                  << "\t" << FormatData(type, data) << "\n";
      }
    }
    for (DWORD index = 0;; ++index) {
      DWORD nameSize = static_cast<DWORD>(name.size());
      if (RegEnumKeyEx(key, index, name.data(), &nameSize, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS) {
        break;
      }
      std::cout << "  " << std::string(name.data(), nameSize) << "\\\n";
    }
  }
  RegCloseKey(key);
  return status;
}

int Set(const RegRoots& roots, const std::string& keyName, const std::string& valueName,
        const std::string& typeName, const std::string& dataText)
{
  DWORD type = 0;
  if (!ParseRegTypeName(typeName, type) || type == REG_NONE) {
    return Usage("unknown type \"" + typeName + "\"");
  }
  std::string data;
  std::string why;
  if (!ParseData(type, dataText, data, why)) {
    return Usage(why);
  }
  HKEY predefined = nullptr;
  std::string path;
  if (!ParseRegKeyName(keyName, predefined, path)) {
    return Usage("\"" + keyName + "\" does not start with HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER");
  }
  HKEY root = predefined == HKEY_LOCAL_MACHINE ? roots.machine : roots.user;
  HKEY key = nullptr;
  LONG result = RegCreateKeyEx(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (result != ERROR_SUCCESS) {
    return RegistryFailure("cannot create " + keyName, result);
  }
  result =
      RegSetValueEx(key, ValueNameArgument(valueName).c_str(), 0, type,
                    reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
  RegCloseKey(key);
  return result == ERROR_SUCCESS ? kDone : RegistryFailure("cannot set " + valueName, result);
}

int Delete(const RegRoots& roots, const std::string& keyName, const std::string* valueName)
{
  if (!valueName) {
    HKEY predefined = nullptr;
    std::string path;
    if (!ParseRegKeyName(keyName, predefined, path)) {
      return Usage("\"" + keyName +
                   "\" does not start with HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER");
    }
    if (path.empty()) {
      return Usage("a root key cannot be deleted");
    }
    HKEY root = predefined == HKEY_LOCAL_MACHINE ? roots.machine : roots.user;
    LONG result = RegDeleteTree(root, path.c_str());
    return result == ERROR_SUCCESS ? kDone : RegistryFailure("cannot delete " + keyName, result);
  }
  HKEY key = nullptr;
  if (auto failed = OpenNamedKey(roots, keyName, KEY_ALL_ACCESS, key)) {
    return *failed;
  }
  LONG result = RegDeleteValue(key, ValueNameArgument(*valueName).c_str());
  RegCloseKey(key);
  return result == ERROR_SUCCESS ? kDone : RegistryFailure("cannot delete " + *valueName, result);
}

// Runs the RunOnce values as a log-in does. The programs started see the same registry file.
int RunOnce(const std::string& registryFile, bool wait)
{
  if (!registryFile.empty()) {
    setenv("HALVEX_REGISTRY", registryFile.c_str(), 1);
  }
  std::vector<StartedProgram> started;
  const LONG result = RunRunOnceValues(wait, started);
  int status = kDone;
  for (const auto& program : started) {
    if (program.error == 0) {
      std::cout << "started " << program.source << ": " << JoinCommandLine(program.words) << "\n";
      continue;
    }
    if (program.error == ERROR_INVALID_DATA) {
      std::cerr << "halvex-reg: " << program.source << ": not a command line (deleted)\n";
    } else {
      std::cerr << "halvex-reg: " << program.source << ": cannot start "
                << JoinCommandLine(program.words) << " (error " << program.error << ")\n";
    }
    if (program.error == kErrorFileNotFound && status == kDone) {
      status = kNotFound;
    } else if (program.error != kErrorFileNotFound) {
      status = kBadInput;
    }
  }
  if (result != ERROR_SUCCESS) {
    return RegistryFailure("cannot run the RunOnce values", result);
  }
  return status;
}

int Run(std::vector<std::string> args)
{
  std::string registryFile;
  if (const auto answered = AnswerStandardOption(args, "halvex-reg", kUsage)) {
    return *answered;
  }
  if (args.size() >= 2 && args[0] == "--registry") {
    registryFile = args[1];
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.empty()) {
    return Usage("a command is needed");
  }
  if (args[0] == "runonce") {
    if (args.size() == 1 || (args.size() == 2 && args[1] == "--no-wait")) {
      return RunOnce(registryFile, args.size() == 1);
    }
    return Usage("runonce takes only --no-wait");
  }
  RegRoots roots;
  HKEY machine = nullptr;
  HKEY user = nullptr;
  if (!registryFile.empty()) {
    LONG result = RegConnectRegistryFile(registryFile, HKEY_LOCAL_MACHINE, &machine);
    if (result == ERROR_SUCCESS) {
      result = RegConnectRegistryFile(registryFile, HKEY_CURRENT_USER, &user);
    }
    if (result != ERROR_SUCCESS) {
      return RegistryFailure("cannot use " + registryFile, result);
    }
    roots = RegRoots{machine, user};
  }
  const std::string command = args[0];
  int status = kBadInput;
  if (command == "import" && args.size() == 2) {
    status = Import(roots, args[1]);
  } else if (command == "export" && args.size() == 2) {
    status = Export(roots, args[1], {});
  } else if (command == "export" && args.size() == 4 && args[2] == "-o") {
    status = Export(roots, args[1], args[3]);
  } else if (command == "query" && (args.size() == 2 || args.size() == 3)) {
    status = Query(roots, args[1], args.size() == 3 ? &args[2] : nullptr);
  } else if (command == "set" && args.size() == 7) {
    std::string type;
    std::string data;
    bool haveType = false;
    bool haveData = false;
    for (std::size_t i = 3; i + 1 < args.size(); i += 2) {
      if (args[i] == "--type") {
        type = args[i + 1];
        haveType = true;
      } else if (args[i] == "--data") {
        data = args[i + 1];
        haveData = true;
      }
    }
    status = haveType && haveData ? Set(roots, args[1], args[2], type, data)
                                  : Usage("set needs --type and --data");
  } else if (command == "delete" && (args.size() == 2 || args.size() == 3)) {
    status = Delete(roots, args[1], args.size() == 3 ? &args[2] : nullptr);
  } else {
    status = Usage("unknown command or wrong arguments: " + command);
  }
  if (machine) {
    RegCloseKey(machine);
  }
  if (user) {
    RegCloseKey(user);
  }
  return status;
}

} // namespace

int main(int argc, char** argv)
{
  try {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& error) {
    std::cerr << "halvex-reg: " << error.what() << "\n";
    return kBadInput;
  }
}
