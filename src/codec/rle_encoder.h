#pragma once

#include <cstdint>

#include "codec/yielder.h"
#include "common/bytes.h"

namespace sprite::codec {

// Codes pixel bytes into a coded stream: a literal byte 0x01..0xFF stands for
// itself; 0x00 n stands for n zero bytes. A zero run of L bytes becomes L / 255
// pairs 00 FF and one pair 00 (L mod 255) when that is not 0. `txtDataOut` is
// replaced. `SizeX` (the picture width) does not change the result. Never fails.
void RLECompress2(ByteView txtDataIn, Bytes& txtDataOut, std::int32_t SizeX);

// Same result as RLECompress2, scanning ahead over each zero run and yielding
// once for every zero byte it counts.
void RLECompress(Bytes txtI, Bytes& txtO, std::int32_t SizeX, Yielder& host);

}  // namespace sprite::codec
