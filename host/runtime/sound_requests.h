// What the stand-in sound library received, as typed events: tools that need
// to know which sounds a module asked for subscribe here instead of reading
// the call trace. Observing costs one branch per sound call when no observer
// is set.
#ifndef VANTOREL_HOST_SOUND_REQUESTS_H
#define VANTOREL_HOST_SOUND_REQUESTS_H

#include <Orbitersdk.h>

#include <functional>

namespace host {

struct SoundRequest {
    enum class Kind { load, play, play_exclusive, stop };
    Kind kind = Kind::play;
    int id = 0;            // the vessel's sound id
    int slot = 0;          // the wave slot
    int loop = 0;          // play only
    int volume = 0;        // play only, 0..255
    int frequency_hz = 0;  // play only; 0 keeps the wave's own rate
};

using SoundObserver = std::function<void(const SoundRequest&)>;

// Every request the sound library receives from now on goes to the observer;
// an empty function stops observing.
OAPIFUNC void set_sound_observer(SoundObserver observer);

namespace detail {
extern OAPIFUNC bool g_sound_observed;
// Called by the sound library for each request it receives.
OAPIFUNC void report_sound(const SoundRequest& request);
}  // namespace detail

inline bool sound_observed() noexcept { return detail::g_sound_observed; }

}  // namespace host

#endif
