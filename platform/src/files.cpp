// File calls over POSIX, answering with the original platform's error numbers.
#include "platform/files.h"

#include "platform/fdio.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <stdio.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace platform {

namespace {

std::string ParentOf(const std::string& path)
{
  const auto slash = path.rfind('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsFolder(const std::string& path)
{
  struct stat info
  {
  };
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A missing entry is "file not found" when its folder exists, else "path not found".
int ErrorForPath(int error, const std::string& path)
{
  if (error == ENOENT && !IsFolder(ParentOf(path)))
    return kErrorPathNotFound;
  return ErrorFromErrno(error);
}

std::uint32_t AttributesOf(const struct stat& info, const std::string& name)
{
  std::uint32_t attributes = 0;
  if ((info.st_mode & S_IWUSR) == 0)
    attributes |= kFileAttributeReadOnly;
  if (!name.empty() && name[0] == '.' && name != "." && name != "..")
    attributes |= kFileAttributeHidden;
  if (S_ISDIR(info.st_mode))
    attributes |= kFileAttributeDirectory;
  return attributes ? attributes : kFileAttributeNormal;
}

class Descriptor
{
public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor()
  {
    if (fd_ >= 0)
      close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // Closes now so that a write error reported by close is not lost.
  int Close()
  {
    const int result = close(fd_);
    fd_ = -1;
    return result;
  }

private:
  int fd_;
};

// Copies every byte of an open source into an open target; 0 or an errno value.
int CopyContents(int source, int target)
{
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t got = read(source, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR)
        continue;
      return errno;
    }
    if (got == 0)
      return 0;
    if (int error = WriteAll(target, buffer, static_cast<std::size_t>(got)))
      return error;
  }
}

// Copies source into an already open target and gives it the source's mode and times.
int FillTarget(int source, const struct stat& info, Descriptor& target)
{
  int error = CopyContents(source, target.get());
  if (error == 0 && fchmod(target.get(), info.st_mode & 07777) != 0)
    error = errno;
  const struct timespec times[2] = {info.st_atim, info.st_mtim};
  if (error == 0 && futimens(target.get(), times) != 0)
    error = errno;
  if (error == 0 && fsync(target.get()) != 0)
    error = errno;
  if (target.Close() != 0 && error == 0)
    error = errno;
  return error;
}

// "*.*" means every name; '[' and '\' are plain characters in these patterns.
std::string FnmatchPattern(const std::string& pattern)
{
  if (pattern == "*.*")
    return "*";
  std::string out;
  for (char c : pattern) {
    if (c == '[' || c == ']' || c == '\\')
      out += '\\';
    out += c;
  }
  return out;
}

bool NameLess(const std::string& a, const std::string& b)
{
  const int folded = strcasecmp(a.c_str(), b.c_str());
  return folded != 0 ? folded < 0 : a < b;
}

} // namespace

int ErrorFromErrno(int error)
{
  switch (error) {
  case 0:
    return kErrorSuccess;
  case ENOENT:
    return kErrorFileNotFound;
  case ENOTDIR:
  case ELOOP:
    return kErrorPathNotFound;
  case EMFILE:
  case ENFILE:
    return kErrorTooManyOpenFiles;
  case EACCES:
  case EPERM:
  case EISDIR:
    return kErrorAccessDenied;
  case ENOMEM:
    return kErrorNotEnoughMemory;
  case EROFS:
    return kErrorWriteProtect;
  case EBUSY:
  case ETXTBSY:
    return kErrorSharingViolation;
  case EEXIST:
    return kErrorFileExists;
  case EINVAL:
    return kErrorInvalidParameter;
  case ENOSPC:
  case EDQUOT:
    return kErrorDiskFull;
  case ENOTEMPTY:
    return kErrorDirNotEmpty;
  case ENAMETOOLONG:
    return kErrorFilenameTooLong;
  default:
    return kErrorGenFailure;
  }
}

std::string GetTempPath()
{
  const char* tmpdir = std::getenv("TMPDIR");
  std::string path = tmpdir && *tmpdir ? tmpdir : "/tmp";
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  return path;
}

int GetShortPathName(const std::string& path, std::string& shortPath)
{
  struct stat info
  {
  };
  if (path.empty())
    return kErrorInvalidParameter;
  if (stat(path.c_str(), &info) != 0)
    return ErrorForPath(errno, path);
  shortPath = path;
  return kErrorSuccess;
}

int GetFileStatus(const std::string& path, FileStatus& status)
{
  struct statx info
  {
  };
  if (path.empty())
    return kErrorInvalidParameter;
  if (statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &info) != 0)
    return ErrorForPath(errno, path);
  struct stat basic
  {
  };
  basic.st_mode = info.stx_mode;
  status.creationTime =
      (info.stx_mask & STATX_BTIME) ? info.stx_btime.tv_sec : info.stx_ctime.tv_sec;
  status.modificationTime = info.stx_mtime.tv_sec;
  status.modificationTimeNs =
      info.stx_mtime.tv_sec * std::int64_t{1000000000} + info.stx_mtime.tv_nsec;
  status.accessTime = info.stx_atime.tv_sec;
  status.size = info.stx_size;
  status.attributes = AttributesOf(basic, NameOf(path));
  std::error_code error;
  status.fullName = std::filesystem::absolute(path, error).lexically_normal().string();
  if (error)
    status.fullName = path;
  return kErrorSuccess;
}

int GetFileAttributes(const std::string& path, std::uint32_t& attributes)
{
  struct stat info
  {
  };
  if (path.empty())
    return kErrorInvalidParameter;
  if (stat(path.c_str(), &info) != 0)
    return ErrorForPath(errno, path);
  attributes = AttributesOf(info, NameOf(path));
  return kErrorSuccess;
}

int SetFileAttributes(const std::string& path, std::uint32_t attributes)
{
  struct stat info
  {
  };
  if (path.empty())
    return kErrorInvalidParameter;
  if (stat(path.c_str(), &info) != 0)
    return ErrorForPath(errno, path);
  mode_t mode = info.st_mode & 07777;
  mode = (attributes & kFileAttributeReadOnly) ? mode & ~mode_t{0222} : mode | S_IWUSR;
  if (chmod(path.c_str(), mode) != 0)
    return ErrorForPath(errno, path);
  return kErrorSuccess;
}

int CopyFile(const std::string& from, const std::string& to, bool failIfExists)
{
  if (from.empty() || to.empty())
    return kErrorInvalidParameter;
  Descriptor source(open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (source.get() < 0)
    return ErrorForPath(errno, from);
  struct stat info
  {
  };
  if (fstat(source.get(), &info) != 0)
    return ErrorFromErrno(errno);
  if (!S_ISREG(info.st_mode))
    return kErrorAccessDenied;

  if (failIfExists) {
    Descriptor target(open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (target.get() < 0)
      return ErrorForPath(errno, to);
    if (const int error = FillTarget(source.get(), info, target)) {
      unlink(to.c_str());
      return ErrorFromErrno(error);
    }
    return kErrorSuccess;
  }

  struct stat existing
  {
  };
  if (stat(to.c_str(), &existing) == 0) {
    if (S_ISDIR(existing.st_mode) || (existing.st_mode & S_IWUSR) == 0)
      return kErrorAccessDenied;
    if (existing.st_dev == info.st_dev && existing.st_ino == info.st_ino)
      return kErrorSuccess; // a file copied onto itself stays as it is
  }
  std::string temporary = ParentOf(to) + "/." + NameOf(to) + ".copy-XXXXXX";
  Descriptor target(mkostemp(temporary.data(), O_CLOEXEC));
  if (target.get() < 0)
    return ErrorForPath(errno, to);
  int error = FillTarget(source.get(), info, target);
  if (error == 0 && rename(temporary.c_str(), to.c_str()) != 0)
    error = errno;
  if (error != 0) {
    unlink(temporary.c_str());
    return ErrorFromErrno(error);
  }
  return kErrorSuccess;
}

int MoveFile(const std::string& from, const std::string& to)
{
  if (from.empty() || to.empty())
    return kErrorInvalidParameter;
  struct stat info
  {
  };
  if (lstat(from.c_str(), &info) != 0)
    return ErrorForPath(errno, from);
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
    return kErrorSuccess;
  int error = errno;
  if (error == EINVAL) {
    // File systems without no-replace renames: check, then rename.
    struct stat existing
    {
    };
    if (lstat(to.c_str(), &existing) == 0)
      return kErrorAlreadyExists;
    if (rename(from.c_str(), to.c_str()) == 0)
      return kErrorSuccess;
    error = errno;
  }
  if (error == EEXIST)
    return kErrorAlreadyExists;
  if (error == EXDEV && S_ISREG(info.st_mode)) {
    if (const int copied = CopyFile(from, to, true))
      return copied == kErrorFileExists ? kErrorAlreadyExists : copied;
    if (unlink(from.c_str()) != 0) {
      const int removeError = errno;
      unlink(to.c_str()); // keep one copy only: the original
      return ErrorFromErrno(removeError);
    }
    return kErrorSuccess;
  }
  return ErrorForPath(error, to);
}

int DeleteFile(const std::string& path)
{
  struct stat info
  {
  };
  if (path.empty())
    return kErrorInvalidParameter;
  if (lstat(path.c_str(), &info) != 0)
    return ErrorForPath(errno, path);
  if (S_ISDIR(info.st_mode) || (S_ISREG(info.st_mode) && (info.st_mode & S_IWUSR) == 0))
    return kErrorAccessDenied;
  if (unlink(path.c_str()) != 0)
    return ErrorForPath(errno, path);
  return kErrorSuccess;
}

int CreateDirectory(const std::string& path)
{
  if (path.empty())
    return kErrorInvalidParameter;
  if (mkdir(path.c_str(), 0777) == 0)
    return kErrorSuccess;
  if (errno == EEXIST)
    return kErrorAlreadyExists;
  return ErrorForPath(errno, path);
}

bool MatchesWildcard(const std::string& pattern, const std::string& name)
{
  const std::string wildcard = FnmatchPattern(pattern);
  return !wildcard.empty() && fnmatch(wildcard.c_str(), name.c_str(), FNM_CASEFOLD) == 0;
}

int FileFinder::FindFirstFile(const std::string& pattern, FindData& data)
{
  FindClose();
  const auto slash = pattern.rfind('/');
  folder_ = slash == std::string::npos ? "." : (slash == 0 ? "/" : pattern.substr(0, slash));
  const std::string wildcard = NameOf(pattern);
  if (wildcard.empty())
    return kErrorFileNotFound;

  DIR* dir = opendir(folder_.c_str());
  if (!dir) {
    const int error = errno;
    return error == ENOENT || error == ENOTDIR ? kErrorPathNotFound : ErrorFromErrno(error);
  }
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..")
      continue;
    if (MatchesWildcard(wildcard, name))
      names_.push_back(name);
  }
  closedir(dir);
  std::sort(names_.begin(), names_.end(), NameLess);
  const int result = FindNextFile(data);
  return result == kErrorNoMoreFiles ? kErrorFileNotFound : result;
}

int FileFinder::FindNextFile(FindData& data)
{
  while (next_ < names_.size()) {
    const std::string& name = names_[next_++];
    const std::string path = (folder_ == "/" ? "" : folder_) + "/" + name;
    struct stat info
    {
    };
    if (stat(path.c_str(), &info) != 0 && lstat(path.c_str(), &info) != 0)
      continue; // removed since the folder was read
    data.name = name;
    data.path = path;
    data.attributes = AttributesOf(info, name);
    data.size = static_cast<std::uint64_t>(info.st_size);
    data.modificationTime = info.st_mtim.tv_sec;
    return kErrorSuccess;
  }
  return kErrorNoMoreFiles;
}

void FileFinder::FindClose()
{
  folder_.clear();
  names_.clear();
  next_ = 0;
}

} // namespace platform
