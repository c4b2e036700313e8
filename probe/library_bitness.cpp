#include "library_bitness.h"

#include <windows.h>

#include "unique_handle.h"
#include "wide_text.h"

namespace {

// Reads exactly `size` bytes at `offset`; false for anything less.
bool ReadAt(HANDLE file, DWORD offset, void* buffer, DWORD size) {
  if (SetFilePointer(file, static_cast<LONG>(offset), nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return false;
  DWORD read = 0;
  return ReadFile(file, buffer, size, &read, nullptr) && read == size;
}

struct InvalidFileHandle {
  static HANDLE Value() { return INVALID_HANDLE_VALUE; }
};
using UniqueFile = UniqueHandle<HANDLE, CloseHandle, InvalidFileHandle>;

}  // namespace

int ImageBits(const std::string& path) {
  const UniqueFile file(CreateFileW(Utf16(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
  if (!file) return 0;
  IMAGE_DOS_HEADER dos = {};
  if (!ReadAt(file.get(), 0, &dos, sizeof dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return 0;
  // The new header lies past the old one; a file that says otherwise is no image.
  const DWORD at = static_cast<DWORD>(dos.e_lfanew);
  if (dos.e_lfanew < static_cast<LONG>(sizeof dos) || at > 0x10000000) return 0;
  DWORD signature = 0;
  IMAGE_FILE_HEADER header = {};
  if (!ReadAt(file.get(), at, &signature, sizeof signature) || signature != IMAGE_NT_SIGNATURE) return 0;
  if (!ReadAt(file.get(), at + sizeof signature, &header, sizeof header)) return 0;
  switch (header.Machine) {
    case IMAGE_FILE_MACHINE_I386:
      return 32;
    case IMAGE_FILE_MACHINE_AMD64:
      return 64;
    default:
      return 0;
  }
}
