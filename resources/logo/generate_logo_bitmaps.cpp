// Draws the logo bitmaps of the resource libraries and writes them as .bmp
// files, with a resource script that names each of them.
//
//   generate_logo_bitmaps OUTPUT_FOLDER
//
// One picture per edition or mode name, in two forms: "SVGA_LOGO_<name>" with
// 8 bits per pixel and a colour table of the picture's own colours, and
// "VGA_LOGO_<name>" with 4 bits per pixel in the 16 standard VGA colours,
// dithered. The bare "VGA_LOGO_" is written with the 12-byte core header.
// Each SVGA picture is drawn again from the same shapes at 150% and 200%
// ("SVGA_LOGO_<name>_150", "_200") for displays of those scales, with the
// colour table of its 100% form, run-length encoded where that is smaller.
// The lettering comes from the stroke glyphs below; no font file is read.
// A host program: it runs on the build machine, not in the product.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kWidth = 400;
constexpr int kHeight = 300;
constexpr int kBandHeight = 170;   // the gradient band with emblem and product name
constexpr int kAccentHeight = 4;   // the line under the band

struct Colour {
  double r, g, b;  // 0..255
};

Colour Mix(const Colour& a, const Colour& b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour Hex(unsigned rgb) { return {double((rgb >> 16) & 0xFF), double((rgb >> 8) & 0xFF), double(rgb & 0xFF)}; }

double Clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

// The picture's pixels at `scale` times the 400 by 300 of a 96-DPI display.
// The shapes are given in the units of that size; a pixel (x, y) covers
// units x / scale to (x + 1) / scale.
class Canvas {
 public:
  explicit Canvas(double scale)
      : scale_(scale),
        width_(int(std::lround(kWidth * scale))),
        height_(int(std::lround(kHeight * scale))),
        pixels_(size_t(width_) * height_, Colour{0, 0, 0}) {}
  double scale() const { return scale_; }
  int width() const { return width_; }
  int height() const { return height_; }
  Colour& at(int x, int y) { return pixels_[size_t(y) * width_ + x]; }
  const Colour& at(int x, int y) const { return pixels_[size_t(y) * width_ + x]; }
  // Lays `colour` over the pixel with the given coverage (0..1).
  void Blend(int x, int y, const Colour& colour, double coverage) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || coverage <= 0) return;
    at(x, y) = Mix(at(x, y), colour, Clamp01(coverage));
  }

 private:
  double scale_;
  int width_, height_;
  std::vector<Colour> pixels_;
};

// ---------------------------------------------------------------- lettering
// Glyphs are strokes in units: baseline at y = 0, y upward, capitals 7 high,
// small letters 5 high. Curves are drawn as short segments.

struct Point {
  double x, y;
};
using Stroke = std::vector<Point>;

struct Glyph {
  double width;
  std::vector<Stroke> strokes;
};

// Points on an ellipse from angle `from` to `to`, in degrees, counter-clockwise
// when to > from.
Stroke Arc(double cx, double cy, double rx, double ry, double from, double to) {
  Stroke points;
  const int steps = std::max(4, int(std::fabs(to - from) / 8));
  for (int i = 0; i <= steps; ++i) {
    double a = (from + (to - from) * i / steps) * kPi / 180.0;
    points.push_back({cx + rx * std::cos(a), cy + ry * std::sin(a)});
  }
  return points;
}

