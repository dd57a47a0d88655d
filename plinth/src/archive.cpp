// CArchive: the byte format of archive_format.h over a buffered CFile.
#include "plinth/archive.h"

#include "plinth/archive_format.h"
#include "plinth/object.h"

#include "pointer_index_map.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>

namespace fmt = plinth::archive_format;

namespace {

std::atomic<ArchiveErrorReporter> g_reporter{nullptr};

// Strings are read in slices, so a length field larger than the data costs no more memory
// than the data itself.
constexpr size_t kStringSlice = 64 * 1024;

} // namespace

const char* ArchiveErrorText(ArchiveError cause)
{
  switch (cause) {
  case ArchiveError::none:
    return "no error";
  case ArchiveError::generic:
    return "damaged data or a file error";
  case ArchiveError::readOnly:
    return "attempt to write into an archive opened for loading";
  case ArchiveError::endOfFile:
    return "unexpected end of file";
  case ArchiveError::writeOnly:
    return "attempt to read from an archive opened for storing";
  case ArchiveError::badIndex:
    return "invalid object or class reference";
  case ArchiveError::badClass:
    return "unknown or unexpected class";
  case ArchiveError::badSchema:
    return "class stored with a different schema";
  case ArchiveError::other:
    return "archive error";
  }
  return "archive error";
}

void SetArchiveErrorReporter(ArchiveErrorReporter pfnReporter)
{
  g_reporter.store(pfnReporter);
}

void ReportArchiveError(const CArchive& ar, unsigned int nLevel)
{
  ArchiveErrorReporter reporter = g_reporter.load();
  if (ar.Failed() && reporter != nullptr) {
    reporter(ar, nLevel);
  }
}

CArchive::CArchive(CFile* pFile, Mode nMode, size_t nBufSize)
    : m_pFile(pFile), m_nMode(nMode), m_buffer(std::max<size_t>(nBufSize, 16))
{
  if (IsStoring()) {
    m_pStoreMap = std::make_unique<plinth::PointerIndexMap>();
  }
  m_loadMap.emplace_back(); // index 0: the null object
}

CArchive::~CArchive()
{
  if (IsStoring()) {
    FlushBuffer();
  }
}

std::string CArchive::GetFileName() const
{
  return m_pFile ? m_pFile->GetFilePath() : std::string();
}

bool CArchive::Flush()
{
  if (IsStoring()) {
    FlushBuffer();
  }
  return !Failed();
}

bool CArchive::Close()
{
  return Flush();
}

std::string ArchiveErrorText(const CArchive& ar)
{
  std::string text = ArchiveErrorText(ar.GetError());
  if (!ar.GetErrorClassName().empty())
    text += " \"" + ar.GetErrorClassName() + "\"";
  return text;
}

void CArchive::SetError(ArchiveError cause)
{
  SetError(cause, m_nPosition);
}

void CArchive::SetError(ArchiveError cause, uint64_t offset)
{
  if (m_error == ArchiveError::none && cause != ArchiveError::none) {
    m_error = cause;
    m_nErrorOffset = offset;
  }
}

bool CArchive::CanRead()
{
  if (Failed()) {
    return false;
  }
  if (!IsLoading()) {
    SetError(ArchiveError::writeOnly);
    return false;
  }
  return true;
}

bool CArchive::CanWrite()
{
  if (Failed()) {
    return false;
  }
  if (!IsStoring()) {
    SetError(ArchiveError::readOnly);
    return false;
  }
  return true;
}

bool CArchive::FillBuffer()
{
  if (m_bFileEnded || m_pFile == nullptr) {
    return false;
  }
  m_nBufPos = 0;
  m_nBufEnd = m_pFile->Read(m_buffer.data(), m_buffer.size());
  if (m_nBufEnd == 0) {
    m_bFileEnded = true;
    if (m_pFile->GetLastError() != 0) {
      m_nErrorNumber = m_pFile->GetLastError();
      SetError(ArchiveError::generic);
    }
    return false;
  }
  return true;
}

