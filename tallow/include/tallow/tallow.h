/* tallow: translates a test program's tagged log into NTLog entries and the harness's results
 * file, and judges it. Loaded by name ("tallow.dll" resolves to tallow.so). */
#ifndef TALLOW_TALLOW_H
#define TALLOW_TALLOW_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define TALLOW_API __attribute__((visibility("default")))
#else
#define TALLOW_API
#endif

/* Status values written through the status pointer. */
#define TALLOW_STATUS_FAILED 5
#define TALLOW_STATUS_PASSED 6

/* Translates the log at logPath into the results file at resultsPath. *status is set to 5 at
 * once and to 6 only for a passing log. Returns 1 when the log was translated or copied, 0 on
 * failure (status then stays 5). Paths may be of any length. */
TALLOW_API int iTranslateToNTLog(const char* logPath, const char* resultsPath, int32_t* status);

/* The same, and from now on (while the library stays loaded) every tagged translation also
 * writes NTLog's statistics summary. */
TALLOW_API int iTranslateToNTLogx(const char* logPath, const char* resultsPath, int32_t* status);

typedef int (*iTranslateToNTLog_fn)(const char*, const char*, int32_t*);

#ifdef __cplusplus
}
#endif

#endif /* TALLOW_TALLOW_H */