Stroke Join(Stroke a, const Stroke& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const std::map<char, Glyph>& Glyphs() {
  static const std::map<char, Glyph> glyphs = [] {
    std::map<char, Glyph> g;
    g['A'] = {5, {{{0, 0}, {2.5, 7}, {5, 0}}, {{0.9, 2.4}, {4.1, 2.4}}}};
    g['B'] = {5, {{{0, 0}, {0, 7}},
                  Join(Join({{0, 7}, {2.9, 7}}, Arc(2.9, 5.25, 1.75, 1.75, 90, -90)), {{0, 3.5}}),
                  Join(Join({{0, 3.5}, {3.1, 3.5}}, Arc(3.1, 1.75, 1.9, 1.75, 90, -90)), {{0, 0}})}};
    g['C'] = {5.2, {Arc(2.9, 3.5, 2.9, 3.5, 42, 318)}};
    g['D'] = {5.2, {Join(Join({{0, 0}, {0, 7}, {1.9, 7}}, Arc(1.9, 3.5, 3.3, 3.5, 90, -90)), {{0, 0}})}};
    g['E'] = {4.4, {{{4.4, 7}, {0, 7}, {0, 0}, {4.4, 0}}, {{0, 3.5}, {3.6, 3.5}}}};
    g['F'] = {4.4, {{{4.4, 7}, {0, 7}, {0, 0}}, {{0, 3.5}, {3.6, 3.5}}}};
    g['G'] = {5.6, {Join(Arc(2.9, 3.5, 2.9, 3.5, 42, 360), {{5.8, 3.2}, {3.4, 3.2}})}};
    g['H'] = {5, {{{0, 0}, {0, 7}}, {{5, 0}, {5, 7}}, {{0, 3.5}, {5, 3.5}}}};
    g['I'] = {0, {{{0, 0}, {0, 7}}}};
    g['J'] = {4, {Join({{4, 7}}, Arc(2, 2, 2, 2, 0, -180))}};
    g['K'] = {4.8, {{{0, 0}, {0, 7}}, {{4.8, 7}, {0, 2.4}}, {{1.7, 4.1}, {4.9, 0}}}};
    g['L'] = {4.2, {{{0, 7}, {0, 0}, {4.2, 0}}}};
    g['M'] = {6, {{{0, 0}, {0, 7}, {3, 1.6}, {6, 7}, {6, 0}}}};
    g['N'] = {5, {{{0, 0}, {0, 7}, {5, 0}, {5, 7}}}};
    g['O'] = {6.2, {Arc(3.1, 3.5, 3.1, 3.5, 0, 360)}};
    g['P'] = {4.8, {Join(Join({{0, 0}, {0, 7}, {2.8, 7}}, Arc(2.8, 5.05, 1.95, 1.95, 90, -90)), {{0, 3.1}})}};
    g['Q'] = {6.2, {Arc(3.1, 3.5, 3.1, 3.5, 0, 360), {{3.9, 1.4}, {6.2, -0.6}}}};
    g['R'] = {5, {Join(Join({{0, 0}, {0, 7}, {2.8, 7}}, Arc(2.8, 5.1, 1.9, 1.9, 90, -90)), {{0, 3.2}}),
                  {{2.4, 3.2}, {4.9, 0}}}};
    g['S'] = {4.8, {Join(Arc(2.4, 5.25, 2.3, 1.75, 25, 270), Arc(2.4, 1.75, 2.4, 1.75, 90, -155))}};
    g['T'] = {5, {{{0, 7}, {5, 7}}, {{2.5, 7}, {2.5, 0}}}};
    g['U'] = {5, {Join(Join({{0, 7}}, Arc(2.5, 2.4, 2.5, 2.4, 180, 360)), {{5, 7}})}};
    g['V'] = {5.2, {{{0, 7}, {2.6, 0}, {5.2, 7}}}};
    g['W'] = {7.2, {{{0, 7}, {1.7, 0}, {3.6, 5.6}, {5.5, 0}, {7.2, 7}}}};
    g['X'] = {5, {{{0, 7}, {5, 0}}, {{0, 0}, {5, 7}}}};
    g['Y'] = {5, {{{0, 7}, {2.5, 3.4}, {5, 7}}, {{2.5, 3.4}, {2.5, 0}}}};
    g['Z'] = {5, {{{0.2, 7}, {5, 7}, {0, 0}, {5, 0}}}};
    g['a'] = {4.2, {Arc(2.05, 2.5, 2.05, 2.5, 0, 360), {{4.2, 5}, {4.2, 0}}}};
    g['e'] = {4.3, {Join({{0.05, 2.5}, {4.3, 2.5}}, Arc(2.15, 2.5, 2.15, 2.5, 0, 318))}};
    g['r'] = {3.1, {{{0, 0}, {0, 5}}, Arc(2.9, 2.4, 2.9, 2.55, 180, 88)}};
    g['v'] = {4.2, {{{0, 5}, {2.1, 0}, {4.2, 5}}}};
    g['x'] = {4.2, {{{0, 5}, {4.2, 0}}, {{0, 0}, {4.2, 5}}}};
    g['0'] = {4.8, {Arc(2.4, 3.5, 2.4, 3.5, 0, 360)}};
    g['4'] = {5, {{{3.6, 0}, {3.6, 7}, {0, 2.2}, {5, 2.2}}}};
    g['.'] = {0.3, {{{0.15, 0.35}, {0.15, 0.35}}}};
    g[' '] = {2.4, {}};
    return g;
  }();
  return glyphs;
}

struct Segment {
  Point a, b;
};

// The segments of `text` placed with its baseline's left end at (left, baseline)
// in pixels, `scale` pixels per unit and `spacing` units between letters.
std::vector<Segment> LayOut(const std::string& text, double left, double baseline, double scale, double spacing) {
  std::vector<Segment> segments;
  double cursor = 0;
  for (char ch : text) {
    auto found = Glyphs().find(ch);
    if (found == Glyphs().end()) {
      std::fprintf(stderr, "generate_logo_bitmaps: no glyph for '%c'\n", ch);
      std::exit(1);
    }
    for (const Stroke& stroke : found->second.strokes) {
      for (size_t i = 0; i + 1 < stroke.size() || (stroke.size() == 1 && i == 0); ++i) {
        const Point& p = stroke[i];
        const Point& q = stroke.size() == 1 ? stroke[0] : stroke[i + 1];
        segments.push_back({{left + (cursor + p.x) * scale, baseline - p.y * scale},
                            {left + (cursor + q.x) * scale, baseline - q.y * scale}});
      }
    }
    cursor += found->second.width + spacing;
  }
  return segments;
}

double TextWidth(const std::string& text, double scale, double spacing) {
  double width = 0;
  for (char ch : text) width += Glyphs().at(ch).width + spacing;
  return (width - spacing) * scale;
}

double DistanceToSegment(double x, double y, const Segment& s) {
  double dx = s.b.x - s.a.x, dy = s.b.y - s.a.y;
  double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? Clamp01(((x - s.a.x) * dx + (y - s.a.y) * dy) / length2) : 0;
  double px = s.a.x + t * dx - x, py = s.a.y + t * dy - y;
  return std::sqrt(px * px + py * py);
}

// Strokes the segments (in units) with round ends, `thickness` units wide,
// anti-aliased over one pixel of the canvas.
void DrawStrokes(Canvas& canvas, std::vector<Segment> segments, double thickness, const Colour& colour,
                 double opacity = 1.0) {
  if (segments.empty()) return;
  const double k = canvas.scale();
  double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;
  for (Segment& s : segments) {
    s = {{s.a.x * k, s.a.y * k}, {s.b.x * k, s.b.y * k}};
    minX = std::min({minX, s.a.x, s.b.x});
    maxX = std::max({maxX, s.a.x, s.b.x});
    minY = std::min({minY, s.a.y, s.b.y});
    maxY = std::max({maxY, s.a.y, s.b.y});
  }
  const double half = thickness * k / 2;
  for (int y = std::max(0, int(minY - half - 2)); y <= std::min(canvas.height() - 1, int(maxY + half + 2)); ++y) {
    for (int x = std::max(0, int(minX - half - 2)); x <= std::min(canvas.width() - 1, int(maxX + half + 2)); ++x) {
      double nearest = 1e9;
      for (const Segment& s : segments) nearest = std::min(nearest, DistanceToSegment(x + 0.5, y + 0.5, s));
      canvas.Blend(x, y, colour, Clamp01(half - nearest + 0.5) * opacity);
    }
  }
}

// ---------------------------------------------------------------- the picture

const Colour kBandLeft = Hex(0x1B2A6E);
const Colour kBandRight = Hex(0x138A9E);
const Colour kAccentLeft = Hex(0xF6B44A);
const Colour kAccentRight = Hex(0xE2622C);
const Colour kPaperTop = Hex(0xF8FAFC);
const Colour kPaperBottom = Hex(0xDFE5EC);
const Colour kInk = Hex(0x24324F);
const Colour kWhite = Hex(0xFFFFFF);
const Colour kShadow = Hex(0x0A1030);

void PaintBackground(Canvas& canvas) {
  const double k = canvas.scale();
  for (int py = 0; py < canvas.height(); ++py) {
    for (int px = 0; px < canvas.width(); ++px) {
      // The pixel's place in units (whole units at 100%), and its centre's row.
      const double x = (px + 0.5) / k - 0.5, y = (py + 0.5) / k - 0.5, centreY = (py + 0.5) / k;
      Colour c;
      if (centreY < kBandHeight) {
        c = Mix(kBandLeft, kBandRight, x / (kWidth - 1));
        c = Mix(c, kShadow, 0.28 * y / kBandHeight);
        // A soft diagonal sheen across the band.
        double d = (x - 1.6 * y - 120) / 70.0;
        c = Mix(c, kWhite, 0.07 * std::exp(-d * d));
      } else if (centreY < kBandHeight + kAccentHeight) {
        c = Mix(kAccentLeft, kAccentRight, x / (kWidth - 1));
      } else {
        c = Mix(kPaperTop, kPaperBottom, (y - kBandHeight) / (kHeight - kBandHeight));
      }
      canvas.at(px, py) = c;
    }
  }
}

// A gold disc with two white rising chevrons, its centre and radius in units.
void PaintEmblem(Canvas& canvas, double unitX, double unitY, double unitRadius) {
  // The disc in pixels of the canvas.
  const double k = canvas.scale();
  const double cx = unitX * k, cy = unitY * k, radius = unitRadius * k;
  for (int y = int(cy - radius - 6 * k); y <= int(cy + radius + 6 * k); ++y) {
    for (int x = int(cx - radius - 6 * k); x <= int(cx + radius + 6 * k); ++x) {
      double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
      double t = Clamp01((y + 0.5 - (cy - radius)) / (2 * radius));
      canvas.Blend(x, y, kShadow, Clamp01(radius + 5 * k - d) * 0.18);  // halo
      canvas.Blend(x, y, Mix(kAccentLeft, kAccentRight, t), Clamp01(radius - d + 0.5));
      canvas.Blend(x, y, kWhite, Clamp01(1.2 * k - std::fabs(d - (radius - 5 * k))) * 0.45);  // inner ring
    }
  }
  // The chevrons in units, as DrawStrokes takes them.
  const double s = unitRadius / 40.0, ux = unitX, uy = unitY;
  std::vector<Segment> upper = {{{ux - 17 * s, uy - 1 * s}, {ux, uy - 17 * s}}, {{ux, uy - 17 * s}, {ux + 17 * s, uy - 1 * s}}};
  std::vector<Segment> lower = {{{ux - 17 * s, uy + 16 * s}, {ux, uy}}, {{ux, uy}, {ux + 17 * s, uy + 16 * s}}};
  DrawStrokes(canvas, upper, 7 * s, kWhite);
  DrawStrokes(canvas, lower, 7 * s, kWhite, 0.75);
}

Canvas PaintLogo(const std::string& subtitle, double scale) {
  Canvas canvas(scale);
  PaintBackground(canvas);
  PaintEmblem(canvas, 76, 86, 40);

  const std::string title = "Tarvex 4.0";
  const double titleScale = 5.0, titleSpacing = 1.15, left = 138, baseline = 103;
  DrawStrokes(canvas, LayOut(title, left + 2, baseline + 2, titleScale, titleSpacing), 4.8, kShadow, 0.35);
  DrawStrokes(canvas, LayOut(title, left, baseline, titleScale, titleSpacing), 4.8, kWhite);
  // A thin rule under the name, in the accent colour.
  DrawStrokes(canvas, {{{left + 1, 124}, {left + 96, 124}}}, 2.0, kAccentLeft, 0.9);

  const double subScale = 2.5, subSpacing = 2.3;
  double width = TextWidth(subtitle, subScale, subSpacing);
  double subLeft = (kWidth - width) / 2;
  DrawStrokes(canvas, LayOut(subtitle, subLeft, 247, subScale, subSpacing), 2.3, kInk);
  // Short accent rules either side of the subtitle.
  DrawStrokes(canvas, {{{subLeft - 34, 238}, {subLeft - 14, 238}}}, 2.0, kAccentRight, 0.85);
  DrawStrokes(canvas, {{{subLeft + width + 14, 238}, {subLeft + width + 34, 238}}}, 2.0, kAccentRight, 0.85);
  return canvas;
}

// ---------------------------------------------------------------- colour reduction

struct Rgb {
  uint8_t r, g, b;
  bool operator<(const Rgb& o) const { return std::tie(r, g, b) < std::tie(o.r, o.g, o.b); }
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

Rgb Round(const Colour& c) {
  auto channel = [](double v) { return uint8_t(std::lround(std::min(255.0, std::max(0.0, v)))); };
  return {channel(c.r), channel(c.g), channel(c.b)};
}

struct Indexed {
  int width = 0, height = 0;   // in pixels
  std::vector<Rgb> palette;
  std::vector<uint8_t> index;  // one per pixel, top row first
};

int Nearest(const std::vector<Rgb>& palette, double r, double g, double b) {
  int best = 0;
  double bestDistance = 1e18;
  for (size_t i = 0; i < palette.size(); ++i) {
    double dr = palette[i].r - r, dg = palette[i].g - g, db = palette[i].b - b;
    double distance = 2 * dr * dr + 4 * dg * dg + 3 * db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = int(i);
    }
  }
  return best;
}

// Each pixel as the nearest colour of `palette`.
Indexed ReduceToPalette(const Canvas& canvas, const std::vector<Rgb>& palette) {
  Indexed out;
  out.width = canvas.width();
  out.height = canvas.height();
  out.palette = palette;
  std::map<Rgb, uint8_t> lookup;
  out.index.reserve(size_t(out.width) * out.height);
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      Rgb c = Round(canvas.at(x, y));
      auto found = lookup.find(c);
      if (found == lookup.end()) found = lookup.emplace(c, uint8_t(Nearest(palette, c.r, c.g, c.b))).first;
      out.index.push_back(found->second);
    }
  }
  return out;
}

