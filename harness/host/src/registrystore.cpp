// Settings store on CRegKey.
#include "harness/registrystore.h"

#include "platform/registry.h"

namespace harness {

using namespace platform;

long CRegistrySettingsStore::Open(const std::string& keyPath)
{
  return m_key.Open(HKEY_LOCAL_MACHINE, keyPath);
}

long CRegistrySettingsStore::Create(const std::string& keyPath)
{
  return m_key.CreateKeyString(HKEY_LOCAL_MACHINE, keyPath);
}

long CRegistrySettingsStore::ReadString(const std::string& name, std::string& out)
{
  return m_key.ReadString(name, out);
}

long CRegistrySettingsStore::ReadDword(const std::string& name, std::uint32_t& out)
{
  DWORD value = 0;
  LONG result = m_key.ReadDword(name, value);
  if (result == ERROR_SUCCESS)
    out = value;
  return result;
}

long CRegistrySettingsStore::WriteString(const std::string& name, const std::string& value)
{
  return m_key.WriteString(name, value);
}

long CRegistrySettingsStore::WriteDword(const std::string& name, std::uint32_t value)
{
  return m_key.WriteDword(name, value);
}

void CRegistrySettingsStore::Close()
{
  m_key.Close();
}

long CRegistrySettingsStore::ReadBinary(const std::string& name, std::vector<std::uint8_t>& out)
{
  DWORD type = REG_NONE;
  DWORD size = 0;
  LONG result = RegQueryValueEx(m_key.GetHandle(), name.c_str(), nullptr, &type, nullptr, &size);
  if (result != ERROR_SUCCESS)
    return result;
  if (type != REG_BINARY)
    return ERROR_FILE_NOT_FOUND;
  std::vector<std::uint8_t> data(size);
  result = RegQueryValueEx(m_key.GetHandle(), name.c_str(), nullptr, &type, data.data(), &size);
  if (result != ERROR_SUCCESS)
    return result;
  data.resize(size);
  out = std::move(data);
  return ERROR_SUCCESS;
}

long CRegistrySettingsStore::WriteBinary(const std::string& name,
                                         const std::vector<std::uint8_t>& data)
{
  return RegSetValueEx(m_key.GetHandle(), name.c_str(), 0, REG_BINARY, data.data(),
                       static_cast<DWORD>(data.size()));
}

std::string WorkspaceKey(const std::string& rootKey)
{
  return rootKey + "\\Workspace";
}

} // namespace harness
