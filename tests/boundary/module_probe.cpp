// Compiled with the vessel module's own compile settings, never linked. Built
// as it is, it must compile: the SDK headers are what the module sees. Built
// with VANTOREL_PROBE_HEADER naming a header of the host runtime, it must fail
// for want of that header.
#include <Orbitersdk.h>

#ifdef VANTOREL_PROBE_HEADER
#include VANTOREL_PROBE_HEADER
#endif

VECTOR3 ProbeVector() { return _V(1.0, 2.0, 3.0); }