bool CArchive::FlushBuffer()
{
  if (m_nBufPos == 0) {
    return true;
  }
  const size_t n = m_nBufPos;
  m_nBufPos = 0;
  if (Failed()) {
    return false;
  }
  if (m_pFile == nullptr || !m_pFile->Write(m_buffer.data(), n)) {
    m_nErrorNumber = m_pFile ? m_pFile->GetLastError() : 0;
    SetError(ArchiveError::generic);
    return false;
  }
  return true;
}

bool CArchive::AtEnd()
{
  if (!IsLoading() || Failed()) {
    return true;
  }
  return m_nBufPos >= m_nBufEnd && !FillBuffer();
}

bool CArchive::Read(void* buffer, size_t count)
{
  uint8_t* out = static_cast<uint8_t*>(buffer);
  if (!CanRead()) {
    std::memset(out, 0, count);
    return false;
  }
  const uint64_t start = m_nPosition;
  size_t done = 0;
  while (done < count) {
    if (m_nBufPos >= m_nBufEnd && !FillBuffer()) {
      SetError(ArchiveError::endOfFile, start);
      std::memset(out, 0, count);
      return false;
    }
    const size_t n = std::min(count - done, m_nBufEnd - m_nBufPos);
    std::memcpy(out + done, m_buffer.data() + m_nBufPos, n);
    m_nBufPos += n;
    done += n;
    m_nPosition += n;
  }
  return true;
}

void CArchive::Write(const void* buffer, size_t count)
{
  if (!CanWrite()) {
    return;
  }
  const uint8_t* in = static_cast<const uint8_t*>(buffer);
  while (count > 0) {
    if (m_nBufPos == m_buffer.size() && !FlushBuffer()) {
      return;
    }
    const size_t n = std::min(count, m_buffer.size() - m_nBufPos);
    std::memcpy(m_buffer.data() + m_nBufPos, in, n);
    m_nBufPos += n;
    m_nPosition += n;
    in += n;
    count -= n;
  }
}

template <typename T> void CArchive::WriteLE(T v)
{
  uint8_t bytes[sizeof(T)];
  std::memcpy(bytes, &v, sizeof(T));
  if constexpr (std::endian::native == std::endian::big) {
    std::reverse(bytes, bytes + sizeof(T));
  }
  // Small values go straight into the buffer; this is the hot path of every archive.
  if (!Failed() && IsStoring() && m_buffer.size() - m_nBufPos >= sizeof(T)) {
    std::memcpy(m_buffer.data() + m_nBufPos, bytes, sizeof(T));
    m_nBufPos += sizeof(T);
    m_nPosition += sizeof(T);
    return;
  }
  Write(bytes, sizeof(T));
}

template <typename T> T CArchive::ReadLE()
{
  uint8_t bytes[sizeof(T)];
  if (!Failed() && IsLoading() && m_nBufEnd - m_nBufPos >= sizeof(T)) {
    std::memcpy(bytes, m_buffer.data() + m_nBufPos, sizeof(T));
    m_nBufPos += sizeof(T);
    m_nPosition += sizeof(T);
  } else if (!Read(bytes, sizeof(T))) {
    return T{};
  }
  if constexpr (std::endian::native == std::endian::big) {
    std::reverse(bytes, bytes + sizeof(T));
  }
  T v;
  std::memcpy(&v, bytes, sizeof(T));
  return v;
}

