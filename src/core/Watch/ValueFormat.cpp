// Value formatting for the watch window and the CLI.
#include "Watch/ValueFormat.h"

namespace korvo {

namespace {
std::string TimeString(uint32_t t, bool wasZero) {
    std::string s = "t#";
    static constexpr struct {
        uint32_t ms;
        const char* unit;
    } units[] = {{86400000u, "d"}, {3600000u, "h"}, {60000u, "m"}, {1000u, "s"}};
    for (const auto& u : units) {
        if (t >= u.ms) {
            s += std::to_string(t / u.ms);
            s += u.unit;
            t %= u.ms;
        }
    }
    if (t > 0 || wasZero) {
        s += std::to_string(t);
        s += "ms";
    }
    return s;
}
} // namespace

std::string GetValString(int32_t DataType, TDisplayType DisplayType, uint8_t BitAdr, TUS64 Value) {
    if (DataType == TR_TIME)
        return TimeString(Value.U32, Value.U32 == 0);
    if (DataType == TR_BOOL)
        return (Value.U8 >> (BitAdr & 7)) & 1 ? "1" : "0";
    if (DataType > -2 || DataType < -13)
        return "???";
    const int32_t index = TableIndex(DataType);
    const int size = IECTYPES[size_t(index)].DataSize; // 8, 16, 32 or 64
    const uint64_t bits = size >= 64 ? Value.U64 : Value.U64 & ((uint64_t(1) << size) - 1);
    switch (DisplayType) {
    case DTHEX: {
        static const char digits[] = "0123456789ABCDEF";
        std::string s = "16#";
        for (int i = size / 4 - 1; i >= 0; --i)
            s += digits[(bits >> (4 * i)) & 0xF];
        return s;
    }
    case DTBIN: {
        std::string s = "2#";
        for (int i = size - 1; i >= 0; --i)
            s += ((bits >> i) & 1) ? '1' : '0';
        return s;
    }
    case DTDEC:
    default:
        break;
    }
    if (InSet(TypeBit(DT_SINT) | TypeBit(DT_INT) | TypeBit(DT_DINT) | TypeBit(DT_LINT), index)) {
        // Sign-extend the low size bits.
        const int64_t v = size >= 64 ? int64_t(bits) : int64_t(bits << (64 - size)) >> (64 - size);
        return std::to_string(v);
    }
    return std::to_string(bits);
}

} // namespace korvo
