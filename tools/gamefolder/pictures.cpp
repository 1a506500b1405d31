// The fixed bitmap set, the palette picture and the stages' backgrounds, drawn by code as 8-bit
// pictures on the game's palette. Sheets keep the layouts the drawing code reads: 32 x 32 cells,
// characters one per row with their frames across, 15 cells per column for blocks, items and marks.
// The centre pixel of every cell has the cell's own colour, so a probe tells which cell was drawn.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "gamefolder/gamefolder.h"
#include "gamefolder/pixelfont.h"
#include "platform/fs/path.h"
#include "platform/video/bmp.h"
#include "scenes/surfacesets.h"

namespace {

constexpr int kHues = 20;
constexpr int kLevels = 12;
constexpr int kRampStart = 16;

// Fixed colours below the ramp.
enum : int {
  kClear = 0,
  kBlack = 1,
  kWhite = 2,
  kDarkGrey = 3,
  kGrey = 4,
  kLightGrey = 5,
  kRed = 6,
  kGreen = 7,
  kBlue = 8,
  kYellow = 9,
};
constexpr PaletteColour kFixed[kRampStart] = {
    {255, 0, 255}, {0, 0, 0},     {255, 255, 255}, {64, 64, 64},  {128, 128, 128}, {192, 192, 192},
    {220, 40, 40}, {40, 200, 60}, {50, 80, 230},   {250, 220, 40}, {40, 220, 230}, {250, 140, 30},
    {130, 80, 40}, {250, 150, 200}, {20, 20, 90},  {20, 80, 30}};

int Ramp(int hue, int level) { return kRampStart + (hue % kHues) * kLevels + level; }

class cSheet : public cPixelCanvas {
 public:
  cSheet(int w, int h, int fill = kClear) : w_(w), h_(h), px_(static_cast<size_t>(w) * h, static_cast<uint8_t>(fill)) {}
  void Put(int x, int y, int colour) override {
    if (x >= 0 && y >= 0 && x < w_ && y < h_) px_[static_cast<size_t>(y) * w_ + x] = static_cast<uint8_t>(colour);
  }
  void Disc(int cx, int cy, int rx, int ry, int colour) {
    for (int y = -ry; y <= ry; ++y)
      for (int x = -rx; x <= rx; ++x)
        if (x * x * ry * ry + y * y * rx * rx <= rx * rx * ry * ry) Put(cx + x, cy + y, colour);
  }
  void Frame(int x, int y, int w, int h, int t, int colour) {
    Fill(x, y, w, t, colour);
    Fill(x, y + h - t, w, t, colour);
    Fill(x, y, t, h, colour);
    Fill(x + w - t, y, t, h, colour);
  }
  // A solid cell with a light top-left and a dark bottom-right edge.
  void Bevel(int x, int y, int w, int h, int colour) {
    Fill(x, y, w, h, colour);
    Fill(x, y, w, 2, kLightGrey);
    Fill(x, y, 2, h, kLightGrey);
    Fill(x, y + h - 2, w, 2, kDarkGrey);
    Fill(x + w - 2, y, 2, h, kDarkGrey);
  }
  // Text scaled to fit w pixels (at most 4 times), 28 pixels high, centred in the box.
  void Word(int x, int y, int w, int h, const std::string& text, int colour) {
    int sx = 4;
    while (sx > 1 && PixelTextWidth(text, sx) > w) --sx;
    const int sy = std::min(4, h / 7);
    const int left = x + (w - PixelTextWidth(text, sx)) / 2;
    const int top = y + (h - 7 * sy) / 2;
    for (size_t k = 0; k < text.size(); ++k)
      for (int r = 0; r < 7; ++r)
        for (int c = 0; c < 5; ++c)
          if (PixelGlyphRow(text[k], r) & (0x10 >> c))
            Fill(left + (static_cast<int>(k) * 6 + c) * sx, top + r * sy, sx, sy, colour);
  }
  bool Save(const std::string& path) const {
    std::vector<RGBQUAD> colours(256);
    for (int i = 0; i < 256; ++i) {
      const PaletteColour c = GamePaletteColour(i);
      colours[i] = RGBQUAD{c.b, c.g, c.r, 0};
    }
    return video::SaveBmpFile(path, video::BmpImage::FromIndices(w_, h_, 8, px_, colours));
  }
  int w_, h_;
  std::vector<uint8_t> px_;
};

// A creature facing left in the 32 x 32 cell at (x, y); the frame moves its feet.
void DrawCreature(cSheet& s, int x, int y, int colour, int frame) {
  const int step = (frame & 1) ? 3 : 0;
  s.Fill(x + 9 - step, y + 26, 5, 5, kDarkGrey);
  s.Fill(x + 18 + step, y + 26, 5, 5, kDarkGrey);
  s.Disc(x + 16, y + 16, 11, 12, colour);
  s.Fill(x + 8, y + 10, 5, 5, kWhite);
  s.Fill(x + 15, y + 10, 5, 5, kWhite);
  s.Fill(x + 8, y + 12, 2, 2, kBlack);
  s.Fill(x + 15, y + 12, 2, 2, kBlack);
}

void DrawArrow(cSheet& s, int x, int y, int size, int colour) {
  for (int r = 0; r < size; ++r) {
    const int half = r < size / 2 ? r : size - 1 - r;
    s.Fill(x + size / 4, y + r, half + 1, 1, colour);
  }
}

cSheet BlockSheet() {
  cSheet s(512, 480);
  for (int n = 0; n < 16 * 15; ++n) {
    const int x = (n / 15) * 32, y = (n % 15) * 32;
    s.Bevel(x, y, 32, 32, CellColourIndex(n));
    if (n % 3 == 1) {  // bricks
      s.Fill(x + 2, y + 15, 28, 1, kDarkGrey);
      s.Fill(x + 15, y + 2, 1, 13, kDarkGrey);
    }
  }
  return s;
}

// Character sheet n (from 1): its rows take the cell colours after those of the sheets before it.
cSheet CharacterSheet(int n) {
  cSheet s(640, 480);
  for (int row = 0; row < 15; ++row)
    for (int frame = 0; frame < 20; ++frame)
      DrawCreature(s, frame * 32, row * 32, CellColourIndex((n - 1) * 15 + row), frame);
  return s;
}

// The title menu's strips, one 32-pixel row per title command in command order.
cSheet GameModeSheet() {
  const char* const labels[] = {"NEW GAME", "CONTINUE", "CHALLENGE", "FREE PLAY", "REPLAY", "OPTIONS", "END"};
  cSheet s(192, 32 * static_cast<int>(std::size(labels)));
  for (size_t i = 0; i < std::size(labels); ++i) s.Word(0, static_cast<int>(i) * 32, 192, 32, labels[i], kWhite);
  return s;
}

cSheet ShotSheet() {
  cSheet s(256, 960);
  for (int n = 0; n < 4 * 30; ++n)
    for (int f = 0; f < 2; ++f) {
      const int x = (n / 30) * 64 + f * 32, y = (n % 30) * 32;
      s.Disc(x + 16, y + 16, 7 - f, 7 - f, CellColourIndex(n));
      s.Disc(x + 16, y + 16, 1, 1, CellColourIndex(n));
      s.Fill(x + 13, y + 12, 2, 2, kWhite);
    }
  return s;
}

cSheet ItemSheet() {
  cSheet s(512, 480);
  for (int n = 0; n < 8 * 15; ++n)
    for (int f = 0; f < 2; ++f) {
      const int x = (n / 15) * 64 + f * 32, y = (n % 15) * 32;
      const int r = 11 - 2 * f;
      for (int d = -r; d <= r; ++d) s.Fill(x + 16 - (r - std::abs(d)), y + 16 + d, 2 * (r - std::abs(d)) + 1, 1, CellColourIndex(n));
      s.Fill(x + 13, y + 10, 3, 3, kWhite);
    }
  return s;
}

cSheet ItemMiniSheet() {
  cSheet s(256, 240);
  for (int n = 0; n < 16 * 15; ++n) {
    const int x = (n / 15) * 16, y = (n % 15) * 16;
    s.Disc(x + 8, y + 8, 6, 6, CellColourIndex(n));
  }
  return s;
}

cSheet MarkSheet() {
  cSheet s(128, 480);
  for (int n = 0; n < 4 * 15; ++n) {
    const int x = (n / 15) * 32, y = (n % 15) * 32;
    s.Frame(x, y, 32, 32, 2, CellColourIndex(n));
    s.Fill(x + 14, y + 14, 4, 4, CellColourIndex(n));
  }
  return s;
}

cSheet DebugSheet() {
  cSheet s(128, 160);
  for (int row = 2; row < 8; ++row)
    for (int col = 0; col < 16; ++col) s.Text(col * 8 + 1, row * 16 + 4, std::string(1, static_cast<char>(row * 16 + col)), 1, kWhite);
  return s;
}

// Icons of the fonts: one cell per letter a..z, 16 and 32 pixels wide.
cSheet SymbolSheet() {
  cSheet s(832, 32);
  for (int n = 0; n < 52; ++n) s.Disc(n * 16 + 8, 8, 6, 6, CellColourIndex(n));
  for (int n = 0; n < 26; ++n) s.Disc(n * 32 + 16, 16, 12, 12, CellColourIndex(n));
  return s;
}

cSheet WindowPicture() {
  cSheet s(640, 480);
  for (int y = 0; y < 480; ++y) s.Fill(0, y, 640, 1, Ramp(13, 1 + y * 4 / 480));
  return s;
}

cSheet StatusWindowPicture() {
  cSheet s(640, 32);
  s.Fill(0, 0, 640, 32, kDarkGrey);
  s.Fill(0, 19, 640, 1, kLightGrey);
  return s;
}

cSheet Backdrop(int hue, const std::string& text, int scale) {
  cSheet s(640, 480);
  for (int y = 0; y < 480; ++y) s.Fill(0, y, 640, 1, Ramp(hue, 2 + y * 9 / 480));
  if (!text.empty()) {
    const int w = PixelTextWidth(text, scale);
    s.Text((640 - w) / 2 + scale, 160 + scale, text, scale, kBlack);
    s.Text((640 - w) / 2, 160, text, scale, kWhite);
  }
  return s;
}

cSheet AccessorySheet() {
  cSheet s(256, 256);
  for (int y = 0; y < 256; y += 16)
    for (int x = 0; x < 256; x += 16) s.Fill(x, y, 16, 16, CellColourIndex((y / 16) * 16 + x / 16));
  s.Fill(0, 0, 64, 32, kClear);
  DrawArrow(s, 0, 0, 32, kYellow);
  s.Fill(64, 0, 32, 16, kClear);
  DrawArrow(s, 64, 0, 16, kYellow);
  DrawArrow(s, 80, 0, 16, kGrey);
  s.Fill(96, 0, 32, 32, kClear);
  s.Disc(112, 16, 12, 12, kYellow);
  s.Fill(0, 64, 128, 64, kClear);
  for (int f = 0; f < 4; ++f)
    for (int row = 0; row < 2; ++row) DrawCreature(s, f * 32, 64 + row * 32, Ramp(0, 7), f);
  return s;
}

cSheet WordSheet() {
  cSheet s(320, 192);
  s.Word(0, 0, 128, 32, "STAGE", kYellow);
  s.Word(0, 32, 128, 32, "REPLAY", kYellow);
  s.Word(0, 64, 128, 32, "CLEAR", kYellow);
  s.Word(0, 96, 144, 32, "GAME OVER", kRed);
  s.Word(160, 0, 80, 32, "START", kYellow);
  for (int d = 0; d < 10; ++d) {
    s.Word(d * 32, 128, 32, 32, std::string(1, static_cast<char>('0' + d)), kWhite);
    s.Word(d * 32, 160, 32, 32, std::string(1, static_cast<char>('0' + d)), kYellow);
  }
  return s;
}

cSheet WorldMapChipSheet() {
  cSheet s(160, 320);
  for (int n = 0; n < 50; ++n) {
    const int x = (n % 5) * 32, y = (n / 5) * 32;
    s.Fill(x, y, 32, 32, CellColourIndex(n));
    for (int k = 0; k < 6; ++k) s.Fill(x + (k * 11) % 29, y + (k * 7 + 5) % 29, 2, 2, kDarkGrey);
  }
  return s;
}

cSheet WorldEventSheet() {
  cSheet s(64, 512);
  for (int row = 0; row < 16; ++row) {
    s.Disc(16, row * 32 + 16, 11, 11, kRed);
    s.Frame(5, row * 32 + 5, 22, 22, 2, kWhite);
    s.Disc(48, row * 32 + 16, 11, 11, kYellow);
    s.Frame(37, row * 32 + 5, 22, 22, 2, kWhite);
  }
  return s;
}

struct FixedPicture {
  const char* file;
  cSheet (*draw)(const std::string& title);
};

const FixedPicture kFixedPictures[] = {
    {"bmp\\Debug.bmp", [](const std::string&) { return DebugSheet(); }},
    {"bmp\\Block.bmp", [](const std::string&) { return BlockSheet(); }},
    {"bmp\\Character1.bmp", [](const std::string&) { return CharacterSheet(1); }},
    {"bmp\\Character2.bmp", [](const std::string&) { return CharacterSheet(2); }},
    {"bmp\\Character3.bmp", [](const std::string&) { return CharacterSheet(3); }},
    {"bmp\\Character4.bmp", [](const std::string&) { return CharacterSheet(4); }},
    {"bmp\\Character5.bmp", [](const std::string&) { return CharacterSheet(5); }},
    {"bmp\\Character6.bmp", [](const std::string&) { return CharacterSheet(6); }},
    {"bmp\\Character7.bmp", [](const std::string&) { return CharacterSheet(7); }},
    {"bmp\\Character8.bmp", [](const std::string&) { return CharacterSheet(8); }},
    {"bmp\\GameMode.bmp", [](const std::string&) { return GameModeSheet(); }},
    {"bmp\\Shot.bmp", [](const std::string&) { return ShotSheet(); }},
    {"bmp\\Item.bmp", [](const std::string&) { return ItemSheet(); }},
    {"bmp\\Item_Mini.bmp", [](const std::string&) { return ItemMiniSheet(); }},
    {"bmp\\Mark.bmp", [](const std::string&) { return MarkSheet(); }},
    {"bmp\\Loading.bmp", [](const std::string&) { return Backdrop(13, "LOADING", 4); }},
    {"bmp\\Window.bmp", [](const std::string&) { return WindowPicture(); }},
    {"bmp\\StatusWindow.bmp", [](const std::string&) { return StatusWindowPicture(); }},
    {"bmp\\Title.bmp", [](const std::string& title) { return Backdrop(12, title, 8); }},
    {"bmp\\Accessory.bmp", [](const std::string&) { return AccessorySheet(); }},
    {"bmp\\Symbol.bmp", [](const std::string&) { return SymbolSheet(); }},
    {"bmp\\Word.bmp", [](const std::string&) { return WordSheet(); }},
    {"bmp\\WorldMapChip.bmp", [](const std::string&) { return WorldMapChipSheet(); }},
    {"bmp\\WorldEvent.bmp", [](const std::string&) { return WorldEventSheet(); }},
};

const FixedPicture* PictureOf(const std::string& path) {
  for (const FixedPicture& p : kFixedPictures)
    if (path == p.file) return &p;
  return nullptr;
}

}  // namespace