// clang-format off
CArchive& CArchive::operator<<(uint8_t v) { WriteLE(v); return *this; }
CArchive& CArchive::operator<<(int8_t v) { WriteLE(v); return *this; }
CArchive& CArchive::operator<<(uint16_t v) { WriteLE(v); return *this; }
CArchive& CArchive::operator<<(int16_t v) { WriteLE(v); return *this; }
CArchive& CArchive::operator<<(uint32_t v) { WriteLE(v); return *this; }
CArchive& CArchive::operator<<(int32_t v) { WriteLE(v); return *this; }
CArchive& CArchive::operator<<(uint64_t v) { WriteLE(v); return *this; }
CArchive& CArchive::operator<<(int64_t v) { WriteLE(v); return *this; }
CArchive& CArchive::operator<<(float v) { WriteLE(v); return *this; }
CArchive& CArchive::operator<<(double v) { WriteLE(v); return *this; }
CArchive& CArchive::operator>>(uint8_t& v) { v = ReadLE<uint8_t>(); return *this; }
CArchive& CArchive::operator>>(int8_t& v) { v = ReadLE<int8_t>(); return *this; }
CArchive& CArchive::operator>>(uint16_t& v) { v = ReadLE<uint16_t>(); return *this; }
CArchive& CArchive::operator>>(int16_t& v) { v = ReadLE<int16_t>(); return *this; }
CArchive& CArchive::operator>>(uint32_t& v) { v = ReadLE<uint32_t>(); return *this; }
CArchive& CArchive::operator>>(int32_t& v) { v = ReadLE<int32_t>(); return *this; }
CArchive& CArchive::operator>>(uint64_t& v) { v = ReadLE<uint64_t>(); return *this; }
CArchive& CArchive::operator>>(int64_t& v) { v = ReadLE<int64_t>(); return *this; }
CArchive& CArchive::operator>>(float& v) { v = ReadLE<float>(); return *this; }
CArchive& CArchive::operator>>(double& v) { v = ReadLE<double>(); return *this; }
// clang-format on

void CArchive::WriteCount(uint32_t count)
{
  if (count < fmt::kCountEscape) {
    WriteLE(static_cast<uint16_t>(count));
  } else {
    WriteLE(fmt::kCountEscape);
    WriteLE(count);
  }
}

uint32_t CArchive::ReadCount()
{
  const uint16_t small = ReadLE<uint16_t>();
  if (small != fmt::kCountEscape) {
    return small;
  }
  return ReadLE<uint32_t>();
}

void CArchive::WriteString(const std::string& s)
{
  const size_t len = s.size();
  if (len > UINT32_MAX) {
    SetError(ArchiveError::other);
    return;
  }
  if (len < fmt::kString8Escape) {
    WriteLE(static_cast<uint8_t>(len));
  } else {
    WriteLE(fmt::kString8Escape);
    if (len < fmt::kString16Limit) {
      WriteLE(static_cast<uint16_t>(len));
    } else {
      WriteLE(fmt::kString16Escape);
      WriteLE(static_cast<uint32_t>(len));
    }
  }
  Write(s.data(), len);
}

std::string CArchive::ReadString()
{
  std::string s;
  ReadString(s);
  return s;
}

void CArchive::ReadString(std::string& s)
{
  s.clear();
  const uint64_t start = m_nPosition;
  uint32_t len = ReadLE<uint8_t>();
  if (len == fmt::kString8Escape) {
    const uint16_t len16 = ReadLE<uint16_t>();
    if (len16 == fmt::kString16Escape) {
      len = ReadLE<uint32_t>();
    } else if (len16 == fmt::kString16Limit) {
      // Reserved: never written as a length by any writer of this format.
      SetError(ArchiveError::generic, start);
      return;
    } else {
      len = len16;
    }
  }
  if (Failed()) {
    return;
  }
  if (m_nBufEnd - m_nBufPos >= len) {
    // The whole string is in the buffer: the common case.
    s.assign(reinterpret_cast<const char*>(m_buffer.data() + m_nBufPos), len);
    m_nBufPos += len;
    m_nPosition += len;
    return;
  }
  while (!Failed() && s.size() < len) {
    const size_t slice = std::min<size_t>(len - s.size(), kStringSlice);
    const size_t old = s.size();
    s.resize(old + slice);
    Read(s.data() + old, slice);
  }
  if (Failed()) {
    s.clear();
  }
}

