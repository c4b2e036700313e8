// Simulated files, modules, resources and global memory.
#include "internal.h"

#include <cstring>
#include <memory>
#include <set>

namespace winsim {
namespace {

using detail::EnterCall;
using detail::ToUpperAscii;

struct Module {
  std::u16string path;  // the full name, as the wide functions give it
  ModuleImage image;
  int loadCount = 0;   // LoadLibraryA references
  bool preloaded = false;
};

// One located resource; its address serves as HRSRC and as the loaded HGLOBAL.
struct Resource {
  Module* module;
  std::vector<BYTE> data;
};

struct FindHandle {
  int unused;
};

struct GlobalBlock {
  std::vector<BYTE> bytes;
  int lockCount = 0;
};

struct ModuleState {
  std::u16string hostPath = u"C:\\Program Files\\Tarvex\\host.exe";
  std::unique_ptr<Module> host;
  std::map<std::u16string, std::unique_ptr<Module>> files;  // by FileKey; null: a plain file
  std::set<std::u16string> folders;                         // empty ones, by FileKey with a final backslash
  std::vector<std::unique_ptr<Module>> preloaded;
  std::vector<std::unique_ptr<Resource>> resources;
  std::vector<std::unique_ptr<FindHandle>> findHandles;
  std::vector<std::unique_ptr<GlobalBlock>> globals;
};

ModuleState& State() {
  static ModuleState state;
  return state;
}

void ResetModules() { State() = ModuleState(); }
const detail::ResetHook resetModules(ResetModules);

Module* HostModuleRecord() {
  ModuleState& state = State();
  if (!state.host) {
    state.host = std::make_unique<Module>();
    state.host->preloaded = true;
  }
  state.host->path = state.hostPath;
  return state.host.get();
}

// Finds a module that is in memory: the host, a preloaded one, or a loaded file.
Module* FindLoadedModule(HMODULE handle) {
  if (handle == nullptr) return nullptr;
  ModuleState& state = State();
  if (state.host && handle == reinterpret_cast<HMODULE>(state.host.get())) return state.host.get();
  for (auto& module : state.preloaded) {
    if (handle == reinterpret_cast<HMODULE>(module.get())) return module.get();
  }
  for (auto& entry : state.files) {
    Module* module = entry.second.get();
    if (module && module->loadCount > 0 && handle == reinterpret_cast<HMODULE>(module)) return module;
  }
  return nullptr;
}

Module* ResourceModule(HMODULE handle) {
  // A null module stands for the executable, as in FindResource and LoadString.
  return handle == nullptr ? HostModuleRecord() : FindLoadedModule(handle);
}

std::string ResourceName(LPCSTR name) {
  if (IS_INTRESOURCE(name)) return "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name));
  return ToUpperAscii(name);
}

// Key of a file path: Windows file names ignore letter case and take either
// slash as a separator. Only ASCII letters are folded here; the product never
// depends on the case of other letters.
std::u16string FileKey(const std::u16string& path) {
  std::u16string key = path;
  for (char16_t& ch : key) {
    if (ch >= u'a' && ch <= u'z') ch = static_cast<char16_t>(ch - u'a' + u'A');
    if (ch == u'/') ch = u'\\';
  }
  return key;
}

std::u16string BaseName(const std::u16string& path) { return path.substr(path.find_last_of(u"\\/") + 1); }

// What LoadLibraryA and LoadLibraryW share: the module of `path`, loaded, or
// null with the loader's error code.
HMODULE LoadModule(const std::u16string& path) {
  auto& files = State().files;
  auto found = files.find(FileKey(path));
  if (found == files.end()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  Module* module = found->second.get();
  if (module == nullptr || module->image.damaged) {
    // What the loader reports for a file that is not a valid image.
    SetLastError(ERROR_BAD_EXE_FORMAT);
    return nullptr;
  }
  if (module->loadCount++ == 0) detail::AdjustLiveHandles(HandleKind::Module, +1);
  return reinterpret_cast<HMODULE>(module);
}

// A folder exists while a file, or the host executable, lies in it or below
// it; `folderKey` is a FileKey ending in a backslash.
bool FolderExists(const std::u16string& folderKey) {
  if (folderKey.empty() || FileKey(State().hostPath).compare(0, folderKey.size(), folderKey) == 0) return true;
  for (const auto& entry : State().files) {
    if (entry.first.compare(0, folderKey.size(), folderKey) == 0) return true;
  }
  for (const std::u16string& folder : State().folders) {
    if (folder.compare(0, folderKey.size(), folderKey) == 0) return true;
  }
  return false;
}

// FindFirstFileW: a search handle for an exact name, or INVALID_HANDLE_VALUE.
HANDLE FindFile(const std::u16string& path) {
  auto& files = State().files;
  const std::u16string key = FileKey(path);
  if (files.find(key) == files.end()) {
    SetLastError(FolderExists(key.substr(0, key.find_last_of(u'\\') + 1)) ? ERROR_FILE_NOT_FOUND
                                                                            : ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  State().findHandles.push_back(std::make_unique<FindHandle>());
  detail::AdjustLiveHandles(HandleKind::FindHandle, +1);
  return State().findHandles.back().get();
}

// The module name cut to fit `size` characters as GetModuleFileName cuts it
// under Wine: `size` characters and no terminator (Windows ends them with one),
// the result `size`.
template <typename Char>
DWORD CopyModuleName(const std::basic_string<Char>& name, Char* buffer, DWORD size) {
  if (name.size() < size) {
    std::memcpy(buffer, name.c_str(), (name.size() + 1) * sizeof(Char));
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(name.size());
  }
  std::memcpy(buffer, name.c_str(), size * sizeof(Char));
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return size;
}

// What both GetModuleFileName forms share: the module's record, or null with
// the error set.
Module* ModuleForName(const char* function, HMODULE module, DWORD size) {
  long error = 0;
  const winsim::detail::ApiLock apiLock;
  if (detail::EnterCall(function, &error)) {
    SetLastError(error ? error : ERROR_INVALID_HANDLE);
    return nullptr;
  }
  Module* record = module == nullptr ? HostModuleRecord() : FindLoadedModule(module);
  if (!record) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  if (size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nullptr;
  }
  return record;
}

bool HasResources(const Module& module) {
  return module.image.versionRecord || !module.image.strings.empty() || !module.image.bitmaps.empty() ||
         !module.image.dialogs.empty();
}

// Why a lookup of a resource of `type` found nothing, as the loader says it:
// the module has no resources at all, none of that type, or none of that name.
DWORD MissingResourceError(const Module& module, LPCSTR type) {
  if (!HasResources(module)) return ERROR_RESOURCE_DATA_NOT_FOUND;
  const bool typePresent = (type == RT_BITMAP && !module.image.bitmaps.empty()) ||
                           (type == RT_DIALOG && !module.image.dialogs.empty()) ||
                           (type == RT_STRING && !module.image.strings.empty());
  return typePresent ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND;
}

const std::vector<BYTE>* FindBitmap(Module* module, LPCSTR name) {
  std::string wanted = ResourceName(name);
  for (const auto& entry : module->image.bitmaps) {
    if (ToUpperAscii(entry.first) == wanted) return &entry.second;
  }
  return nullptr;
}

}  // namespace

void SetHostExecutablePath(const std::string& path) { State().hostPath = detail::Utf8ToWide(path); }
HMODULE HostModule() { return reinterpret_cast<HMODULE>(HostModuleRecord()); }

void AddModuleFile(const std::string& path, ModuleImage image) {
  auto module = std::make_unique<Module>();
  module->path = detail::Utf8ToWide(path);
  module->image = std::move(image);
  State().files[FileKey(module->path)] = std::move(module);
}

void AddFile(const std::string& path) { State().files[FileKey(detail::Utf8ToWide(path))] = nullptr; }

void RemoveFile(const std::string& path) { State().files.erase(FileKey(detail::Utf8ToWide(path))); }

void AddFolder(const std::string& path) { State().folders.insert(FileKey(detail::Utf8ToWide(path)) + u"\\"); }

HMODULE AddLoadedModule(const std::string& path, ModuleImage image) {
  auto module = std::make_unique<Module>();
  module->path = detail::Utf8ToWide(path);
  module->image = std::move(image);
  module->preloaded = true;
  State().preloaded.push_back(std::move(module));
  return reinterpret_cast<HMODULE>(State().preloaded.back().get());
}

std::u16string Utf16(const std::string& utf8) { return detail::Utf8ToWide(utf8); }
std::string Utf8(const std::u16string& utf16) { return detail::WideToUtf8(utf16); }

std::vector<std::string> LoadedLibraryPaths() {
  std::vector<std::string> paths;
  for (auto& entry : State().files) {
    if (entry.second && entry.second->loadCount > 0) paths.push_back(detail::WideToUtf8(entry.second->path));
  }
  return paths;
}

namespace detail {
// For the dialog manager: the template `id` of a loaded module, or null with
// *error saying why.
const DialogTemplate* FindDialogTemplate(HMODULE handle, LPCSTR name, DWORD* error) {
  Module* module = ResourceModule(handle);
  if (!module) {
    *error = ERROR_RESOURCE_DATA_NOT_FOUND;
    return nullptr;
  }
  auto found = IS_INTRESOURCE(name) ? module->image.dialogs.find(static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name)))
                                    : module->image.dialogs.end();
  if (found != module->image.dialogs.end()) return &found->second;
  *error = MissingResourceError(*module, RT_DIALOG);
  return nullptr;
}

FileKind FileAt(const std::u16string& path) {
  auto found = State().files.find(FileKey(path));
  if (found == State().files.end()) return FileKind::None;
  return found->second ? FileKind::Module : FileKind::Plain;
}

bool FolderAt(const std::u16string& path) { return FolderExists(FileKey(path) + u"\\"); }

std::u16string HostFolder() {
  const std::u16string& host = State().hostPath;
  return host.substr(0, host.find_last_of(u"\\/") + 1);
}

// For LoadBitmapA: the DIB bytes of bitmap `name` in a loaded module, or null.
const std::vector<BYTE>* FindBitmapResource(HMODULE handle, LPCSTR name) {
  Module* module = ResourceModule(handle);
  return module ? FindBitmap(module, name) : nullptr;
}
}  // namespace detail

}  // namespace winsim

using winsim::detail::EnterCall;

namespace winsim::detail {

std::string ModuleBaseName(HMODULE module) {
  const Module* record = FindLoadedModule(module);
  if (record == nullptr) return "an unknown module";
  return WideToUtf8(BaseName(record->path));
}

}  // namespace winsim::detail

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
  const winsim::detail::ApiLock apiLock;
  EnterCall("GetModuleHandleA");
  if (moduleName == nullptr) return winsim::HostModule();
  const std::u16string wanted = winsim::FileKey(winsim::detail::AnsiToWide(moduleName));
  auto named = [&](const winsim::Module& module) {
    return winsim::FileKey(winsim::BaseName(module.path)) == wanted || winsim::FileKey(module.path) == wanted;
  };
  for (auto& module : winsim::State().preloaded) {
    if (named(*module)) return reinterpret_cast<HMODULE>(module.get());
  }
  // Modules LoadLibrary loaded, while they stay loaded.
  for (auto& entry : winsim::State().files) {
    winsim::Module* module = entry.second.get();
    if (module && module->loadCount > 0 && named(*module)) return reinterpret_cast<HMODULE>(module);
  }
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  const winsim::detail::ApiLock apiLock;
  winsim::Module* record = winsim::ModuleForName("GetModuleFileNameA", module, size);
  if (!record) return 0;
  // Characters the ANSI code page lacks come out as '?'.
  return winsim::CopyModuleName(winsim::detail::WideToAnsi(record->path), fileName, size);
}

