// parlo: time to open and show a 50 MB harness log, against reading the same file into memory.
#include "cmainframe.h"
#include "cparlodoc.h"
#include "ctheview.h"
#include "parlosettings.h"
#include "stringtable.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

constexpr qint64 kLogBytes = 50LL * 1024 * 1024;

QTemporaryDir* g_folder = nullptr;
QString g_logPath;
double g_readSeconds = 0;
double g_openSeconds = 0;

// Lines like the harness's log, with a failure or warning now and then.
void WriteLog(const QString& path)
{
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    std::abort();
  QByteArray block;
  for (int i = 0; block.size() < 1024 * 1024; ++i) {
    block += "12/07/2026 20:05:09 Video Input Tests: frame " + QByteArray::number(i) +
             " measured, levels within limits\r\n";
    if (i % 97 == 0)
      block += "12/07/2026 20:05:09 ERROR (Video Input Tests): dropped pixels in frame\r\n";
    if (i % 53 == 0)
      block += "12/07/2026 20:05:09 [ Warn] frame rate near the lower limit\r\n";
  }
  for (qint64 written = 0; written < kLogBytes; written += block.size())
    file.write(block);
}

void BM_ReadIntoMemory(benchmark::State& state)
{
  for (auto _ : state) {
    QElapsedTimer timer;
    timer.start();
    QFile file(g_logPath);
    if (!file.open(QIODevice::ReadOnly))
      state.SkipWithError("cannot open the log");
    const QByteArray bytes = file.readAll();
    benchmark::DoNotOptimize(bytes.constData());
    g_readSeconds = timer.nsecsElapsed() / 1e9;
    state.SetBytesProcessed(state.bytes_processed() + bytes.size());
  }
}

void BM_OpenAndShow(benchmark::State& state)
{
  parlo::ParloSettings settings(QDir(g_folder->path()).filePath(QStringLiteral("registry.db")));
  double longestStep = 0;
  for (auto _ : state) {
    QElapsedTimer timer;
    timer.start();
    parlo::CMainFrame frame(&settings);
    frame.show();
    bool done = false;
    QObject::connect(&frame, &parlo::CMainFrame::documentLoaded, [&done] { done = true; });
    QElapsedTimer step;
    step.start();
    QObject::connect(frame.Doc(), &parlo::CParloDoc::loadProgress, [&](qint64, qint64) {
      longestStep = std::max(longestStep, step.nsecsElapsed() / 1e6);
      step.restart();
    });
    if (!frame.OpenDocumentFile(g_logPath)) {
      // Nothing will load: waiting for it would never end.
      state.SkipWithError("cannot open the log");
      break;
    }
    while (!done)
      QApplication::processEvents();
    // Shown means painted at the end of the text.
    frame.View()->viewport()->repaint();
    g_openSeconds = timer.nsecsElapsed() / 1e9;
    state.SetBytesProcessed(state.bytes_processed() + kLogBytes);
  }
  state.counters["longest_step_ms"] = longestStep;
}

BENCHMARK(BM_ReadIntoMemory)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenAndShow)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("HALVEX_UNATTENDED", "1");
  QApplication application(argc, argv);
  QTemporaryDir folder;
  g_folder = &folder;
  g_logPath = folder.filePath(QStringLiteral("harness.log"));
  WriteLog(g_logPath);
  QString error;
  if (!parlo::ResourceLibrary::MutableInstance().Load(QStringLiteral(PARLO_BIN_DIR), &error)) {
    std::fprintf(stderr, "%s\n", qPrintable(error));
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (g_readSeconds > 0 && g_openSeconds > 0)
    std::printf("parlo: opening and showing a 50 MB log takes %.1f times as long as reading it "
                "into memory (%.3f s against %.3f s)\n",
                g_openSeconds / g_readSeconds, g_openSeconds, g_readSeconds);
  parlo::ResourceLibrary::MutableInstance().Unload();
  return 0;
}
