// parlo: time to the first screen and to the full line index of a 50 MB and a 1 GB harness log,
// the peak memory of both, the longest pause of the event loop while indexing and the time to
// find through the whole file, against reading the same file into memory in the same run. The logs
// are written to a temporary folder when the benchmark starts and removed when it ends.
#include "cmainframe.h"
#include "cparlodoc.h"
#include "ctheview.h"
#include "lineindex.h"
#include "logtext.h"
#include "logview.h"
#include "parlosettings.h"
#include "stringtable.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr qint64 kMegabyte = 1024 * 1024;
constexpr int kTickMs = 5;

QTemporaryDir* g_folder = nullptr;

// Figures of every run, by log size in MB.
struct Figures
{
  std::vector<double> readSeconds, readPeak, streamSeconds;
  std::vector<double> firstScreenSeconds, indexSeconds, openPeak, processPeak, longestPauseMs,
      indexBytes, findSeconds;
};
std::map<qint64, Figures> g_figures;

// Lines like the harness's log, with a failure or warning now and then.
QString LogOf(qint64 megabytes)
{
  const QString path = g_folder->filePath(QStringLiteral("harness-%1.log").arg(megabytes));
  if (QFile::exists(path))
    return path;
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    std::abort();
  QByteArray block;
  for (int i = 0; block.size() < kMegabyte; ++i) {
    block += "12/07/2026 20:05:09 Video Input Tests: frame " + QByteArray::number(i) +
             " measured, levels within limits\r\n";
    if (i % 97 == 0)
      block += "12/07/2026 20:05:09 ERROR (Video Input Tests): dropped pixels in frame\r\n";
    if (i % 53 == 0)
      block += "12/07/2026 20:05:09 [ Warn] frame rate near the lower limit\r\n";
  }
  for (qint64 written = 0; written < megabytes * kMegabyte; written += block.size())
    file.write(block);
  return path;
}

// Resident memory of this process in bytes: now, or its peak since the last reset.
qint64 ResidentBytes(const char* field)
{
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0)
      return std::stoll(line.substr(std::string(field).size())) * 1024;
  }
  return -1;
}

// Starts a new peak at the memory in use now (Linux 4.0 and later).
qint64 ResetPeak()
{
  std::ofstream("/proc/self/clear_refs") << "5";
  return ResidentBytes("VmRSS:");
}

// A timer due every few milliseconds: how late the event loop comes to it is how long it was
// kept from the window.
class PauseMeter
{
public:
  PauseMeter()
  {
    m_tick.setTimerType(Qt::PreciseTimer);
    m_tick.setInterval(kTickMs);
    QObject::connect(&m_tick, &QTimer::timeout, [this] {
      m_nLongest = std::max(m_nLongest, m_sinceTick.restart() - kTickMs);
    });
  }
  void Start()
  {
    m_sinceTick.start();
    m_tick.start();
  }
  void Stop() { m_tick.stop(); }
  qint64 LongestMs() const { return m_nLongest; }

private:
  QTimer m_tick;
  QElapsedTimer m_sinceTick;
  qint64 m_nLongest = 0;
};

double Median(std::vector<double> values)
{
  if (values.empty())
    return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void BM_ReadIntoMemory(benchmark::State& state)
{
  const qint64 megabytes = state.range(0);
  const QString path = LogOf(megabytes);
  Figures& figures = g_figures[megabytes];
  for (auto _ : state) {
    const qint64 before = ResetPeak();
    QElapsedTimer timer;
    timer.start();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
      state.SkipWithError("cannot open the log");
      break;
    }
    QByteArray bytes = file.readAll();
    benchmark::DoNotOptimize(bytes.constData());
    figures.readSeconds.push_back(timer.nsecsElapsed() / 1e9);
    bytes.clear();
    bytes.squeeze();
    figures.readPeak.push_back(double(ResidentBytes("VmHWM:") - before));
    state.SetBytesProcessed(state.bytes_processed() + megabytes * kMegabyte);
  }
}

// Context for the figures: the same bytes through one reused buffer, as the index reads them.
void BM_StreamThroughABuffer(benchmark::State& state)
{
  const qint64 megabytes = state.range(0);
  const QString path = LogOf(megabytes);
  Figures& figures = g_figures[megabytes];
  QByteArray buffer(kMegabyte, Qt::Uninitialized);
  for (auto _ : state) {
    QElapsedTimer timer;
    timer.start();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
      state.SkipWithError("cannot open the log");
      break;
    }
    while (file.read(buffer.data(), buffer.size()) > 0)
      benchmark::DoNotOptimize(buffer.constData());
    figures.streamSeconds.push_back(timer.nsecsElapsed() / 1e9);
    state.SetBytesProcessed(state.bytes_processed() + megabytes * kMegabyte);
  }
}