DWORD WINAPI GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size) {
  const winsim::detail::ApiLock apiLock;
  winsim::Module* record = winsim::ModuleForName("GetModuleFileNameW", module, size);
  if (!record) return 0;
  return winsim::CopyModuleName(record->path, fileName, size);
}

HMODULE WINAPI LoadLibraryA(LPCSTR fileName) {
  long error = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("LoadLibraryA", &error)) {
    SetLastError(error ? error : ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  if (fileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return winsim::LoadModule(winsim::detail::AnsiToWide(fileName));
}

HMODULE WINAPI LoadLibraryW(LPCWSTR fileName) {
  long error = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("LoadLibraryW", &error)) {
    SetLastError(error ? error : ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  if (fileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return winsim::LoadModule(fileName);
}

BOOL WINAPI FreeLibrary(HMODULE handle) {
  long error = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("FreeLibrary", &error)) {
    SetLastError(error ? error : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  for (auto& entry : winsim::State().files) {
    winsim::Module* module = entry.second.get();
    if (module && module->loadCount > 0 && handle == reinterpret_cast<HMODULE>(module)) {
      if (--module->loadCount == 0) winsim::detail::AdjustLiveHandles(winsim::HandleKind::Module, -1);
      return TRUE;
    }
  }
  // No handle at all is an invalid one; any other names no module loaded.
  SetLastError(handle == nullptr ? ERROR_INVALID_HANDLE : ERROR_MOD_NOT_FOUND);
  return FALSE;
}

FARPROC WINAPI GetProcAddress(HMODULE handle, LPCSTR procName) {
  long error = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("GetProcAddress", &error)) {
    SetLastError(error ? error : ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  // A null module stands for the executable.
  winsim::Module* module = winsim::ResourceModule(handle);
  if (!module) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  FARPROC address = nullptr;
  if (procName != nullptr && IS_INTRESOURCE(procName)) {
    auto found = module->image.ordinals.find(LOWORD(reinterpret_cast<ULONG_PTR>(procName)));
    if (found != module->image.ordinals.end()) address = found->second;
  } else if (procName != nullptr) {
    // Export names are case-sensitive.
    auto found = module->image.exports.find(procName);
    if (found != module->image.exports.end()) address = found->second;
  }
  if (address == nullptr) SetLastError(ERROR_PROC_NOT_FOUND);
  return address;
}

HANDLE WINAPI FindFirstFileW(LPCWSTR fileName, LPWIN32_FIND_DATAW findData) {
  long error = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("FindFirstFileW", &error)) {
    SetLastError(error ? error : ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  const std::u16string path = fileName ? fileName : u"";
  HANDLE search = winsim::FindFile(path);
  if (search == INVALID_HANDLE_VALUE) return search;
  std::memset(findData, 0, sizeof *findData);
  findData->dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
  const std::u16string base = winsim::BaseName(path).substr(0, MAX_PATH - 1);
  std::memcpy(findData->cFileName, base.c_str(), (base.size() + 1) * sizeof(WCHAR));
  return search;
}

BOOL WINAPI FindClose(HANDLE findFile) {
  const winsim::detail::ApiLock apiLock;
  EnterCall("FindClose");
  auto& handles = winsim::State().findHandles;
  for (auto it = handles.begin(); it != handles.end(); ++it) {
    if (it->get() == findFile) {
      handles.erase(it);
      winsim::detail::AdjustLiveHandles(winsim::HandleKind::FindHandle, -1);
      return TRUE;
    }
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

HRSRC WINAPI FindResourceA(HMODULE handle, LPCSTR name, LPCSTR type) {
  long error = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("FindResourceA", &error)) {
    SetLastError(error ? error : ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  winsim::Module* module = winsim::ResourceModule(handle);
  if (!module) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  // Only bitmaps are found; of other types only their presence is known.
  const std::vector<BYTE>* bitmap = name != nullptr && type == RT_BITMAP ? winsim::FindBitmap(module, name) : nullptr;
  if (!bitmap) {
    SetLastError(winsim::MissingResourceError(*module, type));
    return nullptr;
  }
  auto resource = std::make_unique<winsim::Resource>();
  resource->module = module;
  resource->data = *bitmap;
  winsim::State().resources.push_back(std::move(resource));
  return reinterpret_cast<HRSRC>(winsim::State().resources.back().get());
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC resource) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("LoadResource") || resource == nullptr) return nullptr;
  return resource;  // resources stay mapped with their module
}

LPVOID WINAPI LockResource(HGLOBAL resourceData) {
  const winsim::detail::ApiLock apiLock;
  EnterCall("LockResource");
  if (resourceData == nullptr) return nullptr;
  auto* resource = static_cast<winsim::Resource*>(resourceData);
  return resource->data.empty() ? nullptr : resource->data.data();
}

BOOL WINAPI FreeResource(HGLOBAL) {
  const winsim::detail::ApiLock apiLock;
  EnterCall("FreeResource");
  return FALSE;  // obsolete on Win32: does nothing and returns FALSE
}

DWORD WINAPI SizeofResource(HMODULE, HRSRC resource) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("SizeofResource") || resource == nullptr) return 0;
  return static_cast<DWORD>(reinterpret_cast<winsim::Resource*>(resource)->data.size());
}

int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax) {
  long error = 0;
  const winsim::detail::ApiLock apiLock;
  bool failed = EnterCall("LoadStringA", &error);
  // No room at all: -1, and the buffer is not touched.
  if (bufferMax == 0) return -1;
  if (buffer == nullptr || bufferMax < 0) return 0;
  winsim::Module* module = failed ? nullptr : winsim::ResourceModule(instance);
  const std::string* text = nullptr;
  bool blockFound = false;
  if (module) {
    // String tables are addressed by the low word of the identifier only, in
    // blocks of 16 identifiers.
    const WORD wanted = LOWORD(id);
    for (const auto& entry : module->image.strings) blockFound = blockFound || (entry.first >> 4) == (wanted >> 4);
    auto found = module->image.strings.find(wanted);
    if (found != module->image.strings.end() && !found->second.empty()) text = &found->second;
  }
  if (!text) {
    // Whatever went wrong, the ANSI form leaves an empty text. A string missing
    // from a block that exists is no error to the loader.
    buffer[0] = '\0';
    if (failed) {
      SetLastError(error ? error : ERROR_RESOURCE_NAME_NOT_FOUND);
    } else if (!module) {
      SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    } else if (!blockFound) {
      SetLastError(winsim::MissingResourceError(*module, RT_STRING));
    }
    return 0;
  }
  // A longer string is cut to the capacity less the terminator.
  size_t capacity = static_cast<size_t>(bufferMax - 1);
  size_t length = text->size() < capacity ? text->size() : capacity;
  std::memcpy(buffer, text->data(), length);
  buffer[length] = '\0';
  return static_cast<int>(length);
}

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("GlobalAlloc")) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto block = std::make_unique<winsim::GlobalBlock>();
  block->bytes.assign(bytes, (flags & GMEM_ZEROINIT) ? 0 : 0xCD);
  winsim::State().globals.push_back(std::move(block));
  winsim::detail::AdjustLiveHandles(winsim::HandleKind::GlobalMemory, +1);
  return winsim::State().globals.back().get();
}

LPVOID WINAPI GlobalLock(HGLOBAL memory) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("GlobalLock") || memory == nullptr) return nullptr;
  auto* block = static_cast<winsim::GlobalBlock*>(memory);
  // A zero-byte block has no memory to lock: it counts as discarded.
  if (block->bytes.empty()) {
    SetLastError(ERROR_DISCARDED);
    return nullptr;
  }
  ++block->lockCount;
  return block->bytes.data();
}

BOOL WINAPI GlobalUnlock(HGLOBAL memory) {
  const winsim::detail::ApiLock apiLock;
  EnterCall("GlobalUnlock");
  if (memory == nullptr) return FALSE;
  auto* block = static_cast<winsim::GlobalBlock*>(memory);
  if (block->lockCount == 0) {
    SetLastError(ERROR_NOT_LOCKED);
    return FALSE;
  }
  // TRUE while other locks remain; the last one says so with NO_ERROR.
  if (--block->lockCount > 0) return TRUE;
  SetLastError(ERROR_SUCCESS);
  return FALSE;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL memory) {
  const winsim::detail::ApiLock apiLock;
  EnterCall("GlobalFree");
  auto& globals = winsim::State().globals;
  for (auto it = globals.begin(); it != globals.end(); ++it) {
    if (it->get() == memory) {
      globals.erase(it);
      winsim::detail::AdjustLiveHandles(winsim::HandleKind::GlobalMemory, -1);
      return nullptr;
    }
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return memory;
}
