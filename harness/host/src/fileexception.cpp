// Cause texts for file and archive failures.
#include "harness/fileexception.h"

#include "harness/stringids.h"

#include <cerrno>

namespace harness {

FileExceptionCause FileCauseFromErrno(int error)
{
  switch (error) {
  case 0:
    return FileExceptionCause::None;
  case ENOENT:
    return FileExceptionCause::FileNotFound;
  case ENOTDIR:
  case ENAMETOOLONG:
  case ELOOP:
    return FileExceptionCause::BadPath;
  case EMFILE:
  case ENFILE:
    return FileExceptionCause::TooManyOpenFiles;
  case EACCES:
  case EPERM:
  case EROFS:
    return FileExceptionCause::AccessDenied;
  case EISDIR:
  case EBADF:
    return FileExceptionCause::InvalidFile;
  case EBUSY:
    return FileExceptionCause::RemoveCurrentDir;
  case EMLINK:
    return FileExceptionCause::DirectoryFull;
  case ESPIPE:
    return FileExceptionCause::BadSeek;
  case EIO:
    return FileExceptionCause::HardIO;
  case ETXTBSY:
    return FileExceptionCause::SharingViolation;
  case EDEADLK:
  case ENOLCK:
    return FileExceptionCause::LockViolation;
  case ENOSPC:
  case EDQUOT:
  case EFBIG:
    return FileExceptionCause::DiskFull;
  default:
    return FileExceptionCause::Generic;
  }
}

ArchiveExceptionCause ArchiveCauseFromError(ArchiveError error)
{
  switch (error) {
  case ArchiveError::readOnly:
    return ArchiveExceptionCause::ReadOnly;
  case ArchiveError::endOfFile:
    return ArchiveExceptionCause::EndOfFile;
  case ArchiveError::writeOnly:
    return ArchiveExceptionCause::WriteOnly;
  case ArchiveError::badIndex:
    return ArchiveExceptionCause::BadIndex;
  case ArchiveError::badClass:
    return ArchiveExceptionCause::BadClass;
  case ArchiveError::badSchema:
    return ArchiveExceptionCause::BadSchema;
  case ArchiveError::other:
    return ArchiveExceptionCause::Other;
  case ArchiveError::none:
  case ArchiveError::generic:
    break;
  }
  return ArchiveExceptionCause::Generic;
}

namespace {

int FileCauseText(FileExceptionCause cause, int error)
{
  switch (cause) {
  case FileExceptionCause::Generic:
    return ids::kFileCauseGeneric;
  case FileExceptionCause::FileNotFound:
    return ids::kFileCauseNotFound;
  case FileExceptionCause::BadPath:
    return ids::kFileCauseBadPath;
  case FileExceptionCause::TooManyOpenFiles:
    return ids::kFileCauseTooManyOpen;
  case FileExceptionCause::AccessDenied:
    return ids::kFileCauseAccessDenied;
  case FileExceptionCause::InvalidFile:
    return ids::kFileCauseInvalidFile;
  case FileExceptionCause::RemoveCurrentDir:
    return ids::kFileCauseRemoveCurrentDir;
  case FileExceptionCause::DirectoryFull:
    return ids::kFileCauseDirectoryFull;
  case FileExceptionCause::BadSeek:
    return ids::kFileCauseBadSeek;
  case FileExceptionCause::HardIO:
    return error == 22 ? ids::kFileCauseHardIo22 : ids::kFileCauseHardIo;
  case FileExceptionCause::SharingViolation:
    return ids::kFileCauseSharing;
  case FileExceptionCause::LockViolation:
    return ids::kFileCauseLock;
  case FileExceptionCause::DiskFull:
    return ids::kFileCauseDiskFull;
  case FileExceptionCause::None:
  case FileExceptionCause::EndOfFile:
    break;
  }
  return ids::kFileCauseOther;
}

} // namespace

std::string FormatFileExceptionReport(const StringTable& strings, FileExceptionCause cause,
                                      const std::string& file, int error)
{
  if (cause == FileExceptionCause::None)
    return {};
  return strings.Format(ids::kFileReportLine,
                        {strings.Get(FileCauseText(cause, error)), file, std::to_string(error)});
}

std::string FormatArchiveExceptionReport(const StringTable& strings, ArchiveExceptionCause cause,
                                         const std::string& file)
{
  int id = ids::kArchiveCauseFirst + static_cast<int>(cause);
  return strings.Format(ids::kArchiveReportLine, {strings.Get(id), file});
}

} // namespace harness
