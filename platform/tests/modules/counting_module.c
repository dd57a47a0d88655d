/* A module that records its attach and detach calls and exports one value. */
#include "trace.h"

int halvex_module_attach(void)
{
  trace("attach");
  return 1;
}

void halvex_module_detach(void)
{
  trace("detach");
}

int counting_answer(void)
{
  return 42;
}