PaletteColour GamePaletteColour(int index) {
  if (index < 0 || index > 255) return {0, 0, 0};
  if (index < kRampStart) return kFixed[index];
  const int hue = (index - kRampStart) / kLevels, level = (index - kRampStart) % kLevels;
  // Hue around the circle; brightness rising with the level, the lightest levels paler.
  const double h = hue * 6.0 / kHues;
  const double v = 0.22 + level * 0.07;
  const double sat = level > 8 ? 0.85 - (level - 8) * 0.2 : 0.85;
  const int sector = static_cast<int>(h);
  const double f = h - sector;
  const double p = v * (1 - sat), q = v * (1 - sat * f), t = v * (1 - sat * (1 - f));
  double r = v, g = t, b = p;
  switch (sector) {
    case 1: r = q; g = v; b = p; break;
    case 2: r = p; g = v; b = t; break;
    case 3: r = p; g = q; b = v; break;
    case 4: r = t; g = p; b = v; break;
    case 5: r = v; g = p; b = q; break;
    default: break;
  }
  auto byte = [](double x) { return static_cast<uint8_t>(std::lround(std::min(1.0, x) * 255)); };
  return {byte(r), byte(g), byte(b)};
}

int CellColourIndex(int cell) {
  // 97 is prime to 240: the first 240 cells all differ.
  const int n = ((cell % 240) + 240) % 240;
  return kRampStart + (n * 97) % 240;
}