void CArchive::WriteIndex(uint32_t index, bool isClass)
{
  if (index < fmt::kBigObjectTag) {
    WriteLE(static_cast<uint16_t>(isClass ? (fmt::kClassTag | index) : index));
  } else {
    WriteLE(fmt::kBigObjectTag);
    WriteLE(isClass ? (fmt::kBigClassTag | index) : index);
  }
}

bool CArchive::AddStoreEntry(const void* key)
{
  if (m_nMapCount >= fmt::kMaxIndex) {
    SetError(ArchiveError::other);
    return false;
  }
  m_pStoreMap->Insert(key, ++m_nMapCount);
  return true;
}

bool CArchive::AddLoadEntry(const LoadEntry& entry, uint64_t offset)
{
  if (m_loadMap.size() > fmt::kMaxIndex) {
    SetError(ArchiveError::badIndex, offset);
    return false;
  }
  m_loadMap.push_back(entry);
  return true;
}

void CArchive::WriteClass(const CRuntimeClass* pClass)
{
  if (!CanWrite()) {
    return;
  }
  if (uint32_t index = m_pStoreMap->Find(pClass)) {
    WriteIndex(index, true);
    return;
  }
  const size_t len = std::strlen(pClass->m_lpszClassName);
  if (len > UINT16_MAX) {
    SetError(ArchiveError::badClass);
    return;
  }
  WriteLE(fmt::kNewClassTag);
  WriteLE(pClass->m_wSchema);
  WriteLE(static_cast<uint16_t>(len));
  Write(pClass->m_lpszClassName, len);
  AddStoreEntry(pClass);
}

void CArchive::WriteObject(const CObject* pObject)
{
  if (!CanWrite()) {
    return;
  }
  if (pObject == nullptr) {
    WriteLE(fmt::kNullTag);
    return;
  }
  if (uint32_t index = m_pStoreMap->Find(pObject)) {
    WriteIndex(index, false);
    return;
  }
  const CRuntimeClass* pClass = pObject->GetRuntimeClass();
  if (pClass->m_pfnCreateObject == nullptr) {
    // A loader could never re-create it.
    SetError(ArchiveError::badClass);
    return;
  }
  WriteClass(pClass);
  if (!AddStoreEntry(pObject)) {
    return;
  }
  // Serialize is const in spirit when storing; the framework signature is shared with loading.
  const_cast<CObject*>(pObject)->Serialize(*this);
}

const CRuntimeClass* CArchive::ReadNewClass(uint64_t offset, uint16_t* pwSchema)
{
  const uint16_t schema = ReadLE<uint16_t>();
  const uint16_t len = ReadLE<uint16_t>();
  std::string name(len, '\0');
  Read(name.data(), len);
  if (Failed()) {
    return nullptr;
  }
  const CRuntimeClass* pClass = CRuntimeClass::FromName(name);
  if (pClass == nullptr || pClass->m_pfnCreateObject == nullptr) {
    if (!Failed())
      m_strErrorClass = name;
    SetError(ArchiveError::badClass, offset);
    return nullptr;
  }
  if (pClass->m_wSchema != schema) {
    SetError(ArchiveError::badSchema, offset);
    return nullptr;
  }
  LoadEntry entry;
  entry.pClass = pClass;
  entry.wSchema = schema;
  entry.bIsClass = true;
  if (!AddLoadEntry(entry, offset)) {
    return nullptr;
  }
  *pwSchema = schema;
  return pClass;
}

