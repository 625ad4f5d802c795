#include "lifecycle/vessel_state.h"

namespace vantorel {

ModuleState shared_state;

}  // namespace vantorel