std::pair<int, int> FixedBitmapSize(const std::string& gamePath) {
  const FixedPicture* p = PictureOf(gamePath);
  if (!p) return {0, 0};
  const cSheet s = p->draw("");
  return {s.w_, s.h_};
}

bool WriteFixedBitmaps(const std::string& titleText) {
  if (!MakeGameDirectory("bmp") || !MakeGameDirectory("bmp\\plt")) return false;
  // The player reads the palette from the 16 x 16 block at rows 8 to 23 and the transparent colour
  // from the top-left pixel: the rows above the block hold colour 0.
  cSheet palette(16, 24, kClear);
  for (int i = 0; i < 256; ++i) palette.Put(i % 16, 8 + i / 16, i);
  if (!palette.Save("bmp\\plt\\Palette.bmp")) return false;
  // Every file the set needs, once, and the optional ones this writer draws (the loading picture,
  // the further character sheets, the title menu's strips).
  std::vector<std::string> written{"bmp\\plt\\Palette.bmp"};
  for (int i = 0; i < kAppSurfaceCount; ++i) {
    bool optional = false;
    const char* file = FixedBitmapFile(i, &optional);
    if (!file) continue;
    if (std::find(written.begin(), written.end(), file) != written.end()) continue;
    const FixedPicture* p = PictureOf(file);
    if (!p) {
      if (optional || std::strcmp(file, "E") == 0) continue;  // pictures a game may leave out, work surfaces
      return false;  // a file of the set this writer does not know
    }
    if (!p->draw(titleText).Save(file)) return false;
    written.push_back(file);
  }
  return true;
}

bool WriteBackdrop(const std::string& path, int hue) {
  cSheet s = Backdrop(hue, "", 1);
  // Hills in the lower third, so that scrolling shows.
  for (int x = 0; x < 640; ++x) {
    const int top = 360 + static_cast<int>(40 * std::sin(x * 0.02) + 20 * std::sin(x * 0.057));
    s.Fill(x, top, 1, 480 - top, Ramp(hue + 6, 3));
  }
  return s.Save(path);
}
