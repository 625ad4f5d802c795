// The observer of the sound library's requests.
#include "runtime/sound_requests.h"

#include <utility>

namespace host {

namespace detail {

bool g_sound_observed = false;

namespace {
SoundObserver& observer() {
    static SoundObserver o;
    return o;
}
}  // namespace

void report_sound(const SoundRequest& request) {
    if (observer()) observer()(request);
}

}  // namespace detail

void set_sound_observer(SoundObserver observer) {
    detail::observer() = std::move(observer);
    detail::g_sound_observed = static_cast<bool>(detail::observer());
}

}  // namespace host
