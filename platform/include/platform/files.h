// Files and folders: the Linux form of the file calls the harness and components use.
// Paths use '/'. Every call returns one of the error numbers below (0 on success).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Error numbers as the original platform numbers them.
inline constexpr int kErrorSuccess = 0;
inline constexpr int kErrorFileNotFound = 2;
inline constexpr int kErrorPathNotFound = 3;
inline constexpr int kErrorTooManyOpenFiles = 4;
inline constexpr int kErrorAccessDenied = 5;
inline constexpr int kErrorNotEnoughMemory = 8;
inline constexpr int kErrorNoMoreFiles = 18;
inline constexpr int kErrorWriteProtect = 19;
inline constexpr int kErrorNotReady = 21; // no readable medium in the drive
inline constexpr int kErrorGenFailure = 31;
inline constexpr int kErrorSharingViolation = 32;
inline constexpr int kErrorFileExists = 80;
inline constexpr int kErrorInvalidParameter = 87;
inline constexpr int kErrorDiskFull = 112;
inline constexpr int kErrorInvalidName = 123; // a name the target cannot hold
inline constexpr int kErrorDirNotEmpty = 145;
inline constexpr int kErrorBadPathname = 161; // a path the target cannot reach
inline constexpr int kErrorAlreadyExists = 183;
inline constexpr int kErrorFilenameTooLong = 206;
inline constexpr int kErrorUnrecognizedVolume = 1005; // no file system known on the medium

// errno to error number. ENOENT is "file not found" here; the calls below tell a missing
// folder ("path not found") from a missing file themselves.
//   ENOENT 2; ENOTDIR, ELOOP 3; EMFILE, ENFILE 4; EACCES, EPERM, EISDIR 5; ENOMEM 8;
//   EROFS 19; EBUSY, ETXTBSY 32; EEXIST 80; EINVAL 87; ENOSPC, EDQUOT 112;
//   ENOTEMPTY 145; ENAMETOOLONG 206; anything else 31.
int ErrorFromErrno(int error);

// Attribute bits.
inline constexpr std::uint32_t kFileAttributeReadOnly = 0x01; // owner may not write
inline constexpr std::uint32_t kFileAttributeHidden = 0x02;   // name starts with '.'
inline constexpr std::uint32_t kFileAttributeDirectory = 0x10;
inline constexpr std::uint32_t kFileAttributeNormal = 0x80; // a file with no other bit

struct FileStatus
{
  std::int64_t creationTime = 0; // seconds since 1970; birth time where the file system
                                 // keeps it, else the last status change
  std::int64_t modificationTime = 0;
  // The same in nanoseconds, as finely as the file system keeps it: a file rewritten within
  // the second it was read tells apart only here.
  std::int64_t modificationTimeNs = 0;
  std::int64_t accessTime = 0;
  std::uint64_t size = 0;
  std::uint32_t attributes = 0;
  std::string fullName; // absolute path
};

// $TMPDIR, else /tmp; without a trailing separator when longer than one character.
std::string GetTempPath();

// The short form of an existing path is the path itself; a missing path fails (2 or 3).
int GetShortPathName(const std::string& path, std::string& shortPath);

// Times in whole seconds (the modification time also in nanoseconds). Follows symbolic links.
int GetFileStatus(const std::string& path, FileStatus& status);

int GetFileAttributes(const std::string& path, std::uint32_t& attributes);
// Only the read-only bit acts: set clears every write permission, clear gives the owner
// write permission back.
int SetFileAttributes(const std::string& path, std::uint32_t attributes);

// Copies contents, permissions and modification time. Overwriting goes through a temporary
// file in the target folder, so a failed copy leaves the old target whole. A read-only
// target is refused (5); failIfExists and an existing target gives 80.
int CopyFile(const std::string& from, const std::string& to, bool failIfExists);

// Renames a file or folder; an existing target is refused (183). A file moves across file
// systems by copy and delete.
int MoveFile(const std::string& from, const std::string& to);

// Deletes a file; a folder or a read-only file is refused (5).
int DeleteFile(const std::string& path);

// Creates one folder; 183 when it exists already.
int CreateDirectory(const std::string& path);

struct FindData
{
  std::string name; // file name only
  std::string path; // folder + '/' + name
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
  std::int64_t modificationTime = 0;
};

// Whether a name matches a wildcard pattern: "*" and "?", ignoring case; "*.*" matches every
// name; other characters stand for themselves.
bool MatchesWildcard(const std::string& pattern, const std::string& name);

// Walks the entries of one folder that match a wildcard pattern (MatchesWildcard), in name order
// ignoring case. "." and ".." are never listed. One finder belongs to one thread at a time.
class FileFinder
{
public:
  FileFinder() = default;
  FileFinder(const FileFinder&) = delete;
  FileFinder& operator=(const FileFinder&) = delete;

  // "folder/pattern" or a bare pattern for the current folder. 2 when nothing matches,
  // 3 when the folder is missing.
  int FindFirstFile(const std::string& pattern, FindData& data);
  // 18 after the last entry. Entries removed since FindFirstFile are skipped.
  int FindNextFile(FindData& data);
  void FindClose();

private:
  std::string folder_;
  std::vector<std::string> names_;
  std::size_t next_ = 0;
};

} // namespace platform