void BM_OpenAndShow(benchmark::State& state)
{
  const qint64 megabytes = state.range(0);
  const QString path = LogOf(megabytes);
  Figures& figures = g_figures[megabytes];
  parlo::ParloSettings settings(g_folder->filePath(QStringLiteral("registry.db")));
  for (auto _ : state) {
    // The window is up, as after start-up; the file is then opened into it.
    parlo::CMainFrame frame(&settings);
    frame.show();
    QApplication::processEvents();
    bool loaded = false;
    QObject::connect(&frame, &parlo::CMainFrame::documentLoaded, [&loaded] { loaded = true; });
    parlo::LogView* view = frame.View()->Log();
    const qint64 rows = view->viewport()->height() / view->RowHeight() + 1;

    // The event loop waits for its events rather than spinning, which would take a core from
    // the worker.
    QEventLoop loop;
    double firstScreen = -1;
    auto shown = [&](const QElapsedTimer& timer) {
      if (firstScreen < 0 && (loaded || (view->Text() && view->Text()->Rows() >= rows))) {
        view->viewport()->repaint();
        firstScreen = timer.nsecsElapsed() / 1e9;
      }
    };
    PauseMeter pauses;

    const qint64 before = ResetPeak();
    QElapsedTimer timer;
    timer.start();
    QObject::connect(frame.Doc(), &parlo::CParloDoc::indexGrew, [&] { shown(timer); });
    QObject::connect(&frame, &parlo::CMainFrame::documentLoaded, &loop, &QEventLoop::quit);
    if (!frame.OpenDocumentFile(path)) {
      // Nothing will load: waiting for it would never end.
      state.SkipWithError("cannot open the log");
      break;
    }
    pauses.Start();
    if (!loaded)
      loop.exec();
    pauses.Stop();
    shown(timer);
    figures.firstScreenSeconds.push_back(firstScreen);
    figures.indexSeconds.push_back(timer.nsecsElapsed() / 1e9);
    figures.longestPauseMs.push_back(double(pauses.LongestMs()));
    figures.openPeak.push_back(double(ResidentBytes("VmHWM:") - before));
    figures.processPeak.push_back(double(ResidentBytes("VmHWM:")));
    figures.indexBytes.push_back(
        double(view->Text()->Index().CheckpointCount() * sizeof(parlo::Checkpoint)));
    // Find through the whole file: a text that is not in it.
    bool found = true;
    QObject::connect(frame.View(), &parlo::CTheView::findFinished, [&](bool result) {
      found = result;
      loop.quit();
    });
    timer.restart();
    frame.View()->FindText(QStringLiteral("no such text in the log"), false, false);
    loop.exec();
    figures.findSeconds.push_back(found ? 0 : timer.nsecsElapsed() / 1e9);
    state.SetBytesProcessed(state.bytes_processed() + megabytes * kMegabyte);
  }
}

// The viewer runs first, so its memory is not measured in heap that the reads left free.
BENCHMARK(BM_OpenAndShow)->Arg(50)->Arg(1024)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadIntoMemory)->Arg(50)->Arg(1024)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_StreamThroughABuffer)
    ->Arg(50)
    ->Arg(1024)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// The longest pause of an idle event loop over a second: what the machine itself adds.
qint64 IdlePauseMs()
{
  QEventLoop loop;
  PauseMeter pauses;
  QTimer::singleShot(1000, &loop, &QEventLoop::quit);
  pauses.Start();
  loop.exec();
  return pauses.LongestMs();
}

void Report()
{
  std::printf("parlo: an idle event loop's longest pause on this machine: %lld ms\n",
              static_cast<long long>(IdlePauseMs()));
  for (const auto& [megabytes, figures] : g_figures) {
    const double read = Median(figures.readSeconds);
    const double first = Median(figures.firstScreenSeconds);
    const double index = Median(figures.indexSeconds);
    if (read <= 0 || index <= 0)
      continue;
    const double file = double(megabytes * kMegabyte);
    std::printf(
        "parlo, %lld MB log, against reading it into memory (%.3f s, peak %.1f MB):\n"
        "  first screen   %.4f s = %.3fx the read\n"
        "  full index     %.3f s = %.2fx the read\n"
        "  peak memory    +%.1f MB over the open window = %.2f%% of the file (reading: "
        "%.1f%%); index %.2f MB; whole process at its peak %.1f MB\n"
        "  longest pause of the event loop while indexing: %.1f ms\n"
        "  find through the whole file (not found, ignoring case) %.3f s = %.2fx the read\n"
        "  (the bytes streamed through one 1 MB buffer: %.3f s; the full index took %.2fx that)\n",
        static_cast<long long>(megabytes), read, Median(figures.readPeak) / kMegabyte, first,
        first / read, index, index / read, Median(figures.openPeak) / kMegabyte,
        100 * Median(figures.openPeak) / file, 100 * Median(figures.readPeak) / file,
        Median(figures.indexBytes) / kMegabyte, Median(figures.processPeak) / kMegabyte,
        Median(figures.longestPauseMs), Median(figures.findSeconds),
        Median(figures.findSeconds) / read, Median(figures.streamSeconds),
        index / std::max(Median(figures.streamSeconds), 1e-9));
  }
}

} // namespace

int main(int argc, char** argv)
{
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("HALVEX_UNATTENDED", "1");
  QApplication application(argc, argv);
  QTemporaryDir folder;
  g_folder = &folder;
  QString error;
  if (!parlo::ResourceLibrary::MutableInstance().Load(QStringLiteral(PARLO_BIN_DIR), &error)) {
    std::fprintf(stderr, "%s\n", qPrintable(error));
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  Report();
  parlo::ResourceLibrary::MutableInstance().Unload();
  return 0;
}
