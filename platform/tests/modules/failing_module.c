/* A module whose attach refuses the load. */
#include "trace.h"

int halvex_module_attach(void)
{
  trace("attach-refused");
  return 0;
}

void halvex_module_detach(void)
{
  trace("detach");
}
