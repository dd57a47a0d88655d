// Single running instance through a local socket; see instance.h for the protocol.
#include "platform/instance.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

class Fd
{
public:
  Fd() = default;
  explicit Fd(int fd) : m_fd(fd) {}
  ~Fd() { Reset(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  Fd(Fd&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
  Fd& operator=(Fd&& other) noexcept
  {
    if (this != &other) {
      Reset();
      m_fd = other.m_fd;
      other.m_fd = -1;
    }
    return *this;
  }
  int Get() const { return m_fd; }
  void Reset()
  {
    if (m_fd >= 0) {
      ::close(m_fd);
      m_fd = -1;
    }
  }

private:
  int m_fd = -1;
};

std::string SystemError(const std::string& what, int error)
{
  return what + ": " + std::strerror(error);
}

// Makes sure folder exists, is a real folder of ours and is private.
bool EnsurePrivateFolder(const std::string& folder, std::string* error)
{
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    *error = SystemError("cannot make " + folder, errno);
    return false;
  }
  struct stat st
  {
  };
  if (::lstat(folder.c_str(), &st) != 0) {
    *error = SystemError("cannot read " + folder, errno);
    return false;
  }
  if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) {
    *error = folder + " is not a folder of this user";
    return false;
  }
  if ((st.st_mode & 0777) != 0700 && ::chmod(folder.c_str(), 0700) != 0) {
    *error = SystemError("cannot make " + folder + " private", errno);
    return false;
  }
  return true;
}

bool MakeAddress(const std::string& path, sockaddr_un* address)
{
  std::memset(address, 0, sizeof(*address));
  address->sun_family = AF_UNIX;
  if (path.size() >= sizeof(address->sun_path)) {
    return false;
  }
  std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
  return true;
}

enum class Probe { Missing, Stale, Live, Unreachable };

// Connects without blocking. A listener that never accepts still takes the connection until
// its backlog is full (EAGAIN), so neither case waits here.
Probe Connect(const std::string& path, Fd* connected)
{
  sockaddr_un address{};
  if (!MakeAddress(path, &address)) {
    return Probe::Unreachable;
  }
  Fd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (fd.Get() < 0) {
    return Probe::Unreachable;
  }
  if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0) {
    if (connected != nullptr) {
      *connected = std::move(fd);
    }
    return Probe::Live;
  }
  switch (errno) {
  case ENOENT:
    return Probe::Missing;
  case ECONNREFUSED:
    return Probe::Stale;
  case EAGAIN:
  case EINPROGRESS:
    return Probe::Live; // hung or busy; nothing to talk to in time
  default:
    return Probe::Unreachable;
  }
}

// Removes a socket that nobody listens on; never anything but a socket.
void RemoveStale(const std::string& path)
{
  struct stat st
  {
  };
  if (::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) {
    ::unlink(path.c_str());
  }
}

int RemainingMs(Clock::time_point deadline)
{
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

bool WaitFor(int fd, short events, Clock::time_point deadline)
{
  for (;;) {
    pollfd entry{fd, events, 0};
    int ready = ::poll(&entry, 1, RemainingMs(deadline));
    if (ready > 0) {
      return true;
    }
    if (ready == 0 || errno != EINTR) {
      return false;
    }
  }
}

bool WriteAll(int fd, const std::string& data, Clock::time_point deadline)
{
  std::size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && errno == EAGAIN) {
      if (!WaitFor(fd, POLLOUT, deadline)) {
        return false;
      }
    } else {
      return false;
    }
  }
  return true;
}

// Reads up to and including the first line feed; false on time-out, end, error or overlong.
bool ReadLine(int fd, Clock::time_point deadline, std::string* line)
{
  line->clear();
  char buffer[512];
  while (line->size() <= kMaxInstanceRequest) {
    ssize_t n = ::recv(fd, buffer, sizeof(buffer), 0);
    if (n > 0) {
      line->append(buffer, static_cast<std::size_t>(n));
      auto end = line->find('\n');
      if (end != std::string::npos) {
        line->resize(end);
        return true;
      }
    } else if (n == 0) {
      return false;
    } else if (errno == EINTR) {
      continue;
    } else if (errno == EAGAIN) {
      if (!WaitFor(fd, POLLIN, deadline)) {
        return false;
      }
    } else {
      return false;
    }
  }
  return false;
}