const CRuntimeClass* CArchive::ReadRecordClass(const CRuntimeClass* pClassRequested,
                                               uint64_t offset, uint16_t* pwSchema,
                                               uint32_t* pObjectIndex)
{
  *pObjectIndex = 0;
  const uint16_t tag = ReadLE<uint16_t>();
  if (Failed()) {
    return nullptr;
  }
  const CRuntimeClass* pClass = nullptr;
  if (tag == fmt::kNewClassTag) {
    pClass = ReadNewClass(offset, pwSchema);
  } else {
    uint32_t index = tag == fmt::kBigObjectTag
                         ? ReadLE<uint32_t>()
                         : (static_cast<uint32_t>(tag & fmt::kClassTag) << 16) | (tag & 0x7FFFu);
    if (Failed()) {
      return nullptr;
    }
    if ((index & fmt::kBigClassTag) == 0) {
      *pObjectIndex = index;
      return nullptr;
    }
    index &= ~fmt::kBigClassTag;
    if (index == 0 || index >= m_loadMap.size() || !m_loadMap[index].bIsClass) {
      SetError(ArchiveError::badIndex, offset);
      return nullptr;
    }
    pClass = m_loadMap[index].pClass;
    *pwSchema = m_loadMap[index].wSchema;
  }
  if (pClass != nullptr && pClassRequested != nullptr && !pClass->IsDerivedFrom(pClassRequested)) {
    if (!Failed())
      m_strErrorClass = pClass->m_lpszClassName;
    SetError(ArchiveError::badClass, offset);
    return nullptr;
  }
  return pClass;
}

const CRuntimeClass* CArchive::ReadClass(const CRuntimeClass* pClassRequested, uint16_t* pwSchema)
{
  if (!CanRead()) {
    return nullptr;
  }
  const uint64_t start = m_nPosition;
  uint16_t schema = 0;
  uint32_t objectIndex = 0;
  const CRuntimeClass* pClass = ReadRecordClass(pClassRequested, start, &schema, &objectIndex);
  if (pClass == nullptr) {
    // An object record, or the null object, where a class belongs.
    if (!Failed()) {
      SetError(ArchiveError::badIndex, start);
    }
    return nullptr;
  }
  if (pwSchema != nullptr) {
    *pwSchema = schema;
  }
  return pClass;
}

CObject* CArchive::ReadObject(const CRuntimeClass* pClassRequested, bool* pbCreated)
{
  if (pbCreated != nullptr) {
    *pbCreated = false;
  }
  if (!CanRead()) {
    return nullptr;
  }
  const uint64_t start = m_nPosition;
  uint16_t schema = 0;
  uint32_t objectIndex = 0;
  const CRuntimeClass* pClass = ReadRecordClass(pClassRequested, start, &schema, &objectIndex);
  if (pClass == nullptr) {
    if (Failed() || objectIndex == 0) {
      return nullptr; // an error, or the null object
    }
    if (objectIndex >= m_loadMap.size() || m_loadMap[objectIndex].bIsClass ||
        m_loadMap[objectIndex].pObject == nullptr) {
      SetError(ArchiveError::badIndex, start);
      return nullptr;
    }
    CObject* pSeen = m_loadMap[objectIndex].pObject;
    if (pClassRequested != nullptr && !pSeen->IsKindOf(pClassRequested)) {
      SetError(ArchiveError::badClass, start);
      return nullptr;
    }
    return pSeen;
  }
  CObject* pObject = pClass->CreateObject();
  if (pObject == nullptr) {
    SetError(ArchiveError::badClass, start);
    return nullptr;
  }
  LoadEntry entry;
  entry.pClass = pClass;
  entry.pObject = pObject;
  entry.wSchema = schema;
  if (!AddLoadEntry(entry, start)) {
    delete pObject;
    return nullptr;
  }
  const size_t slot = m_loadMap.size() - 1;
  const uint16_t outerSchema = m_wObjectSchema;
  m_wObjectSchema = schema;
  pObject->Serialize(*this);
  m_wObjectSchema = outerSchema;
  if (Failed()) {
    // Whatever referred to it can no longer succeed: the archive has failed for good.
    m_loadMap[slot].pObject = nullptr;
    delete pObject;
    return nullptr;
  }
  if (pbCreated != nullptr) {
    *pbCreated = true;
  }
  return pObject;
}
