// Reads typed values off a fuzzer's byte string. Running out of bytes yields
// zeros, so every input, however short, is a complete run.
#ifndef VANTOREL_FUZZ_INPUT_H
#define VANTOREL_FUZZ_INPUT_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

namespace vantorel_fuzz {

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return pos_ >= size_; }

    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }

    std::uint32_t u32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(byte()) << (8 * i);
        return v;
    }

    // Any bit pattern: NaN, infinities, subnormals and huge values included.
    double raw_double() {
        std::uint64_t bits = 0;
        for (int i = 0; i < 8; ++i) bits |= static_cast<std::uint64_t>(byte()) << (8 * i);
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }

    // Half the time one of the values a vessel's logic branches on, so the
    // fuzzer reaches thresholds without guessing their exact bits.
    double reading() {
        static const double special[] = {
            0.0, -0.0, 0.5, 0.6, 1.0, -1.0, 10.0, 90.0, 100.0, 700.0, 17000.0, 20000.0, 1e-300,
            std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
            -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::max(),
            std::numeric_limits<double>::lowest(), std::numeric_limits<double>::denorm_min()};
        const std::uint8_t sel = byte();
        if (sel & 0x80) return raw_double();
        return special[sel % (sizeof special / sizeof special[0])];
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace vantorel_fuzz

#endif
