// What to force, by name: a variable of the main program (instance members as A.B, as the watch
// window names them) or a direct address (%IX0.1, %QB2, %MW4); and the value text of a force.
#pragma once

#include "PLCTypes/PLCTypes.h"

#include <cstdint>
#include <string>

namespace korvo {

struct TForceTarget {
    int32_t Adr = 0; // absolute byte in the data memory
    uint8_t Bit = 0;
    int32_t DataType = 0;
};

// False with error set for an unknown name, an instance without member, a bad address.
bool ResolveForceTarget(const TProjectDesc& project, const std::string& name, TForceTarget& target,
                        std::string& error);
// An IL literal for the type: 0/1/TRUE/FALSE for BOOL, integers (16#.., 2#.., 8#.., signed),
// T#.. for TIME; a typed literal must have the target's type. The range is checked by Force.
bool ParseForceValue(int32_t DataType, const std::string& text, int64_t& value, std::string& error);

} // namespace korvo
