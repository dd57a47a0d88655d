// Finding text in a log file of any size, as it is shown: decoded, line by line.
#pragma once

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace parlo {

class LogFileReader;

// Bytes [start, end) of a match in the file; start -1 when nothing was found.
struct TextMatch
{
  qint64 start = -1;
  qint64 end = -1;

  bool Found() const { return start >= 0; }
};

struct SearchQuery
{
  QString text;
  bool backward = false;
  bool matchCase = false;
  // The selection (or the caret, when both are equal) the search starts from.
  qint64 selectionStart = 0;
  qint64 selectionEnd = 0;
  // The bytes searched: [0, end) of the file.
  qint64 end = 0;
};

// Runs one search at a time on a worker thread.
class TextSearch
{
public:
  // Bytes searched so far and in all.
  using Progress = std::function<void(qint64 done, qint64 total)>;
  using Done = std::function<void(TextMatch match)>;

  TextSearch() = default;
  // Cancels a running search and waits for it.
  ~TextSearch();
  TextSearch(const TextSearch&) = delete;
  TextSearch& operator=(const TextSearch&) = delete;

  // Forward from the end of the selection, or backward from its start, wrapping around the file
  // once, like the rich-text view's find. A cancelled search or one that cannot read finds
  // nothing. Any thread.
  static TextMatch Find(const LogFileReader& reader, const SearchQuery& query,
                        const std::atomic<bool>& cancel, const Progress& progress);

  // Cancels the running search and starts this one. `progress` and `done` run on the worker
  // thread (`done` not at all for a cancelled search); they must only pass the news on.
  void Start(std::shared_ptr<const LogFileReader> reader, SearchQuery query, Progress progress,
             Done done);
  // Cancels the running search and waits for its worker.
  void Cancel();

private:
  std::atomic<bool> m_bCancel{false};
  std::thread m_thread;
};

} // namespace parlo
