// Workers that read whole files run behind the window's thread.
#pragma once

namespace parlo {

// Lowers the calling thread's scheduling priority, so that on a busy processor the window's
// thread is served first and stays responsive. Best effort: a refusal changes nothing.
void LowerCurrentThreadPriority();

} // namespace parlo
