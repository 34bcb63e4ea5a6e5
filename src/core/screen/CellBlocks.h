#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace qx44 {

// Writes runs of cell fields a fixed-size block at a time. The compiler turns a loop of known
// length into vector instructions at the project's optimisation level, where a loop of unknown
// length stays one element per step. A run of at least one block ends with a block that overlaps
// the one before it, which writes the same values again, instead of a slow element-wise tail.
class CellBlocks {
public:
    static constexpr std::size_t kBlock = 16;

    template <typename T> static void Fill(T* out, std::size_t count, T value) {
        if (count < kBlock) {
            for (std::size_t i = 0; i < count; ++i) {
                out[i] = value;
            }
            return;
        }
        for (std::size_t i = 0; i + kBlock <= count; i += kBlock) {
            FillBlock(out + i, value);
        }
        FillBlock(out + count - kBlock, value);
    }

    // Each byte becomes a 16-bit code of the same value.
    static void Widen(std::uint16_t* out, const std::uint8_t* in, std::size_t count) {
        if (count < kBlock) {
            for (std::size_t i = 0; i < count; ++i) {
                out[i] = in[i];
            }
            return;
        }
        for (std::size_t i = 0; i + kBlock <= count; i += kBlock) {
            WidenBlock(out + i, in + i);
        }
        WidenBlock(out + count - kBlock, in + count - kBlock);
    }

private:
    template <typename T> static void FillBlock(T* out, T value) {
        for (std::size_t k = 0; k < kBlock; ++k) {
            out[k] = value;
        }
    }

    static void WidenBlock(std::uint16_t* out, const std::uint8_t* in) {
        // Read through a local, so the compiler need not fear that the two overlap; a local for
        // the wide side too would be written to the stack as well, at every block.
        std::uint8_t narrow[kBlock];
        std::memcpy(narrow, in, kBlock);
        for (std::size_t k = 0; k < kBlock; ++k) {
            out[k] = narrow[k];
        }
    }
};

} // namespace qx44
