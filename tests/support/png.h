// PNG files of test pictures (golden frames), written without compression so that the same picture
// always gives the same bytes: 8-bit palette when the picture has at most 256 colours, else RGB.
#pragma once
#include <cstdint>
#include <vector>

// xrgb: width x height pixels 0x??RRGGBB, rows from the top.
std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint32_t>& xrgb);
