// Rows of the assertion table, in the order the snapshots copy them.
#include "sorrel/assertion_table.h"

namespace sorrel {

const AssertionRow AssertionTable[kAssertionTableRows] = {
    {0, 0, 0, "No Such Assertion ZERO - null assertion place holder."},
    {1, -1, 0, "Analog input supports decode to 720 pixel wide YVU 4:2:2."},
    {1, 1, SEVERITY_SHOULD, "Input is either 'YUY2' or 'UYVY' YVU 4:2:2 format."},
    {1, 2, SEVERITY_MUST, "Vertical resolution is PAL 576 line or NTSC 480 line standard."},
    {1, 3, SEVERITY_MUST,
     "Input frame rate is described as PAL 25.0fps or NTSC 29.97fps standard."},
    {1, 4, SEVERITY_MUST, "Horizontal resolution is 720, 704, 640, 512, 480, 360, or 352 pixels."},
    {2, -1, 0, "Frame rate is within 0.2% of PAL 25.0fps or NTSC 29.97fps standard."},
    {2, -1, 0, "Measures delivered and dropped frames over period of test."},
    {2, -1, 0, "Frames delivered with excess errors counted as dropped."},
    {2, -1, 0, "Dropped frames contribute to test failure."},
    {2, 1, SEVERITY_MUST, "Frame rate is within 20% of expected during first ten seconds."},
    {2, 2, SEVERITY_MUST,
     "Delivered frame rate is within 0.2% of PAL 25.0fps or NTSC 29.97fps standard."},
    {2, 3, SEVERITY_SHOULD, "Delivered frames have no pixel drops greater than 16 pixels in size."},
    {2, 4, SEVERITY_SHOULD, "Delivered frames have fewer than one hundred pixels dropped."},
    {2, 5, SEVERITY_MUST, "No more than 2 frames are dropped in each half second of capture."},
    {2, 6, SEVERITY_MUST, "No more than 3 frames are dropped in each minute of capture."},
    {2, 7, SEVERITY_MUST, "No more than 6 frames are dropped during test period."},
    {2, 8, SEVERITY_MUST, "No more than 0.1% of all input pixels are in error."},
    {3, -1, 0, "Video capture must support data rates of up to 3.7MB/s."},
    {3, -1, 0, "Video portion of this data rate is 3.5MB/s, allowing for CD audio."},
    {3, 1, SEVERITY_MUST, "Captured file contains 3.7MB/s of combined video and audio data."},
    {4, -1, 0, "Video input image orientation meets PC99 requirements."},
    {4, -1, 0, "Height indication sign bit is unused, not overloaded to indicate order"},
    {4, 1, SEVERITY_MUST, "Input VIDEOINFO's BITMAPINFOHEADER \"biHeight\" MSB is Zero."},
    {4, 2, SEVERITY_MUST, "Input VIDEOINFO's BITMAPINFOHEADER \"biHeight\" is either 480 or 576."},
    {4, 3, SEVERITY_MUST, "Input image is presented in top down order."},
    {4, 4, SEVERITY_MUST, "Input image is presented without field inversion."},
    {5, -1, 0, "Video input image quality meets PC99 requirements."},
    {5, -1, 0, "Differences from reference considered, both detail and average level."},
    {5, 1, SEVERITY_MUST, "Image Detail: Input image has correct image detail."},
    {5, 2, SEVERITY_MUST, "Image Levels: Input image has correct image levels."},
};

int FindAssertionRow(int32_t group, int32_t item)
{
  for (size_t row = 1; row < kAssertionTableRows; ++row) {
    if (AssertionTable[row].group == group && AssertionTable[row].item == item) {
      return int(row);
    }
  }
  return -1;
}

} // namespace sorrel
