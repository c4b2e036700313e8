// Resources of a loaded module as the platform hands them out: bitmaps made
// for the screen by LoadBitmapA, the well-formed, the odd and the short.
#include <string>
#include <vector>

#include "bitmap_pixels.h"
#include "resource_module.h"

namespace {

class ResourceApi : public ResourceModuleTest {};

TEST_F(ResourceApi, LoadBitmapMakesABitmapOfTheHeadersSizeWhateverFollows) {
  struct Case {
    const char* name;
    LONG width;          // 0: no bitmap
    bool comparePixels;  // with fixture::BitmapPixels()
  };
  const Case cases[] = {
      {"WELL_FORMED", 7, true},
      {"well_formed", 7, true},
      {"CORE_HEADER", 7, true},
      {"LARGER_HEADER", 7, true},
      {"RUN_LENGTH_8", 7, true},
      {"RUN_LENGTH_4", 7, true},
      {"TOP_DOWN", 7, false},
      // The system reads on past a short resource, into whatever follows it.
      {"CUT_IN_PIXELS", 7, false},
      {"CUT_IN_TABLE", 7, false},
      // A format it cannot draw still gives a bitmap, left black.
      {"TWO_BITS", 7, false},
      // Nothing to draw: the stock 1 by 1 bitmap.
      {"EMPTY", 1, false},
      {"MISSING", 0, false},
  };
  const int bits = ScreenBitsPerPixel();
  for (const Case& c : cases) {
    SetLastError(0xdeadbeef);
    HBITMAP bitmap = LoadBitmapA(module, c.name);
    if (c.width == 0) {
      EXPECT_EQ(bitmap, nullptr) << c.name;
      EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND)) << c.name;
      continue;
    }
    ASSERT_NE(bitmap, nullptr) << c.name;
    const BITMAP size = BitmapSize(bitmap);
    EXPECT_EQ(size.bmWidth, c.width) << c.name;
    EXPECT_EQ(size.bmHeight, c.width == 1 ? 1 : 3) << c.name;
    EXPECT_EQ(size.bmBitsPixel, c.width == 1 ? 1 : bits) << c.name;
    if (c.comparePixels) {
      EXPECT_EQ(BitmapPixels(bitmap), fixture::BitmapPixels()) << c.name;
    }
    if (std::string(c.name) == "TWO_BITS") {
      EXPECT_EQ(BitmapPixels(bitmap), std::vector<COLORREF>(21, RGB(0, 0, 0))) << c.name;
    }
    EXPECT_TRUE(DeleteObject(bitmap)) << c.name;
  }
  // No module: the system's own bitmaps, which have no such name.
  SetLastError(0xdeadbeef);
  EXPECT_EQ(LoadBitmapA(nullptr, "WELL_FORMED"), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
}

}  // namespace