bool ParseRequest(const std::string& line, InstanceRequest* request)
{
  if (line == "SHOW") {
    request->kind = InstanceRequest::Kind::Show;
    request->path.clear();
    return true;
  }
  static const std::string openPrefix = "OPEN ";
  if (line.size() > openPrefix.size() && line.compare(0, openPrefix.size(), openPrefix) == 0) {
    request->kind = InstanceRequest::Kind::Open;
    request->path = line.substr(openPrefix.size());
    return request->path.find('\0') == std::string::npos;
  }
  return false;
}

} // namespace

bool InstanceSocketPath(const std::string& windowClass, std::string* path, std::string* error)
{
  std::string ignored;
  if (error == nullptr) {
    error = &ignored;
  }
  if (windowClass.empty() || windowClass.find('/') != std::string::npos ||
      windowClass.find('\0') != std::string::npos || windowClass == "." || windowClass == "..") {
    *error = "window class \"" + windowClass + "\" cannot name a socket";
    return false;
  }
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string folder;
  if (runtime != nullptr && runtime[0] != '\0') {
    folder = std::string(runtime) + "/halvex";
  } else {
    folder = "/tmp/halvex-" + std::to_string(::getuid());
  }
  if (!EnsurePrivateFolder(folder, error)) {
    return false;
  }
  std::string full = folder + "/" + windowClass;
  sockaddr_un address{};
  // Room for the temporary name the listener binds first.
  if (!MakeAddress(full + ".0000000000.new", &address)) {
    *error = "socket path " + full + " is too long";
    return false;
  }
  *path = full;
  return true;
}

bool IsInstanceRunning(const std::string& windowClass)
{
  std::string path;
  if (!InstanceSocketPath(windowClass, &path, nullptr)) {
    return false;
  }
  Probe probe = Connect(path, nullptr);
  if (probe == Probe::Stale) {
    RemoveStale(path);
  }
  return probe == Probe::Live;
}

InstanceAnswer AskRunningInstance(const std::string& windowClass, const InstanceRequest& request,
                                  std::chrono::milliseconds timeout)
{
  const auto deadline = Clock::now() + timeout;
  std::string line;
  if (request.kind == InstanceRequest::Kind::Show) {
    line = "SHOW\n";
  } else {
    if (request.path.empty() ||
        request.path.find_first_of(std::string("\n\0", 2)) != std::string::npos) {
      return InstanceAnswer::BadRequest;
    }
    line = "OPEN " + request.path + "\n";
  }
  if (line.size() > kMaxInstanceRequest) {
    return InstanceAnswer::BadRequest;
  }
  std::string path;
  if (!InstanceSocketPath(windowClass, &path, nullptr)) {
    return InstanceAnswer::BadRequest;
  }
  Fd fd;
  switch (Connect(path, &fd)) {
  case Probe::Missing:
  case Probe::Unreachable:
    return InstanceAnswer::NotRunning;
  case Probe::Stale:
    RemoveStale(path);
    return InstanceAnswer::NotRunning;
  case Probe::Live:
    break;
  }
  if (fd.Get() < 0) {
    return InstanceAnswer::NoAnswer; // its backlog is full: it does not accept
  }
  std::string reply;
  if (!WriteAll(fd.Get(), line, deadline) || !ReadLine(fd.Get(), deadline, &reply)) {
    return InstanceAnswer::NoAnswer;
  }
  return reply == "1" ? InstanceAnswer::Accepted : InstanceAnswer::Refused;
}

struct InstanceListener::State
{
  std::string path;
  ino_t inode = 0;
  dev_t device = 0;
  Fd listenFd;
  Fd stopFd;
  Handler handler;
  std::thread thread;

  void Serve(int client)
  {
    // A client that connects and says nothing must not hold up the next start.
    std::string line;
    if (!ReadLine(client, Clock::now() + kInstanceTimeout, &line)) {
      return;
    }
    InstanceRequest request;
    bool accepted = ParseRequest(line, &request) && handler(request);
    WriteAll(client, accepted ? "1\n" : "0\n", Clock::now() + kInstanceTimeout);
  }

