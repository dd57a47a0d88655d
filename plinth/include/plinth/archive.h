// The object archive: stores or loads integers, counts, strings and objects in the byte format
// of archive_format.h, over a CFile through a buffer. Errors never throw: the first one becomes
// the archive's state (cause and byte offset), later operations do nothing and loads yield
// zeros, empty strings and null objects. Callers check Failed() when they are done.
#pragma once

#include "plinth/file.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CObject;
struct CRuntimeClass;
namespace plinth {
class PointerIndexMap;
}

// The eight causes of an archive error, plus none.
enum class ArchiveError : int {
  none = 0,
  generic = 1,   // damaged data or a failure of the file underneath
  readOnly = 2,  // a write into an archive that loads
  endOfFile = 3, // the data ended inside a value
  writeOnly = 4, // a read from an archive that stores
  badIndex = 5,  // a reference to an index that does not exist or is of the wrong kind
  badClass = 6,  // an unknown class, one that cannot be created, or of the wrong kind
  badSchema = 7, // a stored schema that differs from the class's
  other = 8,
};

// Short English text of a cause ("unexpected end of file", ...).
const char* ArchiveErrorText(ArchiveError cause);
class CArchive;
// The archive's error as a reader should see it: the cause, and for a class that cannot be
// used, the class's name as the file gives it.
std::string ArchiveErrorText(const CArchive& ar);

class CArchive
{
public:
  enum Mode { store = 0, load = 1 };

  // The file must stay open while the archive is used; the archive does not own it.
  CArchive(CFile* pFile, Mode nMode, size_t nBufSize = 4096);
  ~CArchive(); // flushes a storing archive that was not closed
  CArchive(const CArchive&) = delete;
  CArchive& operator=(const CArchive&) = delete;

  bool IsLoading() const { return m_nMode == load; }
  bool IsStoring() const { return m_nMode == store; }
  CFile* GetFile() const { return m_pFile; }
  // The file's path, for error reports.
  std::string GetFileName() const;

  // Writes what is buffered (storing). True when the archive has no error.
  bool Flush();
  bool Close();

  bool Failed() const { return m_error != ArchiveError::none; }
  ArchiveError GetError() const { return m_error; }
  // Byte offset of the value or record at which the error was found.
  uint64_t GetErrorOffset() const { return m_nErrorOffset; }
  // Platform error number when a file operation failed, else 0.
  int GetErrorNumber() const { return m_nErrorNumber; }
  // The class name the file gives where a record named a class that is unknown, cannot be
  // created or is of the wrong kind; empty for other errors.
  const std::string& GetErrorClassName() const { return m_strErrorClass; }
  // Records an error; the first one is kept.
  void SetError(ArchiveError cause);
  void SetError(ArchiveError cause, uint64_t offset);

  // Bytes stored or loaded so far.
  uint64_t GetPosition() const { return m_nPosition; }
  // Loading: true when no byte is left (also true after an error).
  bool AtEnd();

  // Raw bytes. Read fills all of count or fails with endOfFile (and zeroes the buffer).
  bool Read(void* buffer, size_t count);
  void Write(const void* buffer, size_t count);

  // Fixed-width values. A file's 32-bit fields take uint32_t or int32_t: long and unsigned
  // long are 64 bits on this platform.
  CArchive& operator<<(uint8_t v);
  CArchive& operator<<(int8_t v);
  CArchive& operator<<(uint16_t v);
  CArchive& operator<<(int16_t v);
  CArchive& operator<<(uint32_t v);
  CArchive& operator<<(int32_t v);
  CArchive& operator<<(uint64_t v);
  CArchive& operator<<(int64_t v);
  CArchive& operator<<(float v);
  CArchive& operator<<(double v);
  CArchive& operator<<(const std::string& s)
  {
    WriteString(s);
    return *this;
  }
  CArchive& operator>>(uint8_t& v);
  CArchive& operator>>(int8_t& v);
  CArchive& operator>>(uint16_t& v);
  CArchive& operator>>(int16_t& v);
  CArchive& operator>>(uint32_t& v);
  CArchive& operator>>(int32_t& v);
  CArchive& operator>>(uint64_t& v);
  CArchive& operator>>(int64_t& v);
  CArchive& operator>>(float& v);
  CArchive& operator>>(double& v);
  CArchive& operator>>(std::string& s)
  {
    ReadString(s);
    return *this;
  }

