// Simulated file names and their search: full names, file attributes and
// SearchPathA along the default search path.
#include "internal.h"

#include <cstring>
#include <vector>

namespace winsim {
namespace {

using detail::EnterCall;

bool IsSlash(char16_t ch) { return ch == u'\\' || ch == u'/'; }

bool HasDrive(const std::u16string& name) { return name.size() >= 2 && name[1] == u':'; }

// A name with a path is looked for where it says, never along the search
// path: a drive or a root, or a start of ".\" or "..\".
bool ContainsPath(const std::u16string& name) {
  if (HasDrive(name) || (!name.empty() && IsSlash(name[0]))) return true;
  if (name.size() >= 2 && name[0] == u'.' && IsSlash(name[1])) return true;
  return name.size() >= 3 && name[0] == u'.' && name[1] == u'.' && IsSlash(name[2]);
}

// `name` with `extension` when its last part has none; empty when it has one
// or no extension is given.
std::u16string WithExtension(const std::u16string& name, const std::u16string* extension) {
  if (extension == nullptr) return {};
  const size_t dot = name.find_last_of(u'.');
  if (dot != std::u16string::npos && name.find_first_of(u"\\/", dot) == std::u16string::npos) return {};
  return name + *extension;
}

// A file or a folder lies at the full name `path`.
bool Exists(const std::u16string& path) { return detail::FileAt(path) != detail::FileKind::None || detail::FolderAt(path); }

// The folders the default search path holds, in order: the application's,
// the current one (the application's here), the system folders.
std::vector<std::u16string> SearchFolders() {
  const std::u16string host = detail::HostFolder();
  return {host, host, u"C:\\Windows\\System32\\", u"C:\\Windows\\System\\", u"C:\\Windows\\"};
}

}  // namespace

namespace detail {

std::u16string FullPathName(const std::u16string& name) {
  const std::u16string current = HostFolder();
  std::u16string full = name;
  if (HasDrive(name) && (name.size() < 3 || !IsSlash(name[2]))) {
    full = current + name.substr(2);  // relative to the drive's current folder
  } else if (!HasDrive(name)) {
    full = !name.empty() && IsSlash(name[0]) ? current.substr(0, 2) + name : current + name;
  }
  std::vector<std::u16string> parts;
  size_t start = 3;  // after "C:\"
  for (size_t end = start; end <= full.size(); ++end) {
    if (end < full.size() && !IsSlash(full[end])) continue;
    const std::u16string part = full.substr(start, end - start);
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::u16string result = full.substr(0, 2) + u"\\";
  for (size_t i = 0; i < parts.size(); ++i) result += (i ? u"\\" : u"") + parts[i];
  // The last part loses its trailing spaces and dots.
  while (result.size() > 3 && (result.back() == u' ' || result.back() == u'.')) result.pop_back();
  return result;
}

std::u16string SearchFile(const std::u16string& name, const std::u16string* extension) {
  if (ContainsPath(name)) {
    // As it is first, then with the extension.
    for (const std::u16string& candidate : {name, WithExtension(name, extension)}) {
      if (!candidate.empty() && Exists(FullPathName(candidate))) return FullPathName(candidate);
    }
    return {};
  }
  const std::u16string withExtension = WithExtension(name, extension);
  const std::u16string& wanted = withExtension.empty() ? name : withExtension;
  for (const std::u16string& folder : SearchFolders()) {
    const std::u16string candidate = FullPathName(folder + wanted);
    if (Exists(candidate)) return candidate;
  }
  return {};
}

}  // namespace detail

}  // namespace winsim

using winsim::detail::EnterCall;

DWORD WINAPI GetFileAttributesA(LPCSTR fileName) {
  long error = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("GetFileAttributesA", &error)) {
    SetLastError(error ? error : ERROR_ACCESS_DENIED);
    return INVALID_FILE_ATTRIBUTES;
  }
  if (fileName == nullptr || fileName[0] == '\0') {
    SetLastError(fileName == nullptr ? ERROR_INVALID_PARAMETER : ERROR_PATH_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
  }
  const std::u16string path = winsim::detail::FullPathName(winsim::detail::AnsiToWide(fileName));
  if (winsim::detail::FileAt(path) != winsim::detail::FileKind::None) return FILE_ATTRIBUTE_ARCHIVE;
  if (winsim::detail::FolderAt(path)) return FILE_ATTRIBUTE_DIRECTORY;
  const size_t slash = path.find_last_of(u'\\');
  SetLastError(slash <= 2 || winsim::detail::FolderAt(path.substr(0, slash)) ? ERROR_FILE_NOT_FOUND
                                                                             : ERROR_PATH_NOT_FOUND);
  return INVALID_FILE_ATTRIBUTES;
}

DWORD WINAPI SearchPathA(LPCSTR path, LPCSTR fileName, LPCSTR extension, DWORD bufferLength, LPSTR buffer,
                         LPSTR* filePart) {
  long error = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("SearchPathA", &error)) {
    SetLastError(error ? error : ERROR_FILE_NOT_FOUND);
    return 0;
  }
  if (fileName == nullptr || fileName[0] == '\0' || path != nullptr) {
    // Only the default search path is imitated.
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::u16string wideExtension = extension ? winsim::detail::AnsiToWide(extension) : std::u16string();
  const std::u16string found =
      winsim::detail::SearchFile(winsim::detail::AnsiToWide(fileName), extension ? &wideExtension : nullptr);
  if (found.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  if (found.size() >= MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return 0;
  }
  // Too small a buffer stays untouched, and the size it needs comes back.
  const std::string name = winsim::detail::WideToAnsi(found);
  if (buffer == nullptr || name.size() + 1 > bufferLength) return static_cast<DWORD>(name.size() + 1);
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  if (filePart != nullptr) *filePart = buffer + name.find_last_of('\\') + 1;
  return static_cast<DWORD>(name.size());
}
