// What the tests' resource module holds: strings, bitmaps (well-formed, odd
// and cut short), dialog templates and two exports. One description serves
// both platforms: the build writes it into a real module for Wine
// (resource_fixture/), and the native tests register the same as a winsim
// module image.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "dib_image.h"

namespace fixture {

constexpr char kModuleFile[] = "conformance_resources.dll";

// The exports: by name at ordinal 7, and one with an ordinal only.
constexpr char kAnswerExport[] = "FixtureAnswer";
constexpr WORD kAnswerOrdinal = 7;
constexpr int kAnswer = 42;
constexpr WORD kOrdinalOnlyOrdinal = 9;
constexpr int kOrdinalOnlyAnswer = 9;

struct String {
  UINT id;
  std::string text;
};

// Identifiers 1 to 3 and 17 share the first blocks of the table; 100 is
// alone in its block; nothing is stored in the blocks of 50 and 200.
inline std::vector<String> Strings() {
  return {{1, "one"},
          {2, "hello world"},
          {3, "three"},
          {17, "seventeen"},
          {100, std::string(600, 'x') + "END"}};
}

struct Bitmap {
  std::string name;
  std::vector<BYTE> bytes;
};

inline constexpr int kBitmapWidth = 7;
inline constexpr int kBitmapHeight = 3;

inline std::vector<COLORREF> BitmapPixels() {
  return dib_image::Pattern(kBitmapWidth, kBitmapHeight, dib_image::VgaColours());
}

inline std::vector<BYTE> BitmapIn(const dib_image::Format& format) {
  return dib_image::Encode(format, kBitmapWidth, kBitmapHeight, BitmapPixels());
}

// Every bitmap is 7 by 3 pixels (by its header) but the empty one.
inline std::vector<Bitmap> Bitmaps() {
  std::vector<BYTE> cutInPixels = BitmapIn({8, BI_RGB, 40, false, 16});
  cutInPixels.resize(cutInPixels.size() - 3);
  std::vector<BYTE> cutInTable = BitmapIn({8, BI_RGB, 40, false, 16});
  cutInTable.resize(40 + 10 * 4);
  std::vector<BYTE> empty = BitmapIn({8, BI_RGB, 40, false, 16});
  dib_image::Put32(empty, 4, 0);
  std::vector<BYTE> twoBits = BitmapIn({4, BI_RGB, 40, false, 4});
  dib_image::Put16(twoBits, 14, 2);
  return {{"WELL_FORMED", BitmapIn({8, BI_RGB, 40, false, 16})},
          {"CORE_HEADER", BitmapIn({4, BI_RGB, 12, false, 0})},
          {"LARGER_HEADER", BitmapIn({8, BI_RGB, 108, false, 16})},
          {"RUN_LENGTH_8", BitmapIn({8, BI_RLE8, 40, false, 16})},
          {"RUN_LENGTH_4", BitmapIn({4, BI_RLE4, 40, false, 0})},
          {"TOP_DOWN", BitmapIn({8, BI_RGB, 40, true, 16})},
          {"CUT_IN_PIXELS", cutInPixels},
          {"CUT_IN_TABLE", cutInTable},
          {"EMPTY", empty},
          {"TWO_BITS", twoBits}};
}

struct Dialog {
  WORD id;
  std::string caption;
  std::vector<int> controls;  // push buttons, in tab order
};

inline std::vector<Dialog> Dialogs() {
  return {{300, "Fixture with Cancel", {391, 392, IDCANCEL}}, {301, "Fixture without Cancel", {391, 392}}};
}

}  // namespace fixture
