// Text form of a soft PLC value as the watch window and korvo-cli show it.
#pragma once

#include "PLCTypes/PLCTypes.h"

#include <cstdint>
#include <string>

namespace korvo {

enum TDisplayType : uint8_t { DTDEC = 0, DTHEX = 1, DTBIN = 2 };

// BOOL "0"/"1" (bit BitAdr of the lowest byte); BYTE..ULINT in decimal (signed for SINT..LINT),
// "16#" hex or "2#" binary with all digits of the type; TIME as t#1d2h3m4s5ms whatever the display
// type; "???" for every other type.
std::string GetValString(int32_t DataType, TDisplayType DisplayType, uint8_t BitAdr, TUS64 Value);

} // namespace korvo
