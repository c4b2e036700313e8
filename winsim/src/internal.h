// Shared plumbing of the simulated API: the call log, injected failures,
// live-handle counts and the reset of every area.
#pragma once

#include <winsim/control.h>

#include <string>
#include <vector>

namespace winsim::detail {

// Records a call of `function` and tells whether an injected failure hits it.
// When it does and `error` is given, *error receives the injected error code
// (0 when the test left the choice to the function).
bool EnterCall(const char* function, long* error = nullptr);

// Held by every simulated function for its whole call: like the platform,
// winsim may be called from several threads at once. A window procedure it
// calls may call back in on the same thread.
class ApiLock {
 public:
  ApiLock();
  ~ApiLock();
  ApiLock(const ApiLock&) = delete;
  ApiLock& operator=(const ApiLock&) = delete;
};

// Lets go of every hold this thread has on the lock for its scope, and takes
// them again after: a window or dialog procedure runs without the lock, as
// on Windows, beside the other threads' calls.
class ApiUnlocked {
 public:
  ApiUnlocked();
  ~ApiUnlocked();
  ApiUnlocked(const ApiUnlocked&) = delete;
  ApiUnlocked& operator=(const ApiUnlocked&) = delete;

 private:
  int depth_;
  const char* outerCall_;
};

// A procedure of a module's code, as stamped when a window, a class or a
// dialog took it: the module and the load of it the pointer came from. Null
// module: code winsim knows no module of, which is never unmapped.
struct CodeStamp {
  HMODULE module = nullptr;
  int load = 0;
};
CodeStamp StampOf(const void* procedure);
// Runs the test's procedure gate for `window` and `message`, without the lock.
void RunProcedureGate(HWND window, UINT message);
// Before a call of `procedure`: -1, with a report, when its stamp names a load
// that is gone (the call must not be made); else a frame id for
// LeaveProcedure, the frame counted as running in its module meanwhile.
long EnterProcedure(const void* procedure, CodeStamp stamp, HWND window, UINT message);
void LeaveProcedure(long frame);
// Records what Windows would punish, for the test to fail on.
void ReportViolation(const std::string& what);
// The outermost simulated call this thread is in, for the reports.
std::string OuterCall();
// The file name of a module, for the reports (modules.cpp).
std::string ModuleBaseName(HMODULE module);

// Calls a window or dialog procedure as Windows does: read before the gate,
// called without the lock, its frame counted while it runs; a procedure whose
// code is gone is reported and not called (a zero result).
template <typename Result, typename Call>
Result CallProcedure(const void* procedure, CodeStamp stamp, HWND window, UINT message, Call call) {
  RunProcedureGate(window, message);
  const long frame = EnterProcedure(procedure, stamp, window, message);
  if (frame < 0) return Result{};
  Result result;
  {
    const ApiUnlocked unlocked;
    result = call();
  }
  LeaveProcedure(frame);
  return result;
}

// The calling thread's id, as GetCurrentThreadId gives it, without a logged call.
DWORD CurrentThreadId();

// Each area registers how to put its state back to a fresh machine.
struct ResetHook {
  explicit ResetHook(void (*reset)());
};

void AdjustLiveHandles(HandleKind kind, int delta);

// ASCII-only case folding, as Windows compares key, value and resource names.
bool EqualsIgnoringCase(const std::string& a, const std::string& b);
std::string ToUpperAscii(std::string text);

// Display device contexts, for the window manager (gdi.cpp): one of `window`
// (null: the whole screen), counted live until closed; CloseDisplayDC is false
// for a handle that is no open display device context.
HDC OpenDisplayDC(HWND window);
bool CloseDisplayDC(HDC dc);
// The simulated ANSI code page (SetAnsiCodePage).
UINT AnsiCodePage();
// Text in `codePage` (CP_ACP: the simulated ANSI code page) as UTF-16, and
// back; a character the code page lacks becomes '?', as the ANSI functions
// of the system show it (code_pages.cpp).
std::u16string AnsiToWide(const std::string& text, UINT codePage = CP_ACP);
std::string WideToAnsi(const std::u16string& wide, UINT codePage = CP_ACP);
// The tests name files in UTF-8.
std::u16string Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::u16string& wide);
// The active window, or null (windows.cpp).
HWND ActiveWindow();
// WM_PALETTECHANGED from `from` to every top-level window, topmost first, as
// a realization in the foreground that changed the system palette sends it.
void BroadcastPaletteChanged(HWND from);
// A stock object without a logged call.
HGDIOBJ StockObject(int index);
// What lies at `path` (modules.cpp): nothing, a plain file or a module image.
enum class FileKind { None, Plain, Module };
FileKind FileAt(const std::u16string& path);
// Whether a folder lies at the full name `path`: one added empty, or one that
// holds a file or the host executable (modules.cpp).
bool FolderAt(const std::u16string& path);
// The host executable's folder, with its last backslash (modules.cpp).
std::u16string HostFolder();
// `name` as GetFullPathName gives it: from the current folder (the host's)
// when relative, "/" as "\", "." and ".." taken out, and the last part
// without trailing spaces and dots (file_search.cpp).
std::u16string FullPathName(const std::u16string& name);
// What SearchPathA finds for `name` with `extension` (may be null) along
// the default search path: a file's or a folder's full name, or empty
// (file_search.cpp).
std::u16string SearchFile(const std::u16string& name, const std::u16string* extension);
// The DIB bytes of bitmap resource `name` of a loaded module, or null (modules.cpp).
const std::vector<BYTE>* FindBitmapResource(HMODULE handle, LPCSTR name);

}  // namespace winsim::detail
