// Compiled with a tool's own compile settings, never linked. Built as it is,
// it must compile: the module's published layout is what a tool sees of the
// module. Built with VANTOREL_PROBE_HEADER naming a header inside the module,
// it must fail for want of that header.
#include "vantorel/vessel_layout.h"

#ifdef VANTOREL_PROBE_HEADER
#include VANTOREL_PROBE_HEADER
#endif

int ProbeAnimationCount() { return static_cast<int>(vantorel::layout::kAnimationCount); }