  void WriteCount(uint32_t count);
  uint32_t ReadCount();
  void WriteString(const std::string& s);
  std::string ReadString();
  void ReadString(std::string& s); // reuses the string's storage

  // Object records. A new object writes its class record (or a back-reference) and then its
  // Serialize; an object met before writes its index only.
  void WriteObject(const CObject* pObject);
  // Loads an object record; the class must be a kind of pClassRequested (nullptr: any).
  // Returns nullptr for a null object and on any error. *pbCreated tells a new object, which
  // the caller owns, from one met before, which belongs to whoever took it first.
  CObject* ReadObject(const CRuntimeClass* pClassRequested, bool* pbCreated = nullptr);
  void WriteClass(const CRuntimeClass* pClass);
  // A class record alone (new-class or back-reference); *pwSchema gets the stored schema.
  const CRuntimeClass* ReadClass(const CRuntimeClass* pClassRequested,
                                 uint16_t* pwSchema = nullptr);
  // While a loaded object's Serialize runs: the schema stored for its class.
  uint16_t GetObjectSchema() const { return m_wObjectSchema; }

private:
  struct LoadEntry
  {
    const CRuntimeClass* pClass = nullptr;
    CObject* pObject = nullptr;
    uint16_t wSchema = 0;
    bool bIsClass = false;
  };

  bool CanRead();
  bool CanWrite();
  bool FillBuffer();
  bool FlushBuffer();
  template <typename T> void WriteLE(T v);
  template <typename T> T ReadLE();
  void WriteIndex(uint32_t index, bool isClass);
  bool AddStoreEntry(const void* key);
  bool AddLoadEntry(const LoadEntry& entry, uint64_t offset);
  const CRuntimeClass* ReadNewClass(uint64_t offset, uint16_t* pwSchema);
  // Reads the tag of a record that starts at `offset`. A new class or a class back-reference
  // gives that class (a kind of pClassRequested, else a bad-class error) and its schema; an
  // object reference gives nullptr without an error and the object's map index (0: the null
  // object) in *pObjectIndex.
  const CRuntimeClass* ReadRecordClass(const CRuntimeClass* pClassRequested, uint64_t offset,
                                       uint16_t* pwSchema, uint32_t* pObjectIndex);

  CFile* m_pFile;
  Mode m_nMode;
  std::vector<uint8_t> m_buffer;
  size_t m_nBufPos = 0; // next byte in the buffer
  size_t m_nBufEnd = 0; // loading: bytes held in the buffer
  bool m_bFileEnded = false;
  uint64_t m_nPosition = 0;

  ArchiveError m_error = ArchiveError::none;
  uint64_t m_nErrorOffset = 0;
  int m_nErrorNumber = 0;
  std::string m_strErrorClass;

  uint16_t m_wObjectSchema = 0;
  uint32_t m_nMapCount = 0;
  std::unique_ptr<plinth::PointerIndexMap> m_pStoreMap; // storing only
  std::vector<LoadEntry> m_loadMap;
};

// Where archive errors are reported (the harness turns them into log lines with the cause text
// and the file name). nullptr, the default, reports nothing. Set it before any archive is used.
using ArchiveErrorReporter = void (*)(const CArchive& ar, unsigned int nLevel);
void SetArchiveErrorReporter(ArchiveErrorReporter pfnReporter);
// Passes a failed archive to the reporter; does nothing for an archive without error.
void ReportArchiveError(const CArchive& ar, unsigned int nLevel);
