// The constant tables behind the conversions (bytes 0x80..0xFF). Defined in the generated
// code_page_tables.cpp; the pages' Unicode readings are in the generated unicode_tables.h.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace cyrvert::detail {

// Output bytes of one conversion for input bytes 0x80..0xFF.
using ConversionTable = std::array<std::uint8_t, 128>;

// Indexed by Conversion (0..11).
extern const std::array<ConversionTable, 12> kConversionTables;

// The table of `conversion` (0..11) over all 256 byte values (identity below 0x80).
const std::array<unsigned char, 256>& FullConversionTable(int conversion);

// Replaces, in place, every byte by its entry in `table`. Allocates nothing.
void ApplyByteTable(unsigned char* bytes, std::size_t length,
                    const std::array<unsigned char, 256>& table);

}  // namespace cyrvert::detail
