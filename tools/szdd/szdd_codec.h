// The SZDD compressed-file format of the Windows compress/expand tools, as
// the platform's LZ expansion (LZ32) reads it: a 14-byte header ("SZDD"
// 0x88 0xF0 0x27 0x33, mode 'A', the replaced last file-name character, the
// expanded length as 32-bit little-endian) and LZSS data over a 4096-byte
// window that starts filled with blanks, first byte written at slot 4080.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace szdd {

inline constexpr std::size_t kHeaderSize = 14;

// Compresses data into a complete SZDD file. Deterministic.
std::vector<std::uint8_t> Compress(const std::uint8_t *data, std::size_t cb);

// Expands a complete SZDD file. Returns nullptr and fills *out on success,
// otherwise a message that says what is wrong with the input. Reads nothing
// outside [in, in + cb) and never produces more than the header's length.
const char *Expand(const std::uint8_t *in, std::size_t cb, std::vector<std::uint8_t> *out);

}  // namespace szdd
