// The settings store on the registry: keys below HKEY_LOCAL_MACHINE through CRegKey.
#pragma once

#include "harness/settings.h"
#include "platform/regkey.h"

#include <cstdint>
#include <vector>

namespace harness {

class CRegistrySettingsStore : public SettingsStore
{
public:
  long Open(const std::string& keyPath) override;
  long Create(const std::string& keyPath) override;
  long ReadString(const std::string& name, std::string& out) override;
  long ReadDword(const std::string& name, std::uint32_t& out) override;
  long WriteString(const std::string& name, const std::string& value) override;
  long WriteDword(const std::string& name, std::uint32_t value) override;
  void Close() override;

  // REG_BINARY values (the bar layout). A value of another type reads as not found.
  long ReadBinary(const std::string& name, std::vector<std::uint8_t>& out);
  long WriteBinary(const std::string& name, const std::vector<std::uint8_t>& data);

private:
  CRegKey m_key;
};

// Where the bar layout and window geometry are kept, below the root key.
std::string WorkspaceKey(const std::string& rootKey);
inline constexpr const char* kBarStateValue = "BarState";

} // namespace harness
