#include "whole_file.h"

#include <cstdio>

#include "unique_handle.h"
#include "wide_text.h"

namespace {

using UniqueCFile = UniqueHandle<FILE*, std::fclose>;

}  // namespace

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  UniqueCFile file(_wfopen(Utf16(path).c_str(), L"wb"));
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
  // A file that does not close whole is not written.
  return std::fclose(file.release()) == 0 && written;
}
