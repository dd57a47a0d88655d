// One running instance per window class: the running program listens on a local socket named
// after its window class, and a second start finds it there and hands it its request.
//
// The socket is <folder>/<window class>, where <folder> is $XDG_RUNTIME_DIR/halvex, or
// /tmp/halvex-<uid> when XDG_RUNTIME_DIR is unset; the folder is made with mode 0700 and must
// belong to the user.
//
// Protocol: one request per connection, one line of single-byte text each way.
//   second start -> "SHOW\n"          come forward
//   second start -> "OPEN <path>\n"   open the file at the full path <path> (and come forward)
//   running one  -> "1\n" or "0\n"    the request was carried out, or not
// A request line is at most kMaxInstanceRequest bytes; a longer or unknown one gets "0\n".
// A path must not hold a line break or a NUL.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace platform {

inline constexpr std::chrono::milliseconds kInstanceTimeout{500};
inline constexpr std::size_t kMaxInstanceRequest = 4096;

struct InstanceRequest
{
  enum class Kind { Show, Open };
  Kind kind = Kind::Show;
  std::string path; // Open only
};

enum class InstanceAnswer {
  NotRunning, // no socket, or a stale one (removed)
  Accepted,   // "1"
  Refused,    // "0", or an answer that is not "1"
  NoAnswer,   // the instance is hung: no answer within the time-out
  BadRequest, // the request cannot be written in the protocol; nothing was sent
};

// The socket path for a window class, making the folder when needed. False with a reason in
// *error for an empty class name, one holding '/', a path too long for a socket, or a folder
// that cannot be made private.
bool InstanceSocketPath(const std::string& windowClass, std::string* path, std::string* error);

// Whether an instance listens for windowClass. A stale socket is removed.
bool IsInstanceRunning(const std::string& windowClass);

// Sends one request to the running instance and waits for its answer, never longer than
// timeout in all (connecting, writing and reading). A stale socket is removed.
InstanceAnswer AskRunningInstance(const std::string& windowClass, const InstanceRequest& request,
                                  std::chrono::milliseconds timeout = kInstanceTimeout);

// The running instance's side: owns the socket and answers requests on a background thread.
class InstanceListener
{
public:
  // Runs on the listener's thread, one request at a time; true answers "1".
  using Handler = std::function<bool(const InstanceRequest& request)>;

  InstanceListener();
  ~InstanceListener(); // Stop()
  InstanceListener(const InstanceListener&) = delete;
  InstanceListener& operator=(const InstanceListener&) = delete;

  // Starts listening for windowClass. False, with a reason in *error, when another instance
  // listens already or the socket cannot be made. A stale socket is replaced.
  bool Start(const std::string& windowClass, Handler handler, std::string* error);

  // Stops answering and removes the socket (when it is still ours). Not from the handler.
  void Stop();

  const std::string& SocketPath() const;

private:
  struct State;
  std::unique_ptr<State> m_pState;
};

} // namespace platform
