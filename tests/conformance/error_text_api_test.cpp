// FormatMessageW as the library's diagnostics use it: the system's text of an
// error code, from the system, with inserts left alone.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "guarded_buffer.h"

#ifndef _WIN32
#include <winsim/control.h>
#endif

namespace {

constexpr DWORD kFlags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;

class ErrorTextApi : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef _WIN32
    winsim::Reset();
#endif
  }
};

TEST_F(ErrorTextApi, KnownCodesGiveATextEndedByALineEnd) {
  for (DWORD code : {DWORD(ERROR_FILE_NOT_FOUND), DWORD(ERROR_ACCESS_DENIED), DWORD(ERROR_NOT_ENOUGH_MEMORY),
                     DWORD(ERROR_MOD_NOT_FOUND), DWORD(ERROR_BAD_EXE_FORMAT), DWORD(ERROR_CLASS_ALREADY_EXISTS),
                     DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND)}) {
    GuardedBuffer<WCHAR, 256> text;
    const DWORD length = FormatMessageW(kFlags, nullptr, code, 0, text.data(), 256, nullptr);
    ASSERT_GT(length, 2u) << code;
    ASSERT_LT(length, 256u) << code;
    const WCHAR* end = text.data() + length - 2;
    EXPECT_TRUE(end[0] == '\r' && end[1] == '\n' && end[2] == 0) << code << ": a line end, then the terminator";
    EXPECT_TRUE(text.UntouchedFrom(length + 1)) << code << ": nothing written past the terminator";
  }
}

TEST_F(ErrorTextApi, UnknownCodeAndShortBufferGiveNoText) {
  WCHAR text[256];
  SetLastError(0xdeadbeef);
  EXPECT_EQ(FormatMessageW(kFlags, nullptr, 0x2000ABCD, 0, text, 256, nullptr), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MR_MID_NOT_FOUND));
  SetLastError(0xdeadbeef);
  EXPECT_EQ(FormatMessageW(kFlags, nullptr, ERROR_FILE_NOT_FOUND, 0, text, 5, nullptr), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
}

}  // namespace
