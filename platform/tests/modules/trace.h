/* Test modules write what happened to them, one word a line, into the file named by
   HALVEX_MODULE_TRACE, so a test can count attach and detach calls across unloads. */
#pragma once

#include <stdio.h>
#include <stdlib.h>

static void trace(const char* word)
{
  const char* path = getenv("HALVEX_MODULE_TRACE");
  if (!path)
    return;
  FILE* file = fopen(path, "a");
  if (!file)
    return;
  fprintf(file, "%s\n", word);
  fclose(file);
}
