// Media types as the filter sees them: subtype GUIDs, the video format block and the
// allocator properties, with the byte offsets of the format block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sorrel {

struct Guid
{
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  uint8_t data4[8] = {};

  bool operator==(const Guid& other) const;
};

// {XXXXXXXX-0000-0010-8000-00AA00389B71}: the subtype of a FOURCC.
Guid FourccSubtype(uint32_t fourcc);
// True when all but the first word equal those of a FOURCC subtype.
bool IsFourccSubtype(const Guid& subtype);

extern const Guid GUID_NULL_;
extern const Guid MEDIATYPE_Video;
extern const Guid FORMAT_VideoInfo;
extern const Guid MEDIASUBTYPE_CAIT;

// A video format block (VIDEOINFOHEADER, or the larger VIDEOINFO): byte offsets.
constexpr size_t kVideoInfoHeaderSize = 88;
constexpr size_t kVideoInfoSize = 1128;
constexpr size_t kOffsetAvgTimePerFrame = 40; // int64, 100 ns units
constexpr size_t kOffsetBitmapInfo = 48;      // BITMAPINFOHEADER, 40 bytes
constexpr size_t kBitmapInfoSize = 40;
constexpr size_t kBmiSize = 0, kBmiWidth = 4, kBmiHeight = 8, kBmiPlanes = 12, kBmiBitCount = 14,
                 kBmiCompression = 16, kBmiSizeImage = 20;

constexpr uint32_t kCaitSampleSize = 117453;

struct MediaType
{
  Guid majortype;
  Guid subtype;
  bool bFixedSizeSamples = false;
  bool bTemporalCompression = false;
  uint32_t lSampleSize = 0;
  Guid formattype;
  std::vector<uint8_t> format; // cbFormat is format.size()
};

// A video media type with a VIDEOINFOHEADER for the given frame description.
MediaType MakeVideoMediaType(uint32_t fourcc, int32_t width, int32_t height,
                             int64_t avgTimePerFrame, uint32_t sampleSize);

// Little-endian fields of a format block; false when the block is too short.
bool ReadFormatInt32(const std::vector<uint8_t>& format, size_t offset, int32_t* value);
bool ReadFormatInt64(const std::vector<uint8_t>& format, size_t offset, int64_t* value);
void WriteFormatInt32(std::vector<uint8_t>& format, size_t offset, int32_t value);
void WriteFormatInt16(std::vector<uint8_t>& format, size_t offset, int16_t value);
void WriteFormatInt64(std::vector<uint8_t>& format, size_t offset, int64_t value);

struct AllocatorProperties
{
  int32_t cBuffers = 0;
  int32_t cbBuffer = 0;
  int32_t cbAlign = 0;
  int32_t cbPrefix = 0;
};

// Outcomes of the filter's media-type and streaming operations.
enum class FilterResult { Ok, False, Unexpected, Fail, NoMoreItems, Pointer, OutOfMemory };
const char* FilterResultName(FilterResult result);

} // namespace sorrel
