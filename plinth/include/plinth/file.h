// Files an archive reads from or writes to: a file on disk, or bytes held in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CFile
{
public:
  enum OpenFlags : unsigned {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    modeCreate = 0x1000,     // create, truncating an existing file
    shareDenyWrite = 0x0020, // holds a shared lock, so a cooperating writer is kept out
  };

  CFile() = default;
  virtual ~CFile(); // closes
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // False on failure; GetLastError() then holds the platform error number.
  bool Open(const std::string& path, unsigned flags);
  virtual void Close();

  // Up to count bytes; 0 at the end of the data or on an error (GetLastError() non-zero).
  virtual size_t Read(void* buffer, size_t count);
  // All of count bytes, or false with GetLastError() set.
  virtual bool Write(const void* buffer, size_t count);
  virtual uint64_t GetLength() const;
  virtual bool IsOpen() const { return m_fd >= 0; }

  const std::string& GetFilePath() const { return m_strPath; }
  void SetFilePath(const std::string& path) { m_strPath = path; }
  int GetLastError() const { return m_nLastError; }

protected:
  int m_nLastError = 0;

private:
  int m_fd = -1;
  std::string m_strPath;
};

// Bytes in memory. Constructed over borrowed bytes it reads them in place (they must outlive
// the file); default-constructed it collects what is written.
class CMemFile : public CFile
{
public:
  CMemFile() = default;
  CMemFile(const void* data, size_t size);

  void Close() override {}
  size_t Read(void* buffer, size_t count) override;
  bool Write(const void* buffer, size_t count) override;
  uint64_t GetLength() const override;
  bool IsOpen() const override { return true; }

  // What has been written so far (default-constructed files only).
  const std::vector<uint8_t>& Data() const { return m_written; }

private:
  const uint8_t* m_pBorrowed = nullptr;
  size_t m_nBorrowed = 0;
  size_t m_nReadPos = 0;
  std::vector<uint8_t> m_written;
};
