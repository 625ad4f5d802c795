// Host SDK stand-in: the one header a vessel module includes.
#ifndef VANTOREL_STANDIN_ORBITERSDK_H
#define VANTOREL_STANDIN_ORBITERSDK_H

#include "OrbiterAPI.h"
#include "VesselAPI.h"

#endif
