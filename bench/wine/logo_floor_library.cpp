// The floor of the time to the logo: a DLL whose load does only what showing
// the logo takes. It loads the English resource library from the host's
// folder, makes the bitmap named by the environment variable
// BENCH_LOGO_BITMAP into a device bitmap, and shows it in the logo's kind of
// window (a centred popup with a dialog frame and a client edge, sized as the
// logo is) painted before its load returns. Unloading releases all of it.
#include <windows.h>

#include <cwchar>

namespace {

const char kClassName[] = "BenchLogoFloorClass";
const wchar_t kResourceLibrary[] = L"OxaRes0.dll";
constexpr DWORD kStyle = WS_POPUP | WS_DLGFRAME;

HINSTANCE g_self = nullptr;
HMODULE g_resources = nullptr;
HBITMAP g_bitmap = nullptr;
HWND g_window = nullptr;

LRESULT CALLBACK FloorWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProcA(window, message, wParam, lParam);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  HDC memory = CreateCompatibleDC(dc);
  BITMAP size{};
  GetObjectA(g_bitmap, sizeof size, &size);
  HGDIOBJ previous = SelectObject(memory, g_bitmap);
  BitBlt(dc, 0, 0, size.bmWidth, size.bmHeight, memory, 0, 0, SRCCOPY);
  SelectObject(memory, previous);
  DeleteDC(memory);
  EndPaint(window, &paint);
  return 0;
}

// The resource library beside the host executable, by its wide name.
HMODULE LoadResourceLibrary() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  wchar_t* slash = std::wcsrchr(path, L'\\');
  if (slash == nullptr || (slash - path) + 1 + std::wcslen(kResourceLibrary) >= MAX_PATH) return nullptr;
  std::wcscpy(slash + 1, kResourceLibrary);
  return LoadLibraryW(path);
}

void ShowLogo() {
  char name[64];
  const DWORD length = GetEnvironmentVariableA("BENCH_LOGO_BITMAP", name, sizeof name);
  if (length == 0 || length >= sizeof name) return;
  g_resources = LoadResourceLibrary();
  if (g_resources == nullptr) return;
  g_bitmap = LoadBitmapA(g_resources, name);
  if (g_bitmap == nullptr) return;

  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = FloorWindowProcedure;
  windowClass.hInstance = g_self;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  windowClass.lpszClassName = kClassName;
  if (RegisterClassA(&windowClass) == 0) return;

  // Placed and sized as the logo is, so that both show the same pixels.
  BITMAP size{};
  GetObjectA(g_bitmap, sizeof size, &size);
  RECT rect{0, 0, size.bmWidth, size.bmHeight};
  AdjustWindowRect(&rect, kStyle, FALSE);
  const int width = GetSystemMetrics(SM_CXDLGFRAME) + rect.right - rect.left;
  const int height = GetSystemMetrics(SM_CYDLGFRAME) + rect.bottom - rect.top;
  g_window = CreateWindowExA(WS_EX_CLIENTEDGE, kClassName, "", kStyle, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                             (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr, g_self,
                             nullptr);
  if (g_window == nullptr) return;
  ShowWindow(g_window, SW_SHOW);
  UpdateWindow(g_window);
}

void Release() {
  if (g_window != nullptr) DestroyWindow(g_window);
  g_window = nullptr;
  UnregisterClassA(kClassName, g_self);
  if (g_bitmap != nullptr) DeleteObject(g_bitmap);
  g_bitmap = nullptr;
  if (g_resources != nullptr) FreeLibrary(g_resources);
  g_resources = nullptr;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_self = instance;
    ShowLogo();
  } else if (reason == DLL_PROCESS_DETACH) {
    Release();
  }
  return TRUE;
}
