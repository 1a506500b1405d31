#include "platform/video/raster.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/video/d3d9.h"

namespace video {

namespace {

inline uint32_t Div255(uint32_t v) { return (v + 127) / 255; }
inline uint32_t Channel(uint32_t c, int shift) { return (c >> shift) & 0xFF; }

uint32_t Arg(const RasterState& s, uint32_t arg, uint32_t texel, uint32_t diffuse) {
  switch (arg & 0x7) {
    case D3DTA_TEXTURE: return texel;
    case D3DTA_TFACTOR: return s.textureFactor;
    default: return diffuse;  // DIFFUSE, and CURRENT, which is the diffuse colour at stage 0
  }
}

uint32_t Combine(uint32_t op, uint32_t a, uint32_t b, uint32_t factorAlpha) {
  switch (op) {
    case D3DTOP_SELECTARG1: return a;
    case D3DTOP_SELECTARG2: return b;
    case D3DTOP_MODULATE: return Div255(a * b);
    case D3DTOP_MODULATE2X: return std::min(2 * Div255(a * b), 255u);
    case D3DTOP_MODULATE4X: return std::min(4 * Div255(a * b), 255u);
    case D3DTOP_ADD: return std::min(a + b, 255u);
    case D3DTOP_ADDSIGNED: return static_cast<uint32_t>(std::clamp(static_cast<int>(a + b) - 128, 0, 255));
    case D3DTOP_SUBTRACT: return a > b ? a - b : 0;
    case D3DTOP_BLENDFACTORALPHA: return Div255(a * factorAlpha + b * (255 - factorAlpha));
    default: return a;
  }
}

uint32_t Factor(uint32_t blend, uint32_t srcAlpha, uint32_t dstAlpha) {
  switch (blend) {
    case D3DBLEND_ZERO: return 0;
    case D3DBLEND_SRCALPHA: return srcAlpha;
    case D3DBLEND_INVSRCALPHA: return 255 - srcAlpha;
    case D3DBLEND_DESTALPHA: return dstAlpha;
    case D3DBLEND_INVDESTALPHA: return 255 - dstAlpha;
    default: return 255;  // ONE and the factors this layer does not know
  }
}

uint32_t BlendArgb(const RasterState& s, uint32_t src, uint32_t dst) {
  uint32_t fs = Factor(s.srcBlend, src >> 24, dst >> 24), fd = Factor(s.dstBlend, src >> 24, dst >> 24);
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8)
    out |= std::min(Div255(Channel(src, shift) * fs + Channel(dst, shift) * fd), 255u) << shift;
  return out;
}

// SRCALPHA / INVSRCALPHA for a source alpha strictly between 0 and 255.
// (v + 127) / 255 for each 16-bit lane of v (lanes up to 255 x 255), two channels at once.
inline uint32_t Div255Lanes(uint32_t v) {
  v += 0x00800080u;
  return ((v + ((v >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
}

// Each channel: (src x a + dst x (255 - a) + 127) / 255, a the source alpha.
inline uint32_t BlendStandard(uint32_t src, uint32_t dst) {
  uint32_t a = src >> 24, ia = 255 - a;
  uint32_t rb = Div255Lanes((src & 0x00FF00FFu) * a + (dst & 0x00FF00FFu) * ia);
  uint32_t ag = Div255Lanes(((src >> 8) & 0x00FF00FFu) * a + ((dst >> 8) & 0x00FF00FFu) * ia);
  return rb | ag << 8;
}

enum class BlendMode { Replace, Standard, Other };

BlendMode ModeOf(const RasterState& s) {
  if (!s.blend || (s.srcBlend == D3DBLEND_ONE && s.dstBlend == D3DBLEND_ZERO)) return BlendMode::Replace;
  if (s.srcBlend == D3DBLEND_SRCALPHA && s.dstBlend == D3DBLEND_INVSRCALPHA) return BlendMode::Standard;
  return BlendMode::Other;
}

int FloorToInt(double t) {
  if (!(t > -1e9)) return -1000000000;
  if (!(t < 1e9)) return 1000000000;
  int i = static_cast<int>(t);
  return t < i ? i - 1 : i;
}

int CeilToInt(double t) {
  if (!(t > -1e9)) return -1000000000;
  if (!(t < 1e9)) return 1000000000;
  return static_cast<int>(std::ceil(t));
}

// Float inputs that stand for exact values (x - 0.5, sx / width) are put back on a grid of 1/256, so
// that exact mappings give exact texels.
double Snap(double v) {
  double scaled = v * 256.0;
  if (!(std::fabs(scaled) < 1e15)) return v;
  double r = static_cast<double>(static_cast<int64_t>(scaled + (scaled < 0 ? -0.5 : 0.5)));
  return std::fabs(scaled - r) < 1e-3 ? r / 256.0 : v;
}

class Sampler {
 public:
  Sampler(const PixelBuffer* texture, const RasterState& s)
      : tex_(texture), clampU_(s.clampU), clampV_(s.clampV) {
    if (tex_ && tex_->Empty()) tex_ = nullptr;
  }
  bool Bound() const { return tex_ != nullptr; }
  int Width() const { return tex_->Width(); }
  int Height() const { return tex_->Height(); }
  int AddressU(int t) const { return Address(t, tex_->Width(), clampU_); }
  int AddressV(int t) const { return Address(t, tex_->Height(), clampV_); }
  uint32_t Fetch(int x, int y) const {
    if (!tex_) return 0xFFFFFFFF;
    return UnpackArgb(tex_->Format(), tex_->Get(x, y));
  }
  uint32_t Sample(double u, double v) const {
    if (!tex_) return 0xFFFFFFFF;
    return Fetch(AddressU(FloorToInt(u * tex_->Width())), AddressV(FloorToInt(v * tex_->Height())));
  }

 private:
  static int Address(int t, int size, bool clamp) {
    if (static_cast<unsigned>(t) < static_cast<unsigned>(size)) return t;
    if (clamp) return t < 0 ? 0 : size - 1;
    int m = t % size;
    return m < 0 ? m + size : m;
  }
  const PixelBuffer* tex_;
  bool clampU_, clampV_;
};

bool RefersTo(uint32_t op, uint32_t arg1, uint32_t arg2, uint32_t what) {
  if (op == D3DTOP_DISABLE) return false;
  bool first = (arg1 & 0x7) == what && op != D3DTOP_SELECTARG2;
  bool second = (arg2 & 0x7) == what && op != D3DTOP_SELECTARG1;
  return first || second;
}

// Whether the operation gives the texture's channel unchanged, the other argument being `other`
// (the channel's value of the non-texture argument).
bool Identity(uint32_t op, uint32_t arg1, uint32_t arg2, uint32_t other1, uint32_t other2, uint32_t full) {
  bool tex1 = (arg1 & 0x7) == D3DTA_TEXTURE, tex2 = (arg2 & 0x7) == D3DTA_TEXTURE;
  switch (op) {
    case D3DTOP_SELECTARG1: return tex1;
    case D3DTOP_SELECTARG2: return tex2;
    case D3DTOP_MODULATE: return (tex1 && !tex2 && other2 == full) || (tex2 && !tex1 && other1 == full);
    case D3DTOP_ADD: return (tex1 && !tex2 && other2 == 0) || (tex2 && !tex1 && other1 == 0);
    case D3DTOP_SUBTRACT: return tex1 && !tex2 && other2 == 0;
    default: return false;
  }
}

// What the stage makes of a texel, for a uniform diffuse colour.
enum class Source { Constant, Texel, TexelConstantAlpha, Generic };

Source Classify(const RasterState& s, bool bound, uint32_t diffuse, uint32_t* constant) {
  bool texColor = s.colorOp != D3DTOP_DISABLE && RefersTo(s.colorOp, s.colorArg1, s.colorArg2, D3DTA_TEXTURE);
  bool texAlpha = s.colorOp != D3DTOP_DISABLE && s.alphaOp != D3DTOP_DISABLE &&
                  RefersTo(s.alphaOp, s.alphaArg1, s.alphaArg2, D3DTA_TEXTURE);
  if (!bound || (!texColor && !texAlpha)) {
    *constant = ShadeTexel(s, 0xFFFFFFFF, diffuse);
    return Source::Constant;
  }
  uint32_t c1 = Arg(s, s.colorArg1, 0, diffuse), c2 = Arg(s, s.colorArg2, 0, diffuse);
  bool rgb = Identity(s.colorOp, s.colorArg1, s.colorArg2, c1 & 0xFFFFFF, c2 & 0xFFFFFF, 0xFFFFFF);
  if (!rgb) return Source::Generic;
  if (!texAlpha) {
    *constant = ShadeTexel(s, 0, diffuse) & 0xFF000000;
    return Source::TexelConstantAlpha;
  }
  uint32_t a1 = Arg(s, s.alphaArg1, 0, diffuse) >> 24, a2 = Arg(s, s.alphaArg2, 0, diffuse) >> 24;
  return Identity(s.alphaOp, s.alphaArg1, s.alphaArg2, a1, a2, 0xFF) ? Source::Texel : Source::Generic;
}

bool Is32(PixelFormat f) { return f == PixelFormat::X8R8G8B8 || f == PixelFormat::A8R8G8B8; }

// Reusable tables of texel columns and rows and a row of gathered texels, so that a draw does not
// allocate.
thread_local std::vector<int> t_columns;
thread_local std::vector<int> t_rows;
thread_local std::vector<uint32_t> t_texels;

// A rectangle of 32-bit texels onto a 32-bit target: row j of the target (n pixels from `d`, rows
// `pitch` pixels apart) takes the texels of texture row rows[j] at columns[k], or, with a step of +1
// or -1, the texels that follow (precede) columns[0]. The texels are transformed by (p & alphaAnd) |
// alphaOr first (an opaque texture format, a constant alpha). The pixel loops are kept simple and
// free of branches so that the compiler can vectorise them, with wider vectors where the machine has
// them.
template <bool kTargetX8>
VIDEO_WIDE_VECTORS void TexelRect32(
    uint32_t* __restrict d, size_t pitch, const PixelBuffer& texture, const int* columns, const int* rows, int n,
    int count, int step, uint32_t* __restrict gathered, BlendMode mode, uint32_t alphaOr, uint32_t alphaAnd) {
  const uint32_t opaque = kTargetX8 ? 0xFF000000u : 0u;
  const bool copy = mode == BlendMode::Replace || (alphaOr >> 24) == 0xFF;
  const bool plain = alphaAnd == 0xFFFFFFFF && alphaOr == 0;
  for (int j = 0; j < count; ++j, d += pitch) {
    const uint32_t* trow = reinterpret_cast<const uint32_t*>(texture.Row(rows[j]));
    const uint32_t* __restrict src = trow + columns[0];
    if (step == -1) {
      for (int k = 0; k < n; ++k) gathered[k] = src[-k];
      src = gathered;
    } else if (step != 1) {
      for (int k = 0; k < n; ++k) gathered[k] = trow[columns[k]];
      src = gathered;
    }
    // A row of opaque texels (a background) is copied without reading the target.
    uint32_t all = 0xFFFFFFFF;
    if (!copy)
      for (int k = 0; k < n; ++k) all &= (src[k] & alphaAnd) | alphaOr;
    if (copy || (all >> 24) == 0xFF) {
      for (int k = 0; k < n; ++k) d[k] = (src[k] & alphaAnd) | alphaOr | opaque;
      continue;
    }
    // Opaque texels are copied and transparent ones left in one pass; texels between the two, if the
    // row has any, are then blended one by one.
    uint32_t partial = 0;
    if (plain) {
      for (int k = 0; k < n; ++k) {
        uint32_t p = src[k], a = p >> 24;
        uint32_t keep = 0u - static_cast<uint32_t>(a == 0xFF);
        d[k] = (p & keep) | (d[k] & ~keep);
        partial |= ~keep & static_cast<uint32_t>(a != 0);
      }
    } else {
      for (int k = 0; k < n; ++k) {
        uint32_t p = (src[k] & alphaAnd) | alphaOr, a = p >> 24;
        uint32_t keep = 0u - static_cast<uint32_t>(a == 0xFF);
        d[k] = (p & keep) | (d[k] & ~keep);
        partial |= ~keep & static_cast<uint32_t>(a != 0);
      }
    }
    if (!partial) continue;
    for (int k = 0; k < n; ++k) {
      uint32_t p = (src[k] & alphaAnd) | alphaOr, a = p >> 24;
      if (a != 0 && a != 0xFF) d[k] = BlendStandard(p, d[k] | opaque) | opaque;
    }
  }
}

// A rectangle of a 32-bit target with one colour blended over it (source alpha over its inverse): each
// channel's source share is the same for every pixel, so a pixel costs a multiply and Div255 per channel.
// A rectangle of a 32-bit target with one colour blended over it (source alpha over its inverse): the
// source's share of each channel is the same for every pixel.
template <bool kTargetX8>
VIDEO_WIDE_VECTORS void ConstantRect32(uint32_t* __restrict d, size_t pitch, int n, int rows, uint32_t colour) {
  const uint32_t a = colour >> 24, ia = 255 - a;
  const uint32_t opaque = kTargetX8 ? 0xFF000000u : 0u;
  const uint32_t shareRB = (colour & 0x00FF00FFu) * a, shareAG = ((colour >> 8) & 0x00FF00FFu) * a;
  for (int j = 0; j < rows; ++j, d += pitch) {
    for (int k = 0; k < n; ++k) {
      uint32_t p = d[k] | opaque;
      uint32_t rb = Div255Lanes((p & 0x00FF00FFu) * ia + shareRB);
      uint32_t ag = Div255Lanes(((p >> 8) & 0x00FF00FFu) * ia + shareAG);
      d[k] = (rb | ag << 8) | opaque;
    }
  }
}

// The texel of each pixel along one axis: floor of the coordinate at the pixel centre, then wrapped
// or clamped. The step +1 or -1 when they follow one another (a plain or mirrored copy), else 0.
// With `firstOnly`, a run of texels that follow one another is given by its first entry alone.
int TexelTable(std::vector<int>& out, const Sampler& sampler, bool vertical, int p0, int n, double e0, double e1,
               double t0, double t1, bool firstOnly = false) {
  out.resize(static_cast<size_t>(n));
  double slope = (t1 - t0) / (e1 - e0);
  double first = t0 + (p0 - e0) * slope;
  // A plain or mirrored copy that stays inside the texture: one texel after the other.
  // Texture coordinates held as floats make the slope of such a copy differ from 1 in its last bits;
  // the texels still follow one another when the last one is n - 1 away from the first, for the
  // floors of a sequence rising (falling) by nearly 1 a pixel move by 0, 1 or 2 and never by both 0
  // and 2 when the drift over the whole run is far below a texel.
  if (std::fabs(std::fabs(slope) - 1.0) * n < 1e-4) {
    int step = slope > 0 ? 1 : -1, f = FloorToInt(first), last = FloorToInt(first + (n - 1) * slope);
    int size = vertical ? sampler.Height() : sampler.Width();
    if (last - f == step * (n - 1) && std::min(f, last) >= 0 && std::max(f, last) < size) {
      if (firstOnly) {
        out[0] = f;
      } else {
        for (int k = 0; k < n; ++k) out[k] = f + step * k;
      }
      return step;
    }
  }
  for (int k = 0; k < n; ++k) {
    int t = FloorToInt(first + k * slope);
    out[k] = vertical ? sampler.AddressV(t) : sampler.AddressU(t);
  }
  int step = n > 1 ? out[1] - out[0] : 1;
  if (step != 1 && step != -1) return 0;
  for (int k = 1; k < n; ++k)
    if (out[k] != out[0] + step * k) return 0;
  return step;
}

// Stage 0 for a uniform diffuse colour as four tables of 256 entries: every channel of the result
// depends only on the same channel of the texel (the operations combine channel by channel, the
// other argument being the diffuse colour or the texture factor), so one table look-up a channel
// gives exactly what ShadeTexel gives.
class StageTable {
 public:
  StageTable(const RasterState& s, uint32_t diffuse) {
    for (uint32_t v = 0; v < 256; ++v) {
      uint32_t out = ShadeTexel(s, v * 0x01010101u, diffuse);
      for (int c = 0; c < 4; ++c) table_[c][v] = static_cast<uint8_t>(out >> (8 * c));
    }
  }
  uint32_t Shade(uint32_t texel) const {
    return uint32_t{table_[3][texel >> 24]} << 24 | uint32_t{table_[2][(texel >> 16) & 0xFF]} << 16 |
           uint32_t{table_[1][(texel >> 8) & 0xFF]} << 8 | table_[0][texel & 0xFF];
  }

 private:
  uint8_t table_[4][256];
};

// A rectangle of 32-bit texels through the stage table onto a 32-bit target (SRCALPHA / INVSRCALPHA
// or no blending), rows and columns as for TexelRect32.
template <bool kTargetX8>
void StagedRect32(uint32_t* __restrict d, size_t pitch, const PixelBuffer& texture, const int* columns,
                  const int* rows, int n, int count, const StageTable& stage, uint32_t texelOr, BlendMode mode) {
  const uint32_t opaque = kTargetX8 ? 0xFF000000u : 0u;
  for (int j = 0; j < count; ++j, d += pitch) {
    const uint32_t* trow = reinterpret_cast<const uint32_t*>(texture.Row(rows[j]));
    for (int k = 0; k < n; ++k) {
      uint32_t p = stage.Shade(trow[columns[k]] | texelOr), a = p >> 24;
      if (mode == BlendMode::Replace || a == 0xFF) d[k] = p | opaque;
      else if (a != 0) d[k] = BlendStandard(p, d[k] | opaque) | opaque;
    }
  }
}

// Whether tests have asked for the general per-pixel path.
std::atomic<bool> g_forceGeneral{false};
bool ForcedGeneral() { return g_forceGeneral.load(std::memory_order_relaxed); }

// One channel of stage 0 for a uniform diffuse colour, as a function of the same channel t of the
// texel: (t x mul + add + 127) / 255, then plus `up` capped at 255, then minus `down` floored at 0.
// Every operation the library draws with has this form; a constant is mul 0, add 255 x value.
struct ChannelFn {
  uint32_t mul = 255, add = 0, up = 0, down = 0;
  bool Identity() const { return mul == 255 && add == 0 && up == 0 && down == 0; }
  bool Plain() const { return up == 0 && down == 0; }
  static ChannelFn Constant(uint32_t v) { return {0, 255 * v, 0, 0}; }
  uint32_t Apply(uint32_t t) const {
    uint32_t v = std::min(Div255(t * mul + add) + up, 255u);
    return v > down ? v - down : 0;
  }
};

// The channel function of an operation whose arguments are the texture (tex1, tex2) or the values v1, v2.
bool ChannelFnOf(uint32_t op, bool tex1, bool tex2, uint32_t v1, uint32_t v2, uint32_t factorAlpha, ChannelFn* out) {
  ChannelFn fn;
  if (!tex1 && !tex2) {
    *out = ChannelFn::Constant(Combine(op, v1, v2, factorAlpha));
    return true;
  }
  switch (op) {
    case D3DTOP_SELECTARG1: fn = tex1 ? ChannelFn{} : ChannelFn::Constant(v1); break;
    case D3DTOP_SELECTARG2: fn = tex2 ? ChannelFn{} : ChannelFn::Constant(v2); break;
    case D3DTOP_MODULATE:
      if (tex1 && tex2) return false;
      fn.mul = tex1 ? v2 : v1;
      break;
    case D3DTOP_ADD:
      if (tex1 && tex2) return false;
      fn.up = tex1 ? v2 : v1;
      break;
    case D3DTOP_SUBTRACT:
      if (!tex1 || tex2) return false;
      fn.down = v2;
      break;
    case D3DTOP_BLENDFACTORALPHA:
      if (tex1 && tex2) break;  // t x f + t x (255 - f): the texel
      fn.mul = tex1 ? factorAlpha : 255 - factorAlpha;
      fn.add = tex1 ? v2 * (255 - factorAlpha) : v1 * factorAlpha;
      break;
    default: return false;
  }
  *out = fn;
  return true;
}

// Stage 0 for a uniform diffuse colour as four channel functions (blue, green, red, alpha); false
// for operations of another form. A texture without alpha gives the alpha function's constant.
bool StageFnsOf(const RasterState& s, uint32_t diffuse, bool opaqueTexture, ChannelFn fns[4]) {
  if (s.colorOp == D3DTOP_DISABLE) {
    for (int c = 0; c < 4; ++c) fns[c] = ChannelFn::Constant(Channel(diffuse, 8 * c));
    return true;
  }
  uint32_t f = s.textureFactor >> 24;
  bool t1 = (s.colorArg1 & 0x7) == D3DTA_TEXTURE, t2 = (s.colorArg2 & 0x7) == D3DTA_TEXTURE;
  uint32_t c1 = Arg(s, s.colorArg1, 0, diffuse), c2 = Arg(s, s.colorArg2, 0, diffuse);
  for (int c = 0; c < 3; ++c)
    if (!ChannelFnOf(s.colorOp, t1, t2, Channel(c1, 8 * c), Channel(c2, 8 * c), f, &fns[c])) return false;
  if (s.alphaOp == D3DTOP_DISABLE) {
    fns[3] = ChannelFn::Constant(diffuse >> 24);
  } else {
    bool a1 = (s.alphaArg1 & 0x7) == D3DTA_TEXTURE, a2 = (s.alphaArg2 & 0x7) == D3DTA_TEXTURE;
    if (!ChannelFnOf(s.alphaOp, a1, a2, Arg(s, s.alphaArg1, 0, diffuse) >> 24, Arg(s, s.alphaArg2, 0, diffuse) >> 24, f,
                     &fns[3]))
      return false;
  }
  if (opaqueTexture) fns[3] = ChannelFn::Constant(fns[3].Apply(255));
  return true;
}

// Eight 32-bit pixels as sixteen 16-bit lanes: a lane's low byte is blue or red, its high byte green
// or alpha. Split into low and high bytes, every lane holds one channel in 16 bits, room for the
// product of two channels, and wide vectors take sixteen channels an instruction. Helpers change
// their lanes in place: vectors wider than the base machine's are not passed by value.
typedef uint16_t PixelLanes __attribute__((vector_size(32)));
// The same eight pixels as bytes.
typedef uint8_t PixelBytes __attribute__((vector_size(32)));

// (v + 127) / 255 in each lane, as ((w + (w >> 8)) >> 8) with w = v + 128: exact up to 255 x 255.
// The first takes w, for callers that fold the 128 into a constant.
[[gnu::always_inline]] inline void Div255Rounded(PixelLanes& w) { w = (w + (w >> 8)) >> 8; }
[[gnu::always_inline]] inline void Div255InPlace(PixelLanes& v) {
  v += 128;
  Div255Rounded(v);
}

// Lane i of the pattern holds the parameter of the channel in the low (high) byte of lane i.
struct LanePattern {
  PixelLanes low, high;
  void Set(uint32_t blue, uint32_t green, uint32_t red, uint32_t alpha) {
    for (int i = 0; i < 16; i += 2) {
      low[i] = static_cast<uint16_t>(blue), low[i + 1] = static_cast<uint16_t>(red);
      high[i] = static_cast<uint16_t>(green), high[i + 1] = static_cast<uint16_t>(alpha);
    }
  }
};

// Every pixel but the transparent ones blended by source alpha over its inverse (which copies opaque
// ones), as BlendStandard does. A transparent pixel blends to the target pixel as it was, but for the
// alpha that an X8 target takes opaque only where the source shows.
template <bool kTargetX8>
[[gnu::always_inline]] inline void BlendSpan32(uint32_t* __restrict d, const uint32_t* __restrict s, int n) {
  const PixelLanes opaque = {0, 0xFF00, 0, 0xFF00, 0, 0xFF00, 0, 0xFF00, 0, 0xFF00, 0, 0xFF00, 0, 0xFF00, 0, 0xFF00};
  int k = 0;
  for (; k + 8 <= n; k += 8) {
    PixelLanes src, dst;
    std::memcpy(&src, s + k, sizeof src);
    std::memcpy(&dst, d + k, sizeof dst);
    PixelLanes high8 = src >> 8;
    PixelLanes a = __builtin_shufflevector(high8, high8, 1, 1, 3, 3, 5, 5, 7, 7, 9, 9, 11, 11, 13, 13, 15, 15), ia = 255 - a;
    PixelLanes low = (src & 0xFF) * a + (dst & 0xFF) * ia, high = (src >> 8) * a + (dst >> 8) * ia;
    Div255InPlace(low);
    Div255InPlace(high);
    PixelLanes mixed = low | high << 8;
    if (kTargetX8) mixed |= PixelLanes(a != 0) & opaque;
    std::memcpy(d + k, &mixed, sizeof mixed);
  }
  const uint32_t opaque32 = kTargetX8 ? 0xFF000000u : 0u;
  for (; k < n; ++k)
    if (s[k] >> 24) d[k] = BlendStandard(s[k], d[k] | opaque32) | opaque32;
}

// What a row of stage results may hold, as the caller knows it from the stage: any alpha, or never
// an opaque pixel (an alpha scaled below 255).
enum class RowAlpha { Any, NeverOpaque };

// Every byte of a row of pixels plus `up` capped at 255, then minus `down` floored at 0, each
// channel's own values repeated along the pattern.
VIDEO_WIDE_VECTORS void SaturatePixels(const uint32_t* __restrict in, uint32_t* __restrict out, int n,
                                       const PixelBytes& up, const PixelBytes& down) {
  const PixelBytes room = 255 - up;
  for (int k = 0; k < n; k += 8) {
    PixelBytes p;
    std::memcpy(&p, in + k, sizeof p);
    p = (p < room ? p : room) + up;
    p = (p > down ? p : down) - down;
    std::memcpy(out + k, &p, sizeof p);
  }
}

// The channel functions of the kernel, lane by lane; `add` holds the 128 of the rounding too.
struct ChannelLanes {
  LanePattern mul, add, up, down;
};

// Every channel t of a row of pixels through (t x mul + add + 127) / 255, then, with kSaturate, plus
// up capped at 255 and minus down floored at 0.
template <bool kSaturate>
VIDEO_WIDE_VECTORS void ChannelPixels(const uint32_t* __restrict in, uint32_t* __restrict out, int n,
                                      const ChannelLanes& c) {
  for (int k = 0; k < n; k += 8) {
    PixelLanes p;
    std::memcpy(&p, in + k, sizeof p);
    PixelLanes low = (p & 0xFF) * c.mul.low + c.add.low, high = (p >> 8) * c.mul.high + c.add.high;
    Div255Rounded(low);
    Div255Rounded(high);
    if (kSaturate) {
      low += c.up.low, high += c.up.high;
      low = low < 255 ? low : 255, high = high < 255 ? high : 255;
      low = (low > c.down.low ? low : c.down.low) - c.down.low;
      high = (high > c.down.high ? high : c.down.high) - c.down.high;
    }
    p = low | high << 8;
    std::memcpy(out + k, &p, sizeof p);
  }
}

// The alpha channel of a row of pixels through (t x mul + add + 127) / 255, the colour kept: the high
// lanes only, green through a multiplier of 255, which keeps it.
VIDEO_WIDE_VECTORS void AlphaPixels(const uint32_t* __restrict in, uint32_t* __restrict out, int n,
                                    const ChannelLanes& c) {
  for (int k = 0; k < n; k += 8) {
    PixelLanes p;
    std::memcpy(&p, in + k, sizeof p);
    PixelLanes high = (p >> 8) * c.mul.high + c.add.high;
    Div255Rounded(high);
    p = (p & 0xFF) | high << 8;
    std::memcpy(out + k, &p, sizeof p);
  }
}

// Stage 0 applied to a row of 32-bit texels, in the cheapest form the channel functions allow.
class StageKernel {
 public:
  void Init(const ChannelFn fns[4]) {
    bool identity = true, plain = true, saturate = true;
    for (int c = 0; c < 4; ++c) {
      identity = identity && fns[c].Identity();
      plain = plain && fns[c].Plain();
      saturate = saturate && fns[c].mul == 255 && fns[c].add == 0;
    }
    neverOpaque_ = fns[3].Apply(255) < 255;  // the channel functions never fall as the texel rises
    const bool colourKept = fns[0].Identity() && fns[1].Identity() && fns[2].Identity();
    if (identity) kind_ = Kind::Identity;
    else if (saturate) kind_ = Kind::Saturate;
    else if (!plain) kind_ = Kind::Channels;
    else if (colourKept) kind_ = Kind::Alpha;
    else kind_ = Kind::Plain;
    lanes_.mul.Set(fns[0].mul, fns[1].mul, fns[2].mul, fns[3].mul);
    lanes_.add.Set(fns[0].add + 128, fns[1].add + 128, fns[2].add + 128, fns[3].add + 128);
    lanes_.up.Set(fns[0].up, fns[1].up, fns[2].up, fns[3].up);
    lanes_.down.Set(fns[0].down, fns[1].down, fns[2].down, fns[3].down);
    for (int i = 0; i < 32; ++i) {
      up_[i] = static_cast<uint8_t>(fns[i & 3].up);
      down_[i] = static_cast<uint8_t>(fns[i & 3].down);
    }
  }
  bool Identity() const { return kind_ == Kind::Identity; }
  // What the rows it makes may hold.
  RowAlpha Alpha() const { return neverOpaque_ ? RowAlpha::NeverOpaque : RowAlpha::Any; }
  // n texels from `in` into another row `out`. The loops take eight pixels at a time: the last few
  // go through a row of eight.
  void Run(const uint32_t* in, uint32_t* out, int n) const {
    int whole = n & ~7;
    Run8(in, out, whole);
    if (whole == n) return;
    uint32_t rest[8] = {}, done[8];
    std::memcpy(rest, in + whole, static_cast<size_t>(n - whole) * 4);
    Run8(rest, done, 8);
    std::memcpy(out + whole, done, static_cast<size_t>(n - whole) * 4);
  }

 private:
  // n a multiple of eight.
  void Run8(const uint32_t* in, uint32_t* out, int n) const {
    switch (kind_) {
      case Kind::Identity: std::memmove(out, in, static_cast<size_t>(n) * 4); break;
      case Kind::Saturate: SaturatePixels(in, out, n, up_, down_); break;
      case Kind::Alpha: AlphaPixels(in, out, n, lanes_); break;
      case Kind::Plain: ChannelPixels<false>(in, out, n, lanes_); break;
      case Kind::Channels: ChannelPixels<true>(in, out, n, lanes_); break;
    }
  }
  enum class Kind { Identity, Saturate, Alpha, Plain, Channels };
  Kind kind_ = Kind::Identity;
  bool neverOpaque_ = false;
  ChannelLanes lanes_;
  PixelBytes up_, down_;
};

// A row of stage results blended into a 32-bit target row: replaced, or by source alpha over its
// inverse, as WritePixel does. Opaque pixels are copied and transparent ones left in one pass; a row
// with pixels between the two is then blended (which copies opaque pixels again). A row that is never
// opaque goes to the blend from its first pixel that is not transparent.
template <bool kTargetX8>
VIDEO_WIDE_VECTORS void BlendRow32(uint32_t* __restrict d, const uint32_t* __restrict s, int n, bool replace,
                                   RowAlpha alpha) {
  const uint32_t opaque = kTargetX8 ? 0xFF000000u : 0u;
  if (replace) {
    for (int k = 0; k < n; ++k) d[k] = s[k] | opaque;
    return;
  }
  if (alpha == RowAlpha::NeverOpaque) {
    int k = 0;
    for (; k + 8 <= n; k += 8) {
      uint32_t any = 0;
      for (int j = 0; j < 8; ++j) any |= s[k + j];
      if (any >> 24) break;
    }
    BlendSpan32<kTargetX8>(d + k, s + k, n - k);
    return;
  }
  uint32_t partial = 0;
  for (int k = 0; k < n; ++k) {
    uint32_t p = s[k], a = p >> 24;
    uint32_t keep = 0u - static_cast<uint32_t>(a == 0xFF);
    d[k] = (p & keep) | (d[k] & ~keep);
    partial |= ~keep & static_cast<uint32_t>(a != 0);
  }
  if (partial) BlendSpan32<kTargetX8>(d, s, n);
}

void BlendRow(PixelFormat targetFormat, uint32_t* d, const uint32_t* s, int n, BlendMode mode,
              RowAlpha alpha = RowAlpha::Any) {
  if (targetFormat == PixelFormat::X8R8G8B8) BlendRow32<true>(d, s, n, mode == BlendMode::Replace, alpha);
  else BlendRow32<false>(d, s, n, mode == BlendMode::Replace, alpha);
}

// Reusable rows for the kernels (the texels gathered, the stage results), so that a draw does not
// allocate.
thread_local std::vector<uint32_t> t_gathered;
thread_local std::vector<uint32_t> t_shaded;
thread_local StageKernel t_kernel;

// Whether drawing the rows in order reads every texture row before it is overwritten, for a target
// that is its own texture: row j reads texture row rows[j] and writes target row top + j.
bool ReadsBeforeWrites(const int* rows, int count, int top) {
  for (int j = 0; j < count; ++j)
    if (rows[j] >= top && rows[j] < top + j) return false;
  return true;
}

// One pixel of the general case: the stage result blended into the target.
inline void WritePixel(PixelBuffer& target, BlendMode mode, const RasterState& s, int x, int y, uint32_t src) {
  PixelFormat f = target.Format();
  if (mode == BlendMode::Replace) {
    target.Set(x, y, PackArgb(f, src));
    return;
  }
  if (mode == BlendMode::Standard) {
    uint32_t a = src >> 24;
    if (a == 0) return;
    if (a == 0xFF) {
      target.Set(x, y, PackArgb(f, src));
      return;
    }
    target.Set(x, y, PackArgb(f, BlendStandard(src, UnpackArgb(f, target.Get(x, y)))));
    return;
  }
  target.Set(x, y, PackArgb(f, BlendArgb(s, src, UnpackArgb(f, target.Get(x, y)))));
}

// An axis-aligned quad with texture coordinates that follow the axes and one colour. False when the
// vertices do not have that shape.
bool AxisAlignedQuad(PixelBuffer& target, const PixelBuffer* texture, const RasterState& s, const RasterVertex* v) {
  double xa, xb, ya, yb, ua, ub, va, vb;
  if (v[0].x == v[1].x && v[2].x == v[3].x && v[0].y == v[2].y && v[1].y == v[3].y) {
    if (v[0].u != v[1].u || v[2].u != v[3].u || v[0].v != v[2].v || v[1].v != v[3].v) return false;
    xa = v[0].x, xb = v[2].x, ua = v[0].u, ub = v[2].u;
    ya = v[0].y, yb = v[1].y, va = v[0].v, vb = v[1].v;
  } else if (v[0].y == v[1].y && v[2].y == v[3].y && v[0].x == v[2].x && v[1].x == v[3].x) {
    if (v[0].v != v[1].v || v[2].v != v[3].v || v[0].u != v[2].u || v[1].u != v[3].u) return false;
    xa = v[0].x, xb = v[1].x, ua = v[0].u, ub = v[1].u;
    ya = v[0].y, yb = v[2].y, va = v[0].v, vb = v[2].v;
  } else {
    return false;
  }
  uint32_t diffuse = v[0].diffuse;
  for (int i = 1; i < 4; ++i)
    if (v[i].diffuse != diffuse || v[i].rhw != v[0].rhw) return false;
  if (xa > xb) std::swap(xa, xb), std::swap(ua, ub);
  if (ya > yb) std::swap(ya, yb), std::swap(va, vb);
  if (!(xb > xa) || !(yb > ya)) return true;  // no area: nothing to draw

  // Top-left rule: a centre on the left or top edge is inside, on the right or bottom edge outside.
  int px0 = std::max(CeilToInt(xa), 0), px1 = std::min(CeilToInt(xb), target.Width());
  int py0 = std::max(CeilToInt(ya), 0), py1 = std::min(CeilToInt(yb), target.Height());
  if (px0 >= px1 || py0 >= py1) return true;
  int n = px1 - px0, rows = py1 - py0;

  Sampler sampler(texture, s);
  uint32_t constant = 0;
  Source source = Classify(s, sampler.Bound(), diffuse, &constant);
  BlendMode mode = ModeOf(s);

  const bool general = ForcedGeneral();
  if (source == Source::Constant) {
    uint32_t a = constant >> 24;
    if (general) {
      for (int y = py0; y < py1; ++y)
        for (int x = px0; x < px1; ++x) WritePixel(target, mode, s, x, y, constant);
      return true;
    }
    if (mode == BlendMode::Standard && a == 0) return true;
    if (mode == BlendMode::Replace || (mode == BlendMode::Standard && a == 0xFF)) {
      target.Fill(px0, py0, n, rows, PackArgb(target.Format(), constant));
      return true;
    }
    if (mode == BlendMode::Standard && Is32(target.Format())) {
      uint32_t* d = reinterpret_cast<uint32_t*>(target.Row(py0)) + px0;
      size_t pitch = static_cast<size_t>(target.Pitch()) / 4;
      if (target.Format() == PixelFormat::X8R8G8B8)
        ConstantRect32<true>(d, pitch, n, rows, constant);
      else
        ConstantRect32<false>(d, pitch, n, rows, constant);
      return true;
    }
    for (int y = py0; y < py1; ++y)
      for (int x = px0; x < px1; ++x) WritePixel(target, mode, s, x, y, constant);
    return true;
  }

  double x0 = Snap(xa), x1 = Snap(xb), tu0 = Snap(ua * sampler.Width()), tu1 = Snap(ub * sampler.Width());
  double y0 = Snap(ya), y1 = Snap(yb), tv0 = Snap(va * sampler.Height()), tv1 = Snap(vb * sampler.Height());
  PixelFormat tf = target.Format(), xf = texture->Format();
  const bool self = texture == &target;
  const bool rows32 = !general && Is32(tf) && Is32(xf) && mode != BlendMode::Other;
  // Texels straight through (a blit): copied, skipped or blended as they are.
  const bool fast = rows32 && !self && (source == Source::Texel || source == Source::TexelConstantAlpha);
  // Any other stage of the per-channel form: a row of texels through the stage kernel.
  ChannelFn fns[4];
  const bool kernel = rows32 && !fast && StageFnsOf(s, diffuse, xf == PixelFormat::X8R8G8B8, fns);
  int step = TexelTable(t_columns, sampler, false, px0, n, x0, x1, tu0, tu1, fast || kernel);
  TexelTable(t_rows, sampler, true, py0, rows, y0, y1, tv0, tv1);

  PixelBuffer copy;
  // A target that is its own texture is read from a copy, unless every row is read before it is
  // written (the kernel reads a whole row of texels before it writes the row).
  if (self && !(kernel && ReadsBeforeWrites(t_rows.data(), rows, py0))) {
    copy = *texture;
    texture = &copy;
  }
  if (fast) {
    uint32_t alphaOr = source == Source::TexelConstantAlpha ? constant : 0;
    uint32_t alphaAnd = source == Source::TexelConstantAlpha ? 0x00FFFFFF : 0xFFFFFFFF;
    if (xf == PixelFormat::X8R8G8B8 && source == Source::Texel) alphaOr = 0xFF000000;
    t_texels.resize(static_cast<size_t>(n));
    uint32_t* d = reinterpret_cast<uint32_t*>(target.Row(py0)) + px0;
    size_t pitch = static_cast<size_t>(target.Pitch()) / 4;
    if (tf == PixelFormat::X8R8G8B8)
      TexelRect32<true>(d, pitch, *texture, t_columns.data(), t_rows.data(), n, rows, step, t_texels.data(), mode,
                        alphaOr, alphaAnd);
    else
      TexelRect32<false>(d, pitch, *texture, t_columns.data(), t_rows.data(), n, rows, step, t_texels.data(), mode,
                         alphaOr, alphaAnd);
    return true;
  }
  if (kernel) {
    t_kernel.Init(fns);
    t_gathered.resize(static_cast<size_t>(n));
    t_shaded.resize(static_cast<size_t>(n));
    uint32_t *gathered = t_gathered.data(), *shaded = t_shaded.data();
    // A target that is its own texture is read straight only by a kernel, which writes another row.
    const bool direct = step == 1 && (texture != &target || !t_kernel.Identity());
    for (int j = 0; j < rows; ++j) {
      const uint32_t* trow = reinterpret_cast<const uint32_t*>(texture->Row(t_rows[j]));
      const uint32_t* in = gathered;
      if (direct) in = trow + t_columns[0];
      else if (step == 1) std::memcpy(gathered, trow + t_columns[0], static_cast<size_t>(n) * 4);
      else if (step == -1) for (int k = 0; k < n; ++k) gathered[k] = trow[t_columns[0] - k];
      else for (int k = 0; k < n; ++k) gathered[k] = trow[t_columns[k]];
      if (!t_kernel.Identity()) {
        t_kernel.Run(in, shaded, n);
        in = shaded;
      }
      BlendRow(tf, reinterpret_cast<uint32_t*>(target.Row(py0 + j)) + px0, in, n, mode, t_kernel.Alpha());
    }
    return true;
  }
  Sampler fetch(texture, s);
  if (general || static_cast<int64_t>(n) * rows < 256) {
    for (int j = 0; j < rows; ++j) {
      for (int k = 0; k < n; ++k) {
        uint32_t texel = fetch.Fetch(t_columns[k], t_rows[j]);
        WritePixel(target, mode, s, px0 + k, py0 + j, ShadeTexel(s, texel, diffuse));
      }
    }
    return true;
  }
  const StageTable stage(s, diffuse);
  if (Is32(tf) && Is32(xf) && mode != BlendMode::Other) {
    uint32_t* d = reinterpret_cast<uint32_t*>(target.Row(py0)) + px0;
    size_t pitch = static_cast<size_t>(target.Pitch()) / 4;
    uint32_t texelOr = xf == PixelFormat::X8R8G8B8 ? 0xFF000000u : 0u;
    if (tf == PixelFormat::X8R8G8B8)
      StagedRect32<true>(d, pitch, *texture, t_columns.data(), t_rows.data(), n, rows, stage, texelOr, mode);
    else
      StagedRect32<false>(d, pitch, *texture, t_columns.data(), t_rows.data(), n, rows, stage, texelOr, mode);
    return true;
  }
  for (int j = 0; j < rows; ++j) {
    for (int k = 0; k < n; ++k) {
      uint32_t texel = fetch.Fetch(t_columns[k], t_rows[j]);
      WritePixel(target, mode, s, px0 + k, py0 + j, stage.Shade(texel));
    }
  }
  return true;
}

inline double Edge(const RasterVertex& p, const RasterVertex& q, double x, double y) {
  return (double(q.x) - p.x) * (y - p.y) - (double(q.y) - p.y) * (x - p.x);
}

// For a triangle of positive area: the edges whose pixels on the line belong to it.
inline bool TopLeft(const RasterVertex& p, const RasterVertex& q) {
  return (p.y == q.y && q.x > p.x) || q.y < p.y;
}

inline bool Inside(double w, bool topLeft) { return w > 0 || (w == 0 && topLeft); }

// Texel coordinates of a triangle whose vertices share one rhw, where they are affine in the pixel
// position: column u x width and row v x height at the pixel centre (x, y), in 32.32 fixed point from
// an origin pixel, so that stepping along a row gives exactly what each pixel's own position gives.
// The texel is the floor of the coordinate.
struct TexelMap {
  int ox = 0, oy = 0;
  int64_t s0 = 0, sx = 0, sy = 0, t0 = 0, tx = 0, ty = 0;

  bool Init(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c, double area, int width, int height,
            int originX, int originY) {
    ox = originX, oy = originY;
    const RasterVertex* v[3] = {&a, &b, &c};
    long double su = 0, dsux = 0, dsuy = 0, tv = 0, dtvx = 0, dtvy = 0;
    for (int i = 0; i < 3; ++i) {
      // The weight of vertex i is the edge function of the opposite edge over the area.
      const RasterVertex& p = *v[(i + 1) % 3];
      const RasterVertex& q = *v[(i + 2) % 3];
      long double ex = static_cast<long double>(q.x) - p.x, ey = static_cast<long double>(q.y) - p.y;
      long double w = ex * (static_cast<long double>(oy) - p.y) - ey * (static_cast<long double>(ox) - p.x);
      long double cu = static_cast<long double>(v[i]->u) * width, cv = static_cast<long double>(v[i]->v) * height;
      su += cu * w, dsux -= cu * ey, dsuy += cu * ex;
      tv += cv * w, dtvx -= cv * ey, dtvy += cv * ex;
    }
    // Bounds that keep every sum of the rows in 64 bits (positions below 2^14 from the origin).
    auto fixed = [&](long double value, long double limit, int64_t* out) {
      value /= area;
      if (!(std::fabs(value) < limit)) return false;
      *out = std::llround(value * 4294967296.0L);
      return true;
    };
    return fixed(su, 268435456.0L, &s0) && fixed(dsux, 32768.0L, &sx) && fixed(dsuy, 32768.0L, &sy) &&
           fixed(tv, 268435456.0L, &t0) && fixed(dtvx, 32768.0L, &tx) && fixed(dtvy, 32768.0L, &ty);
  }
  int64_t S(int x, int y) const { return s0 + sx * (x - ox) + sy * (y - oy); }
  int64_t T(int x, int y) const { return t0 + tx * (x - ox) + ty * (y - oy); }
};

}  // namespace

uint32_t ShadeTexel(const RasterState& s, uint32_t texel, uint32_t diffuse) {
  if (s.colorOp == D3DTOP_DISABLE) return diffuse;
  uint32_t c1 = Arg(s, s.colorArg1, texel, diffuse), c2 = Arg(s, s.colorArg2, texel, diffuse);
  uint32_t f = s.textureFactor >> 24;
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8)
    out |= Combine(s.colorOp, Channel(c1, shift), Channel(c2, shift), f) << shift;
  uint32_t alpha = diffuse >> 24;
  if (s.alphaOp != D3DTOP_DISABLE)
    alpha = Combine(s.alphaOp, Arg(s, s.alphaArg1, texel, diffuse) >> 24, Arg(s, s.alphaArg2, texel, diffuse) >> 24, f);
  return out | alpha << 24;
}

void RasterTriangle(PixelBuffer& target, const PixelBuffer* texture, const RasterState& s, const RasterVertex& a,
                    const RasterVertex& b, const RasterVertex& c) {
  const RasterVertex* v0 = &a;
  const RasterVertex* v1 = &b;
  const RasterVertex* v2 = &c;
  double area = Edge(*v0, *v1, v2->x, v2->y);
  if (!(std::fabs(area) > 0)) return;
  if (area < 0) {
    std::swap(v1, v2);
    area = -area;
  }
  double minX = std::min({v0->x, v1->x, v2->x}), maxX = std::max({v0->x, v1->x, v2->x});
  double minY = std::min({v0->y, v1->y, v2->y}), maxY = std::max({v0->y, v1->y, v2->y});
  int px0 = std::max(CeilToInt(minX), 0), px1 = std::min(FloorToInt(maxX), target.Width() - 1);
  int py0 = std::max(CeilToInt(minY), 0), py1 = std::min(FloorToInt(maxY), target.Height() - 1);
  if (px0 > px1 || py0 > py1) return;

  PixelBuffer copy;
  if (texture == &target) {
    copy = *texture;
    texture = &copy;
  }
  Sampler sampler(texture, s);
  BlendMode mode = ModeOf(s);
  bool tl0 = TopLeft(*v1, *v2), tl1 = TopLeft(*v2, *v0), tl2 = TopLeft(*v0, *v1);
  auto inside = [&](int x, int y) {
    return Inside(Edge(*v1, *v2, x, y), tl0) && Inside(Edge(*v2, *v0, x, y), tl1) && Inside(Edge(*v0, *v1, x, y), tl2);
  };
  const bool general = ForcedGeneral();
  const bool uniform = v0->diffuse == v1->diffuse && v1->diffuse == v2->diffuse;
  const uint32_t diffuse = v0->diffuse;
  // One colour and one rhw (no perspective): texel coordinates in fixed point, stepped along a row.
  TexelMap map;
  const bool affine = uniform && v0->rhw == v1->rhw && v1->rhw == v2->rhw && px1 - px0 < 16384 &&
                      py1 - py0 < 16384 &&
                      (!sampler.Bound() || map.Init(*v0, *v1, *v2, area, sampler.Width(), sampler.Height(), px0, py0));
  const bool target32 = !general && Is32(target.Format()) && mode != BlendMode::Other;
  ChannelFn fns[4];
  const bool rows32 = affine && target32 &&
                      (!sampler.Bound() || (Is32(texture->Format()) &&
                                            StageFnsOf(s, diffuse, texture->Format() == PixelFormat::X8R8G8B8, fns)));
  const uint32_t constant = ShadeTexel(s, 0xFFFFFFFF, diffuse);  // the stage without a texture
  const RowAlpha flatAlpha = (constant >> 24) == 0xFF ? RowAlpha::Any : RowAlpha::NeverOpaque;
  if (rows32) {
    t_gathered.resize(static_cast<size_t>(px1 - px0 + 1));
    t_shaded.resize(static_cast<size_t>(px1 - px0 + 1));
    if (sampler.Bound()) t_kernel.Init(fns);
    else std::fill(t_shaded.begin(), t_shaded.end(), constant);
  }
  // Otherwise stage 0 through its table for a uniform colour, or texel by texel.
  std::unique_ptr<StageTable> stage;
  if (!general && !rows32 && uniform && static_cast<int64_t>(px1 - px0 + 1) * (py1 - py0 + 1) >= 512)
    stage = std::make_unique<StageTable>(s, diffuse);
  const bool direct = stage && !affine && target32;
  const uint32_t opaque = target.Format() == PixelFormat::X8R8G8B8 ? 0xFF000000u : 0u;
  const RasterVertex* edges[3][2] = {{v1, v2}, {v2, v0}, {v0, v1}};
  for (int y = py0; y <= py1; ++y) {
    // The row's span from the three edges, then settled by the exact test at both ends: the pixels
    // inside a triangle form one run per row.
    double lo = px0, hi = px1;
    for (const auto& e : edges) {
      double e0 = Edge(*e[0], *e[1], 0.0, y), slope = -(double(e[1]->y) - e[0]->y);
      if (slope > 0) lo = std::max(lo, -e0 / slope);
      else if (slope < 0) hi = std::min(hi, -e0 / slope);
      else if (e0 < 0) lo = px1 + 1.0;
    }
    if (lo > hi + 2) continue;
    int xl = std::clamp(FloorToInt(lo) - 1, px0, px1), xr = std::clamp(CeilToInt(hi) + 1, px0, px1);
    while (xl <= xr && !inside(xl, y)) ++xl;
    while (xr >= xl && !inside(xr, y)) --xr;
    if (xl > xr) continue;
    while (xl > px0 && inside(xl - 1, y)) --xl;
    while (xr < px1 && inside(xr + 1, y)) ++xr;
    if (affine) {
      int n = xr - xl + 1;
      uint32_t* row = reinterpret_cast<uint32_t*>(target.Row(y)) + xl;
      if (!sampler.Bound()) {
        if (rows32) BlendRow(target.Format(), row, t_shaded.data(), n, mode, flatAlpha);
        else for (int x = xl; x <= xr; ++x) WritePixel(target, mode, s, x, y, constant);
        continue;
      }
      int64_t su = map.S(xl, y), tv = map.T(xl, y);
      if (rows32) {
        uint32_t *gathered = t_gathered.data(), *shaded = t_shaded.data();
        const uint8_t* bits = texture->Bits();
        const size_t pitch = static_cast<size_t>(texture->Pitch());
        const int64_t lastU = su + map.sx * (n - 1), lastV = tv + map.tx * (n - 1);
        const int64_t w = int64_t{sampler.Width()} << 32, h = int64_t{sampler.Height()} << 32;
        // The coordinates run straight along the row: inside the texture at both ends, inside all along.
        if (std::min(su, lastU) >= 0 && std::max(su, lastU) < w && std::min(tv, lastV) >= 0 &&
            std::max(tv, lastV) < h) {
          for (int k = 0; k < n; ++k, su += map.sx, tv += map.tx)
            std::memcpy(&gathered[k], bits + static_cast<size_t>(tv >> 32) * pitch + static_cast<size_t>(su >> 32) * 4,
                        4);
        } else {
          for (int k = 0; k < n; ++k, su += map.sx, tv += map.tx) {
            int tu = sampler.AddressU(static_cast<int>(su >> 32)), tt = sampler.AddressV(static_cast<int>(tv >> 32));
            std::memcpy(&gathered[k], bits + static_cast<size_t>(tt) * pitch + static_cast<size_t>(tu) * 4, 4);
          }
        }
        if (!t_kernel.Identity()) t_kernel.Run(gathered, shaded, n);
        BlendRow(target.Format(), row, t_kernel.Identity() ? gathered : shaded, n, mode, t_kernel.Alpha());
        continue;
      }
      for (int x = xl; x <= xr; ++x) {
        // Each pixel from its own position, so that this path shows what the stepped rows draw.
        int64_t u = map.S(x, y), v = map.T(x, y);
        uint32_t texel = sampler.Fetch(sampler.AddressU(static_cast<int>(u >> 32)),
                                       sampler.AddressV(static_cast<int>(v >> 32)));
        WritePixel(target, mode, s, x, y, stage ? stage->Shade(texel) : ShadeTexel(s, texel, diffuse));
      }
      continue;
    }
    uint32_t* row = direct ? reinterpret_cast<uint32_t*>(target.Row(y)) : nullptr;
    for (int x = xl; x <= xr; ++x) {
      double w0 = Edge(*v1, *v2, x, y), w1 = Edge(*v2, *v0, x, y), w2 = Edge(*v0, *v1, x, y);
      // Perspective-correct weights through rhw; with equal rhw they are the plain barycentric ones.
      double l0 = w0 / area * v0->rhw, l1 = w1 / area * v1->rhw, l2 = w2 / area * v2->rhw;
      double q = l0 + l1 + l2;
      if (!(q != 0)) continue;
      l0 /= q, l1 /= q, l2 /= q;
      double u = l0 * v0->u + l1 * v1->u + l2 * v2->u;
      double vv = l0 * v0->v + l1 * v1->v + l2 * v2->v;
      if (stage) {
        uint32_t p = stage->Shade(sampler.Sample(u, vv));
        if (!direct) {
          WritePixel(target, mode, s, x, y, p);
          continue;
        }
        uint32_t a = p >> 24;
        if (mode == BlendMode::Replace || a == 0xFF) row[x] = p | opaque;
        else if (a != 0) row[x] = BlendStandard(p, row[x] | opaque) | opaque;
        continue;
      }
      uint32_t mixed = 0;
      for (int shift = 0; shift < 32; shift += 8) {
        double ch = l0 * Channel(v0->diffuse, shift) + l1 * Channel(v1->diffuse, shift) +
                    l2 * Channel(v2->diffuse, shift);
        mixed |= static_cast<uint32_t>(std::clamp(static_cast<int>(ch + 0.5), 0, 255)) << shift;
      }
      WritePixel(target, mode, s, x, y, ShadeTexel(s, sampler.Sample(u, vv), mixed));
    }
  }
}

void RasterQuad(PixelBuffer& target, const PixelBuffer* texture, const RasterState& s, const RasterVertex* v) {
  if (AxisAlignedQuad(target, texture, s, v)) return;
  RasterTriangle(target, texture, s, v[0], v[1], v[2]);
  RasterTriangle(target, texture, s, v[1], v[2], v[3]);
}

}  // namespace video

namespace video::test {
void ForceGeneralRaster(bool on) { g_forceGeneral.store(on, std::memory_order_relaxed); }
}  // namespace video::test