// The picture's own colours: a median cut of its colours into at most 256.
Indexed ReduceToOwnPalette(const Canvas& canvas) {
  std::map<Rgb, int> counts;
  for (int y = 0; y < canvas.height(); ++y)
    for (int x = 0; x < canvas.width(); ++x) ++counts[Round(canvas.at(x, y))];
  struct Entry {
    Rgb colour;
    int count;
  };
  std::vector<std::vector<Entry>> boxes(1);
  for (auto& [colour, count] : counts) boxes[0].push_back({colour, count});

  auto channel = [](const Entry& e, int c) { return c == 0 ? e.colour.r : c == 1 ? e.colour.g : e.colour.b; };
  while (boxes.size() < 256) {
    // Split the box with the widest weighted range along that channel.
    int bestBox = -1, bestChannel = 0;
    double bestScore = 0;
    for (size_t i = 0; i < boxes.size(); ++i) {
      if (boxes[i].size() < 2) continue;
      long total = 0;
      for (const Entry& e : boxes[i]) total += e.count;
      for (int c = 0; c < 3; ++c) {
        int lo = 255, hi = 0;
        for (const Entry& e : boxes[i]) {
          lo = std::min<int>(lo, channel(e, c));
          hi = std::max<int>(hi, channel(e, c));
        }
        double score = double(hi - lo) * std::sqrt(double(total));
        if (score > bestScore) {
          bestScore = score;
          bestBox = int(i);
          bestChannel = c;
        }
      }
    }
    if (bestBox < 0) break;
    std::vector<Entry>& box = boxes[bestBox];
    std::sort(box.begin(), box.end(),
              [&](const Entry& a, const Entry& b) { return channel(a, bestChannel) < channel(b, bestChannel); });
    long total = 0, half = 0;
    for (const Entry& e : box) total += e.count;
    size_t cut = 0;
    while (cut < box.size() - 1 && (half += box[cut].count) < total / 2) ++cut;
    cut = std::max<size_t>(1, std::min(cut + 1, box.size() - 1));
    std::vector<Entry> upper(box.begin() + cut, box.end());
    box.resize(cut);
    boxes.push_back(std::move(upper));
  }

  std::vector<Rgb> palette;
  for (const auto& box : boxes) {
    double r = 0, g = 0, b = 0, n = 0;
    for (const Entry& e : box) {
      r += e.colour.r * e.count;
      g += e.colour.g * e.count;
      b += e.colour.b * e.count;
      n += e.count;
    }
    palette.push_back(Round({r / n, g / n, b / n}));
  }
  return ReduceToPalette(canvas, palette);
}

