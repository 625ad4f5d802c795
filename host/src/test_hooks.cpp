// Hooks that let tests pin what the host would otherwise compute.
#include "src/runtime_impl.h"

namespace host {

void Runtime::set_date2int_override(std::optional<int> value) {
    impl_->has_date_override = value.has_value();
    impl_->date_override = value.value_or(0);
}

}  // namespace host
