// Resources of a loaded module as the platform hands them out: bitmaps made
// for the screen by LoadBitmapA, the well-formed, the odd and the short.
#include <cstring>
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

TEST_F(ResourceApi, FindResourceGivesTheBytesOrSaysWhatIsMissing) {
  for (const fixture::Bitmap& bitmap : fixture::Bitmaps()) {
    HRSRC found = FindResourceA(module, bitmap.name.c_str(), RT_BITMAP);
    ASSERT_NE(found, nullptr) << bitmap.name;
    EXPECT_EQ(SizeofResource(module, found), bitmap.bytes.size()) << bitmap.name;
    HGLOBAL loaded = LoadResource(module, found);
    ASSERT_NE(loaded, nullptr) << bitmap.name;
    const void* bytes = LockResource(loaded);
    ASSERT_NE(bytes, nullptr) << bitmap.name;
    EXPECT_EQ(std::memcmp(bytes, bitmap.bytes.data(), bitmap.bytes.size()), 0) << bitmap.name;
    EXPECT_FALSE(FreeResource(loaded)) << "nothing to free on Win32";
  }
  EXPECT_NE(FindResourceA(module, "run_length_4", RT_BITMAP), nullptr) << "names in any letter case";

  struct Case {
    const char* what;
    HMODULE from;  // null: the program, which holds no resources
    LPCSTR name;
    LPCSTR type;
    DWORD error;
  };
  const Case cases[] = {
      {"a name the module lacks", module, "MISSING", RT_BITMAP, ERROR_RESOURCE_NAME_NOT_FOUND},
      {"a type the module lacks", module, "WELL_FORMED", MAKEINTRESOURCEA(10), ERROR_RESOURCE_TYPE_NOT_FOUND},
      {"a module without resources", nullptr, "WELL_FORMED", RT_BITMAP, ERROR_RESOURCE_DATA_NOT_FOUND},
  };
  for (const Case& c : cases) {
    SetLastError(0xdeadbeef);
    EXPECT_EQ(FindResourceA(c.from, c.name, c.type), nullptr) << c.what;
    EXPECT_EQ(GetLastError(), c.error) << c.what;
  }
  EXPECT_EQ(LoadResource(module, nullptr), nullptr);
  EXPECT_EQ(LockResource(nullptr), nullptr);
  EXPECT_EQ(SizeofResource(module, nullptr), 0u);
}

TEST_F(ResourceApi, LoadStringCutsToTheBufferAndGivesMissingStringsEmpty) {
  const std::string longText = std::string(600, 'x') + "END";
  struct Case {
    UINT id;
    int size;
    int result;
    std::string text;  // what the buffer holds; unlooked at for size 0
    DWORD error;       // 0xdeadbeef: left as it was
  };
  const Case cases[] = {
      {1, 64, 3, "one", 0xdeadbeef},
      {2, 64, 11, "hello world", 0xdeadbeef},
      {2, 12, 11, "hello world", 0xdeadbeef},
      {2, 11, 10, "hello worl", 0xdeadbeef},
      {2, 2, 1, "h", 0xdeadbeef},
      {2, 1, 0, "", 0xdeadbeef},
      // No room at all: -1, the buffer untouched.
      {2, 0, -1, "", 0xdeadbeef},
      {100, 512, 511, longText.substr(0, 511), 0xdeadbeef},
      // Only the low word counts.
      {0x10001, 64, 3, "one", 0xdeadbeef},
      // Missing from a block the table has: nothing said.
      {4, 64, 0, "", 0xdeadbeef},
      // A block the table lacks.
      {50, 64, 0, "", ERROR_RESOURCE_NAME_NOT_FOUND},
  };
  for (const Case& c : cases) {
    std::vector<char> buffer(600 + 8, '#');
    SetLastError(0xdeadbeef);
    EXPECT_EQ(LoadStringA(module, c.id, buffer.data(), c.size), c.result) << c.id << "/" << c.size;
    EXPECT_EQ(GetLastError(), c.error) << c.id << "/" << c.size;
    if (c.size > 0) {
      EXPECT_EQ(std::string(buffer.data()), c.text) << c.id << "/" << c.size;
    }
    for (size_t i = static_cast<size_t>(c.size); i < buffer.size(); ++i) {
      ASSERT_EQ(buffer[i], '#') << c.id << "/" << c.size << ": written past the buffer";
    }
  }
}

}  // namespace