// The 16 colours every VGA display shows, ordered dithered.
Indexed ReduceToVgaColours(const Canvas& canvas) {
  static const int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  Indexed out;
  out.width = canvas.width();
  out.height = canvas.height();
  out.palette = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
                 {0, 128, 128},   {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
                 {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      const Colour& c = canvas.at(x, y);
      double offset = (kBayer[y % 4][x % 4] - 7.5) / 16.0 * 80.0;
      out.index.push_back(uint8_t(Nearest(out.palette, c.r + offset, c.g + offset, c.b + offset)));
    }
  }
  return out;
}

// ---------------------------------------------------------------- files

void Put16(std::vector<uint8_t>& out, unsigned v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

enum class HeaderForm { Info, Core };

// The pixel rows bottom-up, each padded to 4 bytes: 8 or 4 bits per pixel.
std::vector<uint8_t> PixelRows(const Indexed& image, int bitsPerPixel) {
  const size_t stride = (size_t(image.width) * bitsPerPixel + 31) / 32 * 4;
  std::vector<uint8_t> out;
  for (int y = image.height - 1; y >= 0; --y) {
    std::vector<uint8_t> row(stride, 0);
    for (int x = 0; x < image.width; ++x) {
      uint8_t v = image.index[size_t(y) * image.width + x];
      if (bitsPerPixel == 8) row[x] = v;
      else row[x / 2] |= uint8_t(x % 2 == 0 ? v << 4 : v);
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

// Length of the run of one value from `x` in `row`, at most `most`.
int RunLength(const uint8_t* row, int width, int x, int most) {
  int run = 1;
  while (x + run < width && run < most && row[x + run] == row[x]) ++run;
  return run;
}

// One row of 8-bit pixels run-length encoded: runs of three or more as a
// count and a value, what lies between as absolute runs (or single runs
// where fewer than three bytes lie between), then the end of the line.
void EncodeRle8Row(const uint8_t* row, int width, std::vector<uint8_t>& out) {
  int x = 0;
  while (x < width) {
    const int run = RunLength(row, width, x, 255);
    if (run >= 3) {
      out.insert(out.end(), {uint8_t(run), row[x]});
      x += run;
      continue;
    }
    const int start = x;
    while (x < width && x - start < 255 && RunLength(row, width, x, 3) < 3) ++x;
    const int count = x - start;
    if (count < 3) {
      for (int i = start; i < x; ++i) out.insert(out.end(), {uint8_t(1), row[i]});
      continue;
    }
    out.insert(out.end(), {uint8_t(0), uint8_t(count)});
    out.insert(out.end(), row + start, row + x);
    if (count % 2 != 0) out.push_back(0);  // absolute runs end on a 16-bit boundary
  }
  out.insert(out.end(), {uint8_t(0), uint8_t(0)});
}

// The 8-bit pixels run-length encoded (BI_RLE8), bottom-up, ended by the end of the bitmap.
std::vector<uint8_t> Rle8Rows(const Indexed& image) {
  std::vector<uint8_t> out;
  for (int y = image.height - 1; y >= 0; --y) EncodeRle8Row(&image.index[size_t(y) * image.width], image.width, out);
  out.insert(out.end(), {uint8_t(0), uint8_t(1)});
  return out;
}

// A .bmp file: file header, DIB header, colour table and `bits`, either
// uncompressed rows or (`rle8`) run-length encoded ones.
std::vector<uint8_t> EncodeBmp(const Indexed& image, int bitsPerPixel, HeaderForm form,
                               const std::vector<uint8_t>& bits, bool rle8) {
  const uint32_t colours = uint32_t(image.palette.size());
  const uint32_t headerSize = form == HeaderForm::Core ? 12 : 40;
  const uint32_t tableSize = colours * (form == HeaderForm::Core ? 3 : 4);
  const uint32_t bitsOffset = 14 + headerSize + tableSize;
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, bitsOffset + uint32_t(bits.size()));
  Put32(out, 0);
  Put32(out, bitsOffset);
  if (form == HeaderForm::Core) {
    Put32(out, 12);
    Put16(out, image.width);
    Put16(out, image.height);
    Put16(out, 1);
    Put16(out, bitsPerPixel);
  } else {
    Put32(out, 40);
    Put32(out, image.width);
    Put32(out, image.height);
    Put16(out, 1);
    Put16(out, bitsPerPixel);
    Put32(out, rle8 ? 1 : 0);  // BI_RLE8 or BI_RGB
    Put32(out, uint32_t(bits.size()));
    Put32(out, 2835);  // 72 dots per inch
    Put32(out, 2835);
    Put32(out, colours == (1u << bitsPerPixel) ? 0 : colours);
    Put32(out, 0);
  }
  for (const Rgb& c : image.palette) {
    out.push_back(c.b);
    out.push_back(c.g);
    out.push_back(c.r);
    if (form == HeaderForm::Info) out.push_back(0);
  }
  out.insert(out.end(), bits.begin(), bits.end());
  return out;
}

// An 8-bit picture in the smaller of its two forms, uncompressed or run-length encoded.
std::vector<uint8_t> EncodeSmallest8(const Indexed& image) {
  const std::vector<uint8_t> rows = PixelRows(image, 8), encoded = Rle8Rows(image);
  const bool rle8 = encoded.size() < rows.size();
  return EncodeBmp(image, 8, HeaderForm::Info, rle8 ? encoded : rows, rle8);
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

struct LogoName {
  const char* suffix;    // after "SVGA_LOGO_" or "VGA_LOGO_"
  const char* subtitle;  // what the picture says it stands for
};

// Every name the library can ask for: the edition names, the forms mode
// ("PELTRA"), the third mode ("DRUVA", also an edition name) and the bare prefix.
const LogoName kLogoNames[] = {
    {"TAMIR", "TAMIR EDITION"}, {"MEREL", "MEREL EDITION"},   {"ZOLT", "ZOLT EDITION"},
    {"KIRVANE", "KIRVANE EDITION"}, {"DRUVA", "DRUVA EDITION"}, {"PELTRA", "FORMS MODE"},
    {"", "WELCOME"},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: generate_logo_bitmaps OUTPUT_FOLDER [SCRIPT_WITHOUT_VARIANTS]\n");
    return 2;
  }
  const std::string folder = argv[1];
  std::string script = "/* Generated by generate_logo_bitmaps: the logo bitmaps. */\n";
  // The same bitmaps but for the ones drawn for larger scales.
  std::string baseScript = "/* Generated by generate_logo_bitmaps: the logo bitmaps at 100% only. */\n";
  for (const LogoName& name : kLogoNames) {
    Canvas picture = PaintLogo(name.subtitle, 1.0);
    const std::string svga = std::string("SVGA_LOGO_") + name.suffix;
    const std::string vga = std::string("VGA_LOGO_") + name.suffix;
    // One of the pictures keeps the old 12-byte header, so that form is always shipped.
    HeaderForm vgaForm = name.suffix[0] == '\0' ? HeaderForm::Core : HeaderForm::Info;
    const Indexed own = ReduceToOwnPalette(picture);
    const Indexed vgaColours = ReduceToVgaColours(picture);
    std::vector<std::pair<std::string, std::vector<uint8_t>>> files = {
        {svga, EncodeBmp(own, 8, HeaderForm::Info, PixelRows(own, 8), false)},
        {vga, EncodeBmp(vgaColours, 4, vgaForm, PixelRows(vgaColours, 4), false)},
    };
    // Drawn again from the shapes for larger scales, in the 100% picture's colours.
    for (int percent : {150, 200}) {
      files.push_back({svga + "_" + std::to_string(percent),
                       EncodeSmallest8(ReduceToPalette(PaintLogo(name.subtitle, percent / 100.0), own.palette))});
    }
    for (const auto& [resourceName, bytes] : files) {
      const std::string path = folder + "/" + resourceName + ".bmp";
      if (!WriteFile(path, bytes)) {
        std::fprintf(stderr, "generate_logo_bitmaps: cannot write %s\n", path.c_str());
        return 1;
      }
      script += resourceName + " BITMAP \"" + path + "\"\n";
      if (resourceName == svga || resourceName == vga) baseScript += resourceName + " BITMAP \"" + path + "\"\n";
    }
  }
  std::vector<std::pair<std::string, std::string>> scripts = {{folder + "/logo_bitmaps.rc", script}};
  if (argc == 3) scripts.push_back({argv[2], baseScript});
  for (const auto& [scriptPath, text] : scripts) {
    if (!WriteFile(scriptPath, std::vector<uint8_t>(text.begin(), text.end()))) {
      std::fprintf(stderr, "generate_logo_bitmaps: cannot write %s\n", scriptPath.c_str());
      return 1;
    }
  }
  return 0;
}