  void Run()
  {
    for (;;) {
      pollfd entries[2] = {{listenFd.Get(), POLLIN, 0}, {stopFd.Get(), POLLIN, 0}};
      if (::poll(entries, 2, -1) < 0) {
        if (errno == EINTR) {
          continue;
        }
        return;
      }
      if (entries[1].revents != 0) {
        return;
      }
      if (entries[0].revents & POLLIN) {
        Fd client(::accept4(listenFd.Get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (client.Get() >= 0) {
          Serve(client.Get());
        }
      }
    }
  }
};

InstanceListener::InstanceListener() = default;

InstanceListener::~InstanceListener()
{
  Stop();
}

bool InstanceListener::Start(const std::string& windowClass, Handler handler, std::string* error)
{
  std::string ignored;
  if (error == nullptr) {
    error = &ignored;
  }
  if (m_pState) {
    *error = "already listening on " + m_pState->path;
    return false;
  }
  if (!handler) {
    *error = "no handler for instance requests";
    return false;
  }
  auto state = std::make_unique<State>();
  state->handler = std::move(handler);
  if (!InstanceSocketPath(windowClass, &state->path, error)) {
    return false;
  }
  // Bind and listen under a private name, then link it into place: the public name only ever
  // names a socket that already listens, so a second start never takes it for stale.
  std::string temporary = state->path + "." + std::to_string(::getpid()) + ".new";
  sockaddr_un address{};
  MakeAddress(temporary, &address);
  ::unlink(temporary.c_str());
  state->listenFd = Fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (state->listenFd.Get() < 0 ||
      ::bind(state->listenFd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) !=
          0) {
    *error = SystemError("cannot make socket " + temporary, errno);
    return false;
  }
  if (::listen(state->listenFd.Get(), 16) != 0) {
    *error = SystemError("cannot listen on " + temporary, errno);
    ::unlink(temporary.c_str());
    return false;
  }
  bool placed = false;
  for (int attempt = 0; attempt < 3 && !placed; ++attempt) {
    if (::link(temporary.c_str(), state->path.c_str()) == 0) {
      placed = true;
    } else if (errno != EEXIST) {
      *error = SystemError("cannot place socket " + state->path, errno);
      break;
    } else {
      Probe probe = Connect(state->path, nullptr);
      if (probe == Probe::Live || probe == Probe::Unreachable) {
        *error = "another instance of " + windowClass + " is running";
        break;
      }
      RemoveStale(state->path);
    }
  }
  ::unlink(temporary.c_str());
  if (!placed) {
    return false;
  }
  struct stat st
  {
  };
  if (::stat(state->path.c_str(), &st) == 0) {
    state->inode = st.st_ino;
    state->device = st.st_dev;
  }
  state->stopFd = Fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (state->stopFd.Get() < 0) {
    *error = SystemError("cannot make stop event", errno);
    ::unlink(state->path.c_str());
    return false;
  }
  try {
    State* raw = state.get();
    state->thread = std::thread([raw] { raw->Run(); });
  } catch (...) {
    *error = "cannot start the listener thread";
    ::unlink(state->path.c_str());
    return false;
  }
  m_pState = std::move(state);
  return true;
}

void InstanceListener::Stop()
{
  if (!m_pState) {
    return;
  }
  std::uint64_t one = 1;
  [[maybe_unused]] ssize_t written = ::write(m_pState->stopFd.Get(), &one, sizeof(one));
  if (m_pState->thread.joinable()) {
    m_pState->thread.join();
  }
  // A later instance may have replaced a socket we lost; leave that one alone.
  struct stat st
  {
  };
  if (::lstat(m_pState->path.c_str(), &st) == 0 && st.st_ino == m_pState->inode &&
      st.st_dev == m_pState->device) {
    ::unlink(m_pState->path.c_str());
  }
  m_pState.reset();
}

const std::string& InstanceListener::SocketPath() const
{
  static const std::string none;
  return m_pState ? m_pState->path : none;
}

} // namespace platform
