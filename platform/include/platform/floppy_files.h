// Files on the floppy: listing, copying to and from it, moving, renaming and deleting, done with
// mtools on the image file or block device ("-i"), never by mounting it.
//
// Paths on the floppy are DOS paths: "NAME.EXT", "\DIR\NAME.EXT" or "A:\DIR\NAME.EXT"; slashes
// may stand for backslashes. Every call returns an error number of platform/files.h (0 on
// success); before touching files each call checks the medium: kErrorNotReady when it cannot be
// read, kErrorUnrecognizedVolume when it holds no FAT file system.
#pragma once

#include <string>
#include <vector>

namespace platform {

struct FloppyEntry
{
  std::string name; // the long name where there is one, else the 8.3 name
  bool directory = false;
};

// One floppy (image or device). Calls take a few milliseconds each (one mtools run); use from
// one thread at a time.
class FloppyFiles
{
public:
  explicit FloppyFiles(std::string device);

  const std::string& Device() const { return m_device; }
  // What mtools said about the last failure ("Disk full", ...), for log lines.
  const std::string& LastErrorText() const { return m_lastError; }

  // Entries of one folder whose names match the pattern's last part ("*" and "?", ignoring
  // case, "*.*" every name), hidden and system files included, in the floppy's order; e.g.
  // "A:\*.bat*". kErrorFileNotFound when nothing matches, kErrorPathNotFound when the folder
  // is missing.
  int List(const std::string& pattern, std::vector<FloppyEntry>& entries) const;

  // The entry a path names; kErrorFileNotFound or kErrorPathNotFound when there is none.
  int Find(const std::string& floppyPath, FloppyEntry& entry) const;

  // Linux file onto the floppy. An existing target is replaced unless failIfExists
  // (kErrorFileExists). A full floppy gives kErrorDiskFull and leaves no partial file.
  int CopyTo(const std::string& linuxPath, const std::string& floppyPath, bool failIfExists) const;

  // Floppy file into Linux. The target is replaced whole or not at all (written beside it,
  // then renamed); failIfExists and an existing target gives kErrorFileExists.
  int CopyFrom(const std::string& floppyPath, const std::string& linuxPath,
               bool failIfExists) const;

  // Linux file onto the floppy, then the Linux file deleted. An existing target is refused
  // (kErrorAlreadyExists). When the source cannot be deleted the floppy copy is removed again.
  int MoveTo(const std::string& linuxPath, const std::string& floppyPath) const;

  // Renames or moves a file within the floppy; an existing target is refused
  // (kErrorAlreadyExists).
  int Rename(const std::string& fromPath, const std::string& toPath) const;

  // Deletes a file (not a folder: kErrorAccessDenied).
  int Delete(const std::string& floppyPath) const;

private:
  int CheckMedium() const;
  // A readable FAT medium on which the path names a file (not a folder).
  int CheckFile(const std::string& mtoolsPath) const;
  // One mtools run; its output is kept in m_lastOutput, its complaint in m_lastError.
  int Run(const std::vector<std::string>& words) const;
  int ListFolder(const std::string& mtoolsFolder, const std::string& pattern,
                 std::vector<FloppyEntry>& entries) const;
  int FindMtools(const std::string& mtoolsPath, FloppyEntry& entry) const;

  std::string m_device;
  mutable std::string m_lastOutput;
  mutable std::string m_lastError;
};

// "::/DIR/NAME" for mtools from a floppy path; false for an empty path or one holding a
// character FAT names cannot hold (control characters, ':' after the drive, '"', '*', '?',
// '<', '>', '|').
bool MtoolsPathFromFloppy(const std::string& floppyPath, std::string& mtoolsPath);

} // namespace platform
