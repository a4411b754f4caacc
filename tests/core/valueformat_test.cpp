// GetValString: the watch window's value texts.
#include "Watch/ValueFormat.h"

#include <gtest/gtest.h>

using namespace korvo;

namespace {

struct FormatCase {
    int32_t type;
    TDisplayType display;
    uint8_t bit;
    uint64_t value;
    const char* text;
};

TEST(GetValString, Table) {
    const FormatCase cases[] = {
        {-1, DTDEC, 0, 1, "1"},
        {-1, DTDEC, 3, 0x08, "1"},
        {-1, DTDEC, 3, 0xF7, "0"},
        {-1, DTHEX, 0, 1, "1"}, // BOOL ignores the display type
        {-2, DTDEC, 0, 0x1FF, "255"},
        {-2, DTHEX, 0, 0x0A, "16#0A"},
        {-2, DTBIN, 0, 0x05, "2#00000101"},
        {-3, DTBIN, 0, 0x8001, "2#1000000000000001"},
        {-3, DTHEX, 0, 0xBEEF, "16#BEEF"},
        {-4, DTDEC, 0, 0xFFFFFFFF, "4294967295"},
        {-4, DTHEX, 0, 0x1234, "16#00001234"},
        {-5, DTHEX, 0, 0x1, "16#0000000000000001"},
        {-6, DTDEC, 0, 0xFF, "-1"},
        {-6, DTHEX, 0, 0xFF, "16#FF"},
        {-7, DTDEC, 0, 0xFFFFFFFFFFFF8000ULL, "-32768"},
        {-8, DTDEC, 0, 0x80000000, "-2147483648"},
        {-9, DTDEC, 0, 0xFFFFFFFFFFFFFFFFULL, "-1"},
        {-10, DTDEC, 0, 0xFFFF, "255"},
        {-11, DTDEC, 0, 0xFFFF, "65535"},
        {-12, DTBIN, 0, 3, "2#00000000000000000000000000000011"},
        {-13, DTDEC, 0, 0xFFFFFFFFFFFFFFFFULL, "18446744073709551615"},
        {-16, DTDEC, 0, 0, "t#0ms"},
        {-16, DTHEX, 0, 1500, "t#1s500ms"},
        {-16, DTDEC, 0, 60000, "t#1m"},
        {-16, DTDEC, 0, 3600000, "t#1h"},
        {-16, DTDEC, 0, 86400000ULL + 3600000 + 60000 + 1000 + 1, "t#1d1h1m1s1ms"},
        {-16, DTDEC, 0, 0xFFFFFFFFFFFFFFFFULL, "t#49d17h2m47s295ms"}, // negative TIME: large unsigned
        {-14, DTDEC, 0, 1, "???"},                                    // REAL
        {-17, DTDEC, 0, 1, "???"},                                    // DATE
        {-20, DTDEC, 0, 1, "???"},                                    // STRING
        {0, DTDEC, 0, 1, "???"},                                      // function block type
        {TR_SLITERAL, DTDEC, 0, 1, "???"},
        {TR_CR_EMPTY, DTDEC, 0, 1, "???"},
    };
    for (const auto& c : cases) {
        TUS64 v{};
        v.U64 = c.value;
        EXPECT_EQ(GetValString(c.type, c.display, c.bit, v), c.text)
            << "type " << c.type << " value " << c.value;
    }
}

} // namespace
