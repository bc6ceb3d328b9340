#include "platform/unlha/Crc16.h"

#include <array>

namespace tqen::unlha {

namespace {

// Eight tables so that eight bytes are folded per step ("slicing by 8").
struct Tables {
    std::array<std::array<std::uint16_t, 256>, 8> t{};
    Tables() {
        for (unsigned i = 0; i < 256; ++i) {
            unsigned c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xA001u : c >> 1;
            t[0][i] = static_cast<std::uint16_t>(c);
        }
        for (unsigned i = 0; i < 256; ++i)
            for (int s = 1; s < 8; ++s)
                t[s][i] = static_cast<std::uint16_t>((t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF]);
    }
};

const Tables &tables() {
    static const Tables tables;
    return tables;
}

}  // namespace

void Crc16::update(const std::uint8_t *p, std::size_t n) {
    const auto &t = tables().t;
    unsigned c = crc_;
    while (n >= 8) {
        c ^= static_cast<unsigned>(p[0]) | static_cast<unsigned>(p[1]) << 8;
        c = t[7][c & 0xFF] ^ t[6][c >> 8] ^ t[5][p[2]] ^ t[4][p[3]] ^ t[3][p[4]] ^
            t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
        p += 8;
        n -= 8;
    }
    while (n--) c = (c >> 8) ^ t[0][(c ^ *p++) & 0xFF];
    crc_ = static_cast<std::uint16_t>(c);
}

}  // namespace tqen::unlha
