#pragma once
// CRC-16 of LZH archives: polynomial 0x8005 reflected (0xA001), initial value
// 0, no final XOR. "123456789" gives 0xBB3D.
#include <cstddef>
#include <cstdint>

namespace tqen::unlha {

class Crc16 {
public:
    void update(const std::uint8_t *data, std::size_t size);
    std::uint16_t value() const { return crc_; }

    static std::uint16_t of(const std::uint8_t *data, std::size_t size) {
        Crc16 c;
        c.update(data, size);
        return c.value();
    }

private:
    std::uint16_t crc_ = 0;
};

}  // namespace tqen::unlha
