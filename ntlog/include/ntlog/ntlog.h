/* NTLog: the test-log library that the harness and tallow load by name ("ntLog.dll" resolves to
 * NTLog.so). C linkage so callers can bind every entry point by name; ntlog/README.md describes
 * the file it writes. Every entry point may be called from any thread. */
#ifndef NTLOG_NTLOG_H
#define NTLOG_NTLOG_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define NTLOG_API __attribute__((visibility("default")))
#else
#define NTLOG_API
#endif

/* An open log; null means none. Handles are checked: a null, unknown or destroyed handle makes
 * every entry point fail with 0 instead of crashing. */
typedef struct tlLog* HLOG;

/* Level word: one kind bit, optionally a scope bit. A level without a kind bit is information. */
#define TL_ABORT 0x00000001u
#define TL_SEV1 0x00000002u
#define TL_SEV2 0x00000004u
#define TL_SEV3 0x00000008u
#define TL_WARN 0x00000010u
#define TL_PASS 0x00000020u
#define TL_INFO 0x00002000u
#define TL_KIND_BITS (TL_ABORT | TL_SEV1 | TL_SEV2 | TL_SEV3 | TL_WARN | TL_PASS | TL_INFO)
#define TL_TEST 0x00000100u      /* entry belongs to the test as a whole */
#define TL_VARIATION 0x00000200u /* entry belongs to the open variation */

/* Creation flags: the low 16 bits are the level mask (kinds written to the file); TL_NEW_FILE
 * starts a new file instead of appending. Higher bits are kept (tlGetLogInfo) and have no effect.
 */
#define TL_LEVEL_MASK 0x0000FFFFu
#define TL_NEW_FILE 0x00010000u

typedef struct tlLogInfo
{
  uint32_t flags;        /* creation flags; tlSetLogInfo changes only the level mask */
  uint32_t participants; /* threads taking part now (read only) */
  uint32_t variations;   /* variations started so far (read only) */
} tlLogInfo;

/* Entries counted by kind, whether or not the level mask let them into the file. */
typedef struct tlStats
{
  uint32_t abort;
  uint32_t sev1;
  uint32_t sev2;
  uint32_t sev3;
  uint32_t warn;
  uint32_t pass;
  uint32_t info;
  uint32_t variations;       /* variations ended (test statistics only) */
  uint32_t failedVariations; /* of those, ended with an abort or a severity */
} tlStats;

/* Opens (TL_NEW_FILE: truncates, else appends to) the file; null when it cannot be opened. */
NTLOG_API HLOG tlCreateLog_A(const char* fileName, uint32_t flags);
/* Creates a log from "/NTLog:<file>" and optional "/NTLogFlags:<number>" ('-' works as well as
 * '/'; blanks separate words, double quotes group them). Null when no file is named, a number
 * is malformed, or the file cannot be opened. Default flags: TL_LEVEL_MASK. */
NTLOG_API HLOG tlParseCmdLine_A(const char* commandLine);
/* Copies the file name (NUL-terminated, cut to fit) into buffer; returns the full length, so a
 * caller can size the buffer. 0 for a bad handle. */
NTLOG_API size_t tlGetLogFileName_A(HLOG log, char* buffer, size_t size);
/* Moves the log to another file (opened as at creation); 0 and no change when it cannot be opened.
 */
NTLOG_API int tlSetLogFileName_A(HLOG log, const char* fileName);
/* Logs a text as it is. */
NTLOG_API int tlLogX_A(HLOG log, uint32_t level, const char* sourceFile, int sourceLine,
                       const char* text);
/* Logs a printf-style formatted text. */
NTLOG_API int tlLog_A(HLOG log, uint32_t level, const char* sourceFile, int sourceLine,
                      const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 5, 6)))
#endif
    ;
/* Ends open variations, writes the closing line and closes the file; the handle is gone after. */
NTLOG_API int tlDestroyLog(HLOG log);
/* Makes the calling thread a participant (again: no change). levelMask 0: the log's mask;
 * participant 0: numbered by the log. */
NTLOG_API int tlAddParticipant(HLOG log, uint32_t levelMask, int participant);
/* The calling thread leaves; its open variation ends. 0 when it was not a participant. */
NTLOG_API int tlRemoveParticipant(HLOG log);
NTLOG_API int tlGetLogInfo(HLOG log, tlLogInfo* info);
NTLOG_API int tlSetLogInfo(HLOG log, const tlLogInfo* info);
/* Shows the log options dialog when a Qt application runs in the process and this is its
 * thread (parentWindow: a QWidget* or null). 1 when the user confirmed new options; 0 at once
 * without an application, under HALVEX_UNATTENDED=1, on another thread, or when cancelled. */
NTLOG_API int tlPromptLog(void* parentWindow, HLOG log);
NTLOG_API int tlGetTestStat(HLOG log, tlStats* stats);
/* The calling thread's open (or last ended) variation. */
NTLOG_API int tlGetVariationStat(HLOG log, tlStats* stats);
NTLOG_API int tlClearTestStats(HLOG log);
NTLOG_API int tlClearVariationStats(HLOG log);
/* Starts a variation for the calling thread; an open one is ended first. */
NTLOG_API int tlStartVariation(HLOG log);
/* Ends the calling thread's variation; returns its result: the worst kind logged in it
 * (TL_INFO when it logged no pass, warning or failure), 0 when none was open. */
NTLOG_API uint32_t tlEndVariation(HLOG log);
/* Writes the summary block of the test statistics. */
NTLOG_API int tlReportStats(HLOG log);

/* Types for binding the entry points by name. */
typedef HLOG (*tlCreateLog_A_fn)(const char*, uint32_t);
typedef HLOG (*tlParseCmdLine_A_fn)(const char*);
typedef size_t (*tlGetLogFileName_A_fn)(HLOG, char*, size_t);
typedef int (*tlSetLogFileName_A_fn)(HLOG, const char*);
typedef int (*tlLogX_A_fn)(HLOG, uint32_t, const char*, int, const char*);
typedef int (*tlLog_A_fn)(HLOG, uint32_t, const char*, int, const char*, ...);
typedef int (*tlDestroyLog_fn)(HLOG);
typedef int (*tlAddParticipant_fn)(HLOG, uint32_t, int);
typedef int (*tlRemoveParticipant_fn)(HLOG);
typedef int (*tlGetLogInfo_fn)(HLOG, tlLogInfo*);
typedef int (*tlSetLogInfo_fn)(HLOG, const tlLogInfo*);
typedef int (*tlPromptLog_fn)(void*, HLOG);
typedef int (*tlGetTestStat_fn)(HLOG, tlStats*);
typedef int (*tlGetVariationStat_fn)(HLOG, tlStats*);
typedef int (*tlClearTestStats_fn)(HLOG);
typedef int (*tlClearVariationStats_fn)(HLOG);
typedef int (*tlStartVariation_fn)(HLOG);
typedef uint32_t (*tlEndVariation_fn)(HLOG);
typedef int (*tlReportStats_fn)(HLOG);

#ifdef __cplusplus
}
#endif

#endif /* NTLOG_NTLOG_H */
