// Builds byte images of data files by hand, for versions and damage the writers never produce.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "gamefolder/filebytes.h"

class ByteWriter {
 public:
  ByteWriter& U32(uint32_t v) { return Raw(&v, 4); }
  ByteWriter& I32(int32_t v) { return Raw(&v, 4); }
  ByteWriter& I16(int16_t v) { return Raw(&v, 2); }
  ByteWriter& U16(uint16_t v) { return Raw(&v, 2); }
  ByteWriter& I8(int8_t v) { return Raw(&v, 1); }
  ByteWriter& U8(uint8_t v) { return Raw(&v, 1); }
  ByteWriter& F64(double v) { return Raw(&v, 8); }
  // A stored text: length + 1, then the text and its zero byte unless empty.
  ByteWriter& Str(const std::string& s) {
    U32(static_cast<uint32_t>(s.size() + 1));
    if (!s.empty()) {
      Raw(s.data(), s.size());
      U8(0);
    }
    return *this;
  }
  ByteWriter& Raw(const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    bytes.insert(bytes.end(), b, b + n);
    return *this;
  }
  std::vector<uint8_t> bytes;
};

