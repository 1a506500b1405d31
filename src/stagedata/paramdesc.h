// A parameter descriptor: the label, bounds and default of one parameter of a shot formation, a shot
// movement kind or an effect kind. An empty label marks a parameter that does not exist.
#pragma once
#include <cstdint>

struct cParamDesc {
  const char* m_pLabel = "";
  int16_t m_sMin = 0;
  int16_t m_sMax = 0;
  int16_t m_sDefault = 0;
};
