// Telemetry rows for the plot, at most a fixed number however long the
// flight: once full, every other row is dropped and from then on only every
// second row is taken, and so on. The first and the last row always stay.
#ifndef VANTOREL_SIM_FLY_SAMPLE_THINNING_H
#define VANTOREL_SIM_FLY_SAMPLE_THINNING_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "fly/flight.h"

namespace vantorel_sim::fly {

class SampleThinning {
public:
    // max_rows: at least 2.
    explicit SampleThinning(std::size_t max_rows) : max_rows_(max_rows < 2 ? 2 : max_rows) {}

    void Add(const Sample& s) {
        if (seen_++ % stride_ == 0) {
            kept_.push_back(s);
            last_.reset();
        } else {
            last_ = s;
        }
        if (kept_.size() >= max_rows_) {
            // The row just taken may be among those dropped: it is the last so far.
            if (kept_.size() % 2 == 0) last_ = kept_.back();
            std::size_t j = 0;
            for (std::size_t i = 0; i < kept_.size(); i += 2) kept_[j++] = kept_[i];
            kept_.resize(j);
            stride_ *= 2;
        }
    }

    // The rows kept, in order, the last row added included.
    std::vector<Sample> Take() {
        if (last_) kept_.push_back(*last_);
        last_.reset();
        return std::move(kept_);
    }

    std::uint64_t stride() const { return stride_; }

private:
    std::size_t max_rows_;
    std::vector<Sample> kept_;
    std::optional<Sample> last_;  // the latest row, when it was not taken
    std::uint64_t seen_ = 0;
    std::uint64_t stride_ = 1;
};

}  // namespace vantorel_sim::fly

#endif
