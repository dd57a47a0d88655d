// Causes of file and archive failures and the report lines made of them.
#pragma once

#include "harness/stringtable.h"
#include "plinth/archive.h"

#include <string>

namespace harness {

enum class FileExceptionCause {
  None,
  Generic,
  FileNotFound,
  BadPath,
  TooManyOpenFiles,
  AccessDenied,
  InvalidFile,
  RemoveCurrentDir,
  DirectoryFull,
  BadSeek,
  HardIO,
  SharingViolation,
  LockViolation,
  DiskFull,
  EndOfFile,
};

enum class ArchiveExceptionCause {
  Generic,
  ReadOnly,
  EndOfFile,
  WriteOnly,
  BadIndex,
  BadClass,
  BadSchema,
  Other,
};

// The cause an errno value stands for; 0 is None.
FileExceptionCause FileCauseFromErrno(int error);

// The cause of a base-library archive error; the cause none counts as Generic.
ArchiveExceptionCause ArchiveCauseFromError(ArchiveError error);

// Cause text, file name and platform error as one line; empty for the cause None.
std::string FormatFileExceptionReport(const StringTable& strings, FileExceptionCause cause,
                                      const std::string& file, int error);

std::string FormatArchiveExceptionReport(const StringTable& strings, ArchiveExceptionCause cause,
                                         const std::string& file);

} // namespace harness
