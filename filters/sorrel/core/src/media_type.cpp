// GUID constants and format block access.
#include "sorrel/media_type.h"

#include <cstring>

namespace sorrel {

bool Guid::operator==(const Guid& other) const
{
  return data1 == other.data1 && data2 == other.data2 && data3 == other.data3 &&
         std::memcmp(data4, other.data4, sizeof data4) == 0;
}

Guid FourccSubtype(uint32_t fourcc)
{
  return Guid{fourcc, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}

bool IsFourccSubtype(const Guid& subtype)
{
  const Guid reference = FourccSubtype(subtype.data1);
  return reference == subtype;
}

const Guid GUID_NULL_{};
const Guid MEDIATYPE_Video = FourccSubtype(0x73646976); // 'vids'
const Guid FORMAT_VideoInfo{
    0x05589F80, 0xC356, 0x11CE, {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};
const Guid MEDIASUBTYPE_CAIT = FourccSubtype(0x54494143);

bool ReadFormatInt32(const std::vector<uint8_t>& format, size_t offset, int32_t* value)
{
  if (format.size() < 4 || offset > format.size() - 4) {
    return false;
  }
  const uint8_t* p = format.data() + offset;
  *value =
      int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
  return true;
}

bool ReadFormatInt64(const std::vector<uint8_t>& format, size_t offset, int64_t* value)
{
  int32_t low = 0, high = 0;
  if (!ReadFormatInt32(format, offset, &low) || !ReadFormatInt32(format, offset + 4, &high)) {
    return false;
  }
  *value = int64_t(uint64_t(uint32_t(high)) << 32 | uint32_t(low));
  return true;
}

void WriteFormatInt32(std::vector<uint8_t>& format, size_t offset, int32_t value)
{
  if (format.size() < offset + 4) {
    format.resize(offset + 4);
  }
  for (int k = 0; k < 4; ++k) {
    format[offset + k] = uint8_t(uint32_t(value) >> (8 * k));
  }
}

void WriteFormatInt16(std::vector<uint8_t>& format, size_t offset, int16_t value)
{
  if (format.size() < offset + 2) {
    format.resize(offset + 2);
  }
  format[offset] = uint8_t(uint16_t(value));
  format[offset + 1] = uint8_t(uint16_t(value) >> 8);
}

void WriteFormatInt64(std::vector<uint8_t>& format, size_t offset, int64_t value)
{
  WriteFormatInt32(format, offset, int32_t(uint32_t(uint64_t(value))));
  WriteFormatInt32(format, offset + 4, int32_t(uint32_t(uint64_t(value) >> 32)));
}

MediaType MakeVideoMediaType(uint32_t fourcc, int32_t width, int32_t height,
                             int64_t avgTimePerFrame, uint32_t sampleSize)
{
  MediaType type;
  type.majortype = MEDIATYPE_Video;
  type.subtype = FourccSubtype(fourcc);
  type.bFixedSizeSamples = true;
  type.lSampleSize = sampleSize;
  type.formattype = FORMAT_VideoInfo;
  type.format.assign(kVideoInfoHeaderSize, 0);
  WriteFormatInt64(type.format, kOffsetAvgTimePerFrame, avgTimePerFrame);
  WriteFormatInt32(type.format, kOffsetBitmapInfo + kBmiSize, int32_t(kBitmapInfoSize));
  WriteFormatInt32(type.format, kOffsetBitmapInfo + kBmiWidth, width);
  WriteFormatInt32(type.format, kOffsetBitmapInfo + kBmiHeight, height);
  WriteFormatInt16(type.format, kOffsetBitmapInfo + kBmiPlanes, 1);
  WriteFormatInt16(type.format, kOffsetBitmapInfo + kBmiBitCount, 16);
  WriteFormatInt32(type.format, kOffsetBitmapInfo + kBmiCompression, int32_t(fourcc));
  WriteFormatInt32(type.format, kOffsetBitmapInfo + kBmiSizeImage, int32_t(sampleSize));
  return type;
}

const char* FilterResultName(FilterResult result)
{
  switch (result) {
  case FilterResult::Ok:
    return "S_OK";
  case FilterResult::False:
    return "S_FALSE";
  case FilterResult::Unexpected:
    return "E_UNEXPECTED";
  case FilterResult::Fail:
    return "E_FAIL";
  case FilterResult::NoMoreItems:
    return "VFW_S_NO_MORE_ITEMS";
  case FilterResult::Pointer:
    return "E_POINTER";
  case FilterResult::OutOfMemory:
    return "E_OUTOFMEMORY";
  }
  return "?";
}

} // namespace sorrel
