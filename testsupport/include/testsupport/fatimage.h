// Real FAT images for the volume, floppy and DOS machine tests: made with mkfs.fat, filled with
// mcopy, both run as real programs.
#pragma once

#include "platform/process.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace testsupport {

// Runs a tool and reports its complaint as a test failure; true when it ended with 0.
inline bool RunTool(const std::vector<std::string>& words)
{
  platform::ProgramResult result;
  platform::ProcessError error;
  if (!platform::RunProgram(words, 60000, result, error)) {
    ADD_FAILURE() << words[0] << " did not start: " << error.message;
    return false;
  }
  if (result.exitCode != 0) {
    ADD_FAILURE() << words[0] << " ended with " << result.exitCode << ": " << result.errors;
    return false;
  }
  return true;
}

// A FAT image of `kilobytes` with the volume serial `serial` (8 hex digits); fatBits 0 lets
// mkfs.fat choose (FAT12 for floppy sizes).
inline bool MakeFatImage(const std::string& path, int kilobytes, const std::string& serial,
                         int fatBits = 0, const std::string& label = "HALVEX")
{
  std::vector<std::string> words = {"mkfs.fat", "-C", "-i", serial, "-n", label};
  if (fatBits != 0) {
    words.insert(words.end(), {"-F", std::to_string(fatBits)});
  }
  words.insert(words.end(), {path, std::to_string(kilobytes)});
  return RunTool(words);
}

// Puts a file with `text` onto the image at `floppyPath` ("::/NAME").
inline bool PutOnImage(const std::string& image, const std::string& scratch,
                       const std::string& text, const std::string& floppyPath)
{
  std::ofstream(scratch, std::ios::binary) << text;
  return RunTool({"mcopy", "-i", image, "-o", scratch, floppyPath});
}

} // namespace testsupport
