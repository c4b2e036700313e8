// Simulated GDI: device contexts, stock objects, palettes and their
// realization, device bitmaps made from DIBs with their pixels, fonts, BitBlt
// and GetPixel. DIBs handed to CreateDIBitmap are read exactly as far as GDI
// reads them, so that AddressSanitizer catches a caller that hands over too
// few bytes.
#include "dib_reading.h"
#include "internal.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

namespace winsim {
namespace {

using detail::AdjustLiveHandles;
using detail::DibHeader;
using detail::EnterCall;

// Handle ranges of their own, apart from window handles.
constexpr std::uintptr_t kFirstStockObject = 0x00300000;
constexpr std::uintptr_t kFirstGdiHandle = 0x00400000;
constexpr std::uintptr_t kGdiHandleStep = 4;
constexpr int kDefaultBitmapStock = 21;  // DEFAULT_BITMAP: the 1 by 1 bitmap of a fresh memory DC
constexpr int kSystemFontStock = 13;     // SYSTEM_FONT
constexpr int kBlackPenStock = 7;        // BLACK_PEN
constexpr int kDefaultPaletteEntries = 20;
// Larger bitmaps fail as if memory ran out. Windows and Wine go on to what
// memory holds; the tests need no more, and the fuzzers no gigabytes.
constexpr std::uint64_t kMostBitmapPixels = std::uint64_t{1} << 24;

enum class ObjectKind { Bitmap, Palette, Font, Brush, Pen };

struct GdiObject {
  explicit GdiObject(ObjectKind objectKind) : kind(objectKind) {}
  ObjectKind kind;
  bool stock = false;
  int selections = 0;           // device contexts it is selected into
  bool deletePending = false;   // DeleteObject came while it was selected
  LONG width = 0, height = 0;   // bitmaps, in pixels
  WORD bitsPixel = 0;
  // Bitmaps: the colour of each pixel, top row first. Colours are kept as
  // given; a palette display's mapping to its nearest colours is not
  // simulated, so tests read back only colours every display shows exactly.
  std::vector<COLORREF> pixels;
  std::vector<PALETTEENTRY> entries;  // palettes
};

struct DeviceContext {
  bool memory = false;
  HWND window = nullptr;  // display device contexts: their window (null: the screen)
  std::map<ObjectKind, HGDIOBJ> selected;
  BOOL paletteInBackground = FALSE;  // as the last SelectPalette asked
  int bkMode = OPAQUE;
  COLORREF textColour = RGB(0, 0, 0);
  int stretchMode = BLACKONWHITE;
  POINT brushOrigin{0, 0};
};

struct GdiState {
  int bitsPerPixel = 32;
  int dpi = 96;
  bool realizeResultSet = false;
  UINT realizeResult = 0;
  std::map<std::uintptr_t, GdiObject> objects;
  std::map<std::uintptr_t, DeviceContext> dcs;
  std::set<std::uintptr_t> deleted;  // objects DeleteObject took; handles are never handed out again
  std::uintptr_t nextHandle = kFirstGdiHandle;
  // Palettes whose colours are mapped into the system palette; realizing one
  // of them again changes nothing.
  std::set<std::uintptr_t> realized;
  std::vector<PaletteRecord> palettes;
  std::vector<SelectPaletteRecord> paletteSelections;
  std::vector<BitmapRecord> bitmaps;
  std::vector<BitBltRecord> bitBlts;
  std::vector<FontRecord> fonts;
  std::vector<TextRecord> texts;
};

GdiState& State() {
  static GdiState state;
  return state;
}

void ResetGdi() { State() = GdiState(); }
const detail::ResetHook resetGdi(ResetGdi);

std::uintptr_t Key(const void* handle) { return reinterpret_cast<std::uintptr_t>(handle); }

std::string HandleText(const void* handle) {
  char text[24];
  std::snprintf(text, sizeof text, "%p", handle);
  return text;
}

std::uintptr_t NewHandle() {
  std::uintptr_t handle = State().nextHandle;
  State().nextHandle += kGdiHandleStep;
  return handle;
}

GdiObject* FindObject(const void* handle) {
  if (handle == nullptr) return nullptr;
  auto found = State().objects.find(Key(handle));
  return found == State().objects.end() ? nullptr : &found->second;
}

DeviceContext* FindDC(HDC dc) {
  if (dc == nullptr) return nullptr;
  auto found = State().dcs.find(Key(dc));
  return found == State().dcs.end() ? nullptr : &found->second;
}

bool StockKind(int index, ObjectKind* kind) {
  if (index >= 0 && index <= 5) *kind = ObjectKind::Brush;
  else if (index >= 6 && index <= 8) *kind = ObjectKind::Pen;
  else if (index == DEFAULT_PALETTE) *kind = ObjectKind::Palette;
  else if ((index >= 10 && index <= 14) || index == 16 || index == 17) *kind = ObjectKind::Font;
  else if (index == 18) *kind = ObjectKind::Brush;  // DC_BRUSH
  else if (index == 19) *kind = ObjectKind::Pen;    // DC_PEN
  else if (index == kDefaultBitmapStock) *kind = ObjectKind::Bitmap;
  else return false;
  return true;
}

HGDIOBJ Stock(int index) {
  ObjectKind kind;
  if (!StockKind(index, &kind)) return nullptr;
  std::uintptr_t handle = kFirstStockObject + kGdiHandleStep * static_cast<std::uintptr_t>(index);
  auto& objects = State().objects;
  if (objects.find(handle) == objects.end()) {
    GdiObject object{kind};
    object.stock = true;
    if (kind == ObjectKind::Bitmap) {
      object.width = object.height = object.bitsPixel = 1;
      object.pixels.assign(1, RGB(0, 0, 0));
    }
    if (kind == ObjectKind::Palette) object.entries.assign(kDefaultPaletteEntries, PALETTEENTRY{});
    objects.emplace(handle, object);
  }
  return reinterpret_cast<HGDIOBJ>(handle);
}

HDC NewDC(bool memory, HWND window) {
  DeviceContext dc;
  dc.memory = memory;
  dc.window = window;
  dc.selected[ObjectKind::Palette] = Stock(DEFAULT_PALETTE);
  dc.selected[ObjectKind::Font] = Stock(kSystemFontStock);
  dc.selected[ObjectKind::Brush] = Stock(WHITE_BRUSH);
  dc.selected[ObjectKind::Pen] = Stock(kBlackPenStock);
  // Only a memory device context holds a bitmap.
  if (memory) dc.selected[ObjectKind::Bitmap] = Stock(kDefaultBitmapStock);
  for (auto& entry : dc.selected) ++FindObject(entry.second)->selections;
  std::uintptr_t handle = NewHandle();
  State().dcs.emplace(handle, dc);
  AdjustLiveHandles(HandleKind::DeviceContext, +1);
  return reinterpret_cast<HDC>(handle);
}

// Ends one selection of `handle`; an object whose deletion waited goes now.
void Deselect(HGDIOBJ handle) {
  GdiObject* object = FindObject(handle);
  if (object == nullptr) return;
  if (object->selections > 0) --object->selections;
  if (object->selections == 0 && object->deletePending) {
    State().objects.erase(Key(handle));
    AdjustLiveHandles(HandleKind::GdiObject, -1);
  }
}

void CloseDC(HDC handle) {
  DeviceContext* dc = FindDC(handle);
  std::vector<HGDIOBJ> selected;
  for (auto& entry : dc->selected) selected.push_back(entry.second);
  State().dcs.erase(Key(handle));
  for (HGDIOBJ object : selected) Deselect(object);
  AdjustLiveHandles(HandleKind::DeviceContext, -1);
}

HGDIOBJ Swap(DeviceContext& dc, ObjectKind kind, HGDIOBJ handle) {
  HGDIOBJ previous = dc.selected[kind];
  ++FindObject(handle)->selections;
  dc.selected[kind] = handle;
  Deselect(previous);
  return previous;
}

HGDIOBJ AddObject(GdiObject object) {
  std::uintptr_t handle = NewHandle();
  State().objects.emplace(handle, std::move(object));
  AdjustLiveHandles(HandleKind::GdiObject, +1);
  return reinterpret_cast<HGDIOBJ>(handle);
}

// Touches every byte so that a short buffer shows up under AddressSanitizer;
// the sum goes to a volatile so that the reads are never optimized away.
volatile unsigned g_bytesSum = 0;
void ReadAll(const BYTE* bytes, std::size_t count) {
  unsigned sum = 0;
  for (std::size_t i = 0; i < count; ++i) sum += bytes[i];
  g_bytesSum = g_bytesSum + sum;
}

int DisplayBits() { return State().bitsPerPixel; }

HBITMAP AddBitmap(LONG width, LONG height, WORD deviceBits, WORD dibBits, std::ptrdiff_t bitsOffset,
                  HPALETTE paletteInDc, std::vector<COLORREF> pixels) {
  GdiObject object{ObjectKind::Bitmap};
  object.width = width;
  object.height = height;
  object.bitsPixel = deviceBits;
  object.pixels = std::move(pixels);
  object.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), RGB(0, 0, 0));
  auto handle = static_cast<HBITMAP>(AddObject(std::move(object)));
  State().bitmaps.push_back({handle, width, height, dibBits, deviceBits, bitsOffset, paletteInDc});
  return handle;
}

// The pixels of a valid DIB, placed as SetDIBits places them in a bitmap of
// `width` by `height`: a bottom-up image from the bottom row, a top-down one
// from the top.
std::vector<COLORREF> PixelsFor(const DibHeader& dib, const BYTE* colours, const BYTE* bits, LONG width,
                                LONG height) {
  const std::vector<COLORREF> decoded = detail::DecodeDibPixels(dib, colours, bits);
  std::vector<COLORREF> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), RGB(0, 0, 0));
  const LONG dibWidth = dib.width;
  const LONG dibRows = static_cast<LONG>(detail::DibRows(dib));
  const LONG shift = dib.height > 0 ? height - dibRows : 0;
  for (LONG y = 0; y < dibRows; ++y) {
    const LONG target = y + shift;
    if (target < 0 || target >= height) continue;
    for (LONG x = 0; x < dibWidth && x < width; ++x) {
      pixels[static_cast<std::size_t>(target) * width + x] = decoded[static_cast<std::size_t>(y) * dibWidth + x];
    }
  }
  return pixels;
}

// The bitmap selected into a memory device context, or null.
GdiObject* SelectedBitmap(DeviceContext& dc) {
  if (!dc.memory) return nullptr;
  return FindObject(dc.selected[ObjectKind::Bitmap]);
}

// Realization in the foreground: a palette selected without forcing the
// background, in a device context of the active window.
bool RealizesInForeground(const DeviceContext& dc) {
  return !dc.paletteInBackground && dc.window != nullptr && dc.window == detail::ActiveWindow();
}

}  // namespace

void SetDisplayBitsPerPixel(int bitsPerPixel) { State().bitsPerPixel = bitsPerPixel; }
void SetDisplayDpi(int dpi) { State().dpi = dpi; }

void SetRealizePaletteResult(UINT result) {
  State().realizeResultSet = true;
  State().realizeResult = result;
}

const std::vector<PaletteRecord>& PalettesCreated() { return State().palettes; }

std::vector<PALETTEENTRY> PaletteEntries(HPALETTE palette) {
  GdiObject* object = FindObject(palette);
  if (object == nullptr || object->kind != ObjectKind::Palette || object->deletePending) return {};
  return object->entries;
}

const std::vector<SelectPaletteRecord>& PaletteSelections() { return State().paletteSelections; }
const std::vector<BitmapRecord>& BitmapsCreated() { return State().bitmaps; }
const std::vector<BitBltRecord>& BitBlts() { return State().bitBlts; }
const std::vector<FontRecord>& FontsCreated() { return State().fonts; }
const std::vector<TextRecord>& TextDrawn() { return State().texts; }

DcTextState TextStateOf(HDC dc) {
  DeviceContext* context = FindDC(dc);
  if (context == nullptr) return DcTextState{nullptr, CLR_INVALID, 0};
  return DcTextState{context->selected[ObjectKind::Font], context->textColour, context->bkMode};
}

bool IsLiveGdiObject(HGDIOBJ object) {
  GdiObject* found = FindObject(object);
  return found != nullptr && !found->deletePending;
}

namespace detail {

HDC OpenDisplayDC(HWND window) { return NewDC(false, window); }

bool CloseDisplayDC(HDC dc) {
  DeviceContext* found = FindDC(dc);
  if (found == nullptr || found->memory) return false;
  CloseDC(dc);
  return true;
}

HGDIOBJ StockObject(int index) { return Stock(index); }

}  // namespace detail
}  // namespace winsim

using winsim::detail::DibHeader;
using winsim::detail::EnterCall;

int WINAPI GetDeviceCaps(HDC dc, int index) {
  const winsim::detail::ApiLock apiLock;
  EnterCall("GetDeviceCaps");
  if (winsim::FindDC(dc) == nullptr) return 0;
  switch (index) {
    case BITSPIXEL:
      return winsim::DisplayBits();
    case PLANES:
      return 1;
    case LOGPIXELSX:
    case LOGPIXELSY:
      return winsim::State().dpi;
    case NUMCOLORS:
      // Wine's answer on every display; Windows gives 20 on a palette display.
      return -1;
    default:
      return 0;
  }
}

HPALETTE WINAPI CreatePalette(const LOGPALETTE* palette) {
  long error = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("CreatePalette", &error)) {
    SetLastError(error ? error : ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (palette == nullptr) return nullptr;
  winsim::GdiObject object{winsim::ObjectKind::Palette};
  // Exactly palNumEntries entries are read behind the 4-byte head.
  const PALETTEENTRY* entries = palette->palPalEntry;
  object.entries.assign(entries, entries + palette->palNumEntries);
  const std::vector<PALETTEENTRY> given = object.entries;
  auto handle = static_cast<HPALETTE>(winsim::AddObject(std::move(object)));
  winsim::State().palettes.push_back({handle, palette->palVersion, given});
  return handle;
}

HPALETTE WINAPI SelectPalette(HDC dc, HPALETTE palette, BOOL forceBackground) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("SelectPalette")) return nullptr;
  winsim::DeviceContext* context = winsim::FindDC(dc);
  winsim::GdiObject* object = winsim::FindObject(palette);
  if (context == nullptr || object == nullptr || object->kind != winsim::ObjectKind::Palette ||
      object->deletePending) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  context->paletteInBackground = forceBackground;
  auto previous = static_cast<HPALETTE>(winsim::Swap(*context, winsim::ObjectKind::Palette, palette));
  winsim::State().paletteSelections.push_back({dc, palette, forceBackground, previous});
  return previous;
}

UINT WINAPI RealizePalette(HDC dc) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("RealizePalette")) return GDI_ERROR;
  winsim::DeviceContext* context = winsim::FindDC(dc);
  // Wine answers 0, not GDI_ERROR, for a handle that is no device context.
  if (context == nullptr) return 0;
  if (winsim::State().realizeResultSet) return winsim::State().realizeResult;
  const HGDIOBJ selected = context->selected[winsim::ObjectKind::Palette];
  const winsim::GdiObject* palette = winsim::FindObject(selected);
  // Only a palette display maps entries; the default palette is always in place.
  if (winsim::DisplayBits() > 8 || palette == nullptr || palette->stock) return 0;
  auto& realized = winsim::State().realized;
  const std::uintptr_t key = winsim::Key(selected);
  const UINT mapped = realized.count(key) != 0 ? 0 : static_cast<UINT>(palette->entries.size());
  // The foreground palette takes the system palette over; others add to it.
  const bool foreground = winsim::RealizesInForeground(*context);
  if (foreground) realized.clear();
  realized.insert(key);
  if (foreground && mapped != 0) winsim::detail::BroadcastPaletteChanged(context->window);
  return mapped;
}

HBITMAP WINAPI CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, LPCVOID bits,
                              const BITMAPINFO* info, UINT usage) {
  long error = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("CreateDIBitmap", &error)) {
    SetLastError(error ? error : ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  winsim::DeviceContext* context = winsim::FindDC(dc);
  if ((dc != nullptr && context == nullptr) || header == nullptr || usage > 1) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  DibHeader created;
  if (!winsim::detail::ReadDibHeader(header, &created)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (created.width < 0) return nullptr;
  const LONG rows = static_cast<LONG>(winsim::detail::DibRows(created));
  // An empty bitmap is the stock 1 by 1 one, whatever the pixels.
  if (created.width == 0 || rows == 0) return static_cast<HBITMAP>(winsim::Stock(winsim::kDefaultBitmapStock));
  if (std::uint64_t(created.width) * std::uint64_t(rows) > winsim::kMostBitmapPixels) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::ptrdiff_t bitsOffset = -1;
  std::vector<COLORREF> pixels;
  if (init & CBM_INIT) {
    // The pixels go in as SetDIBits takes them: description from `info`.
    DibHeader described;
    if (info == nullptr || bits == nullptr || !winsim::detail::ReadDibHeader(info, &described) ||
        !winsim::detail::IsValidDibFormat(described)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    const BYTE* colours = reinterpret_cast<const BYTE*>(info) + winsim::detail::ColourDataOffset(described);
    const BYTE* pixelBytes = static_cast<const BYTE*>(bits);
    winsim::ReadAll(colours, winsim::detail::ColourBytesRead(described, usage));
    winsim::ReadAll(pixelBytes, winsim::detail::BitsRead(described));
    bitsOffset = pixelBytes - reinterpret_cast<const BYTE*>(header);
    // Colours from a palette's indices (DIB_PAL_COLORS) are not simulated: black.
    if (usage == DIB_RGB_COLORS) pixels = winsim::PixelsFor(described, colours, pixelBytes, created.width, rows);
  }
  // Made for the device: its depth, or monochrome without one.
  const WORD deviceBits = static_cast<WORD>(dc != nullptr ? winsim::DisplayBits() : 1);
  HPALETTE paletteInDc =
      context != nullptr ? static_cast<HPALETTE>(context->selected[winsim::ObjectKind::Palette]) : nullptr;
  return winsim::AddBitmap(created.width, rows, deviceBits, created.bitCount, bitsOffset, paletteInDc,
                           std::move(pixels));
}

HBITMAP WINAPI LoadBitmapA(HINSTANCE instance, LPCSTR bitmapName) {
  long error = 0;
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("LoadBitmapA", &error)) {
    SetLastError(error ? error : ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  // A null instance asks for the system's own bitmaps, none of which are simulated.
  const std::vector<BYTE>* dib =
      instance != nullptr && bitmapName != nullptr ? winsim::detail::FindBitmapResource(instance, bitmapName) : nullptr;
  if (dib == nullptr) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  // The resource is a packed DIB: header, colour data, pixels. The system
  // reads as far as the header says, past the end of a short resource; here
  // the missing bytes read as zeros.
  std::vector<BYTE> bytes(*dib);
  bytes.resize(std::max<std::size_t>(bytes.size(), sizeof(BITMAPINFOHEADER)), 0);
  DibHeader header;
  if (!winsim::detail::ReadDibHeader(bytes.data(), &header) || header.width < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const LONG rows = static_cast<LONG>(winsim::detail::DibRows(header));
  if (header.width == 0 || rows == 0) return static_cast<HBITMAP>(winsim::Stock(winsim::kDefaultBitmapStock));
  if (std::uint64_t(header.width) * std::uint64_t(rows) > winsim::kMostBitmapPixels) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  // The bitmap is made first and filled after: a format GDI cannot draw
  // leaves it black.
  std::vector<COLORREF> pixels;
  const std::size_t colourEnd =
      winsim::detail::ColourDataOffset(header) + winsim::detail::ColourBytesRead(header, DIB_RGB_COLORS);
  const std::size_t bitsOffset = std::max<std::size_t>(header.size, colourEnd);
  if (winsim::detail::IsValidDibFormat(header)) {
    bytes.resize(std::max(bytes.size(), bitsOffset + winsim::detail::BitsRead(header)), 0);
    pixels = winsim::PixelsFor(header, bytes.data() + winsim::detail::ColourDataOffset(header),
                               bytes.data() + bitsOffset, header.width, rows);
  } else {
    SetLastError(ERROR_INVALID_PARAMETER);
  }
  return winsim::AddBitmap(header.width, rows, static_cast<WORD>(winsim::DisplayBits()), header.bitCount,
                           static_cast<std::ptrdiff_t>(bitsOffset), nullptr, std::move(pixels));
}

HDC WINAPI CreateCompatibleDC(HDC dc) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("CreateCompatibleDC")) return nullptr;
  if (dc != nullptr && winsim::FindDC(dc) == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return winsim::NewDC(true, nullptr);
}

BOOL WINAPI DeleteDC(HDC dc) {
  const winsim::detail::ApiLock apiLock;
  EnterCall("DeleteDC");
  winsim::DeviceContext* context = winsim::FindDC(dc);
  // Display device contexts go back with ReleaseDC or EndPaint.
  if (context == nullptr || !context->memory) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  winsim::CloseDC(dc);
  return TRUE;
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ handle) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("SelectObject")) return nullptr;
  winsim::DeviceContext* context = winsim::FindDC(dc);
  winsim::GdiObject* object = winsim::FindObject(handle);
  if (context == nullptr || object == nullptr || object->deletePending) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  switch (object->kind) {
    case winsim::ObjectKind::Palette:
      return nullptr;  // palettes go in with SelectPalette only
    case winsim::ObjectKind::Bitmap: {
      if (!context->memory) return nullptr;
      HGDIOBJ current = context->selected[winsim::ObjectKind::Bitmap];
      if (handle == current) return current;
      // One device context at a time, and of a depth it can hold.
      if (object->selections > 0 && !object->stock) return nullptr;
      if (object->bitsPixel != 1 && object->bitsPixel != winsim::DisplayBits()) return nullptr;
      return winsim::Swap(*context, winsim::ObjectKind::Bitmap, handle);
    }
    default:
      return winsim::Swap(*context, object->kind, handle);
  }
}

BOOL WINAPI DeleteObject(HGDIOBJ handle) {
  const winsim::detail::ApiLock apiLock;
  // An injected failure leaves the object in place, as a refused delete does.
  if (EnterCall("DeleteObject")) return FALSE;
  winsim::GdiObject* object = winsim::FindObject(handle);
  if (object == nullptr || object->deletePending) {
    // The handle may by now name another thread's object on Windows.
    if (winsim::State().deleted.count(winsim::Key(handle)) != 0 || (object != nullptr && object->deletePending)) {
      winsim::detail::ReportViolation("DeleteObject deleted GDI object " + winsim::HandleText(handle) + " twice");
    }
    return FALSE;
  }
  // Stock objects stay; a selected object goes when it is no longer selected.
  if (object->stock) return TRUE;
  if (object->kind == winsim::ObjectKind::Palette) winsim::State().realized.erase(winsim::Key(handle));
  winsim::State().deleted.insert(winsim::Key(handle));
  if (object->selections > 0) {
    // Wine waits; Windows may refuse, or pull it from under a paint.
    winsim::detail::ReportViolation("DeleteObject deleted GDI object " + winsim::HandleText(handle) +
                                    " while it was selected into a device context");
    object->deletePending = true;
    return TRUE;
  }
  winsim::State().objects.erase(winsim::Key(handle));
  winsim::detail::AdjustLiveHandles(winsim::HandleKind::GdiObject, -1);
  return TRUE;
}

int WINAPI GetObjectA(HANDLE handle, int size, LPVOID buffer) {
  const winsim::detail::ApiLock apiLock;
  EnterCall("GetObjectA");
  winsim::GdiObject* object = winsim::FindObject(handle);
  // A bitmap whose deletion waits for its device context still answers.
  if (object == nullptr || (object->deletePending && object->kind != winsim::ObjectKind::Bitmap)) return 0;
  switch (object->kind) {
    case winsim::ObjectKind::Bitmap: {
      if (buffer == nullptr) return sizeof(BITMAP);
      if (size < static_cast<int>(sizeof(BITMAP))) return 0;
      BITMAP bitmap{};
      bitmap.bmWidth = object->width;
      bitmap.bmHeight = object->height;
      // Device bitmaps have rows padded to 2 bytes.
      bitmap.bmWidthBytes = (object->width * object->bitsPixel + 15) / 16 * 2;
      bitmap.bmPlanes = 1;
      bitmap.bmBitsPixel = object->bitsPixel;
      std::memcpy(buffer, &bitmap, sizeof bitmap);
      return sizeof(BITMAP);
    }
    case winsim::ObjectKind::Palette: {
      if (buffer == nullptr) return sizeof(WORD);
      if (size < static_cast<int>(sizeof(WORD))) return 0;
      WORD count = static_cast<WORD>(object->entries.size());
      std::memcpy(buffer, &count, sizeof count);
      return sizeof(WORD);
    }
    default:
      return 0;  // fonts, brushes and pens are not described
  }
}

HGDIOBJ WINAPI GetStockObject(int index) {
  const winsim::detail::ApiLock apiLock;
  EnterCall("GetStockObject");
  return winsim::Stock(index);
}

namespace winsim {
namespace {

// BitBlt and StretchBlt: the record, and the pixels when both sides are
// bitmaps. Every stretching mode samples the nearest source pixel here:
// HALFTONE's filter is the platform's own, and agrees with this only on
// areas of one colour.
BOOL Blit(HDC destination, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
          int sourceWidth, int sourceHeight, DWORD rop, bool stretched) {
  DeviceContext* target = FindDC(destination);
  DeviceContext* from = FindDC(source);
  if (target == nullptr || from == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  HBITMAP sourceBitmap = from->memory ? static_cast<HBITMAP>(from->selected[ObjectKind::Bitmap]) : nullptr;
  BitBltRecord record{destination, target->memory ? nullptr : target->window, x, y, width, height,
                      source, sourceBitmap, sourceX, sourceY, rop,
                      static_cast<HPALETTE>(target->selected[ObjectKind::Palette])};
  if (stretched) {
    record.stretched = true;
    record.sourceWidth = sourceWidth;
    record.sourceHeight = sourceHeight;
    record.stretchMode = target->stretchMode;
    record.brushOrigin = target->brushOrigin;
  }
  State().bitBlts.push_back(record);
  // Pixels are kept for bitmaps only: a copy between two of them, clipped to both.
  GdiObject* to = SelectedBitmap(*target);
  const GdiObject* copied = SelectedBitmap(*from);
  if (rop != SRCCOPY || to == nullptr || copied == nullptr || to == copied) return TRUE;
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      const long long fromX = sourceX + (2LL * column + 1) * sourceWidth / (2LL * width);
      const long long fromY = sourceY + (2LL * row + 1) * sourceHeight / (2LL * height);
      const long long toX = long{x} + column, toY = long{y} + row;
      if (fromX < 0 || fromY < 0 || fromX >= copied->width || fromY >= copied->height) continue;
      if (toX < 0 || toY < 0 || toX >= to->width || toY >= to->height) continue;
      to->pixels[static_cast<std::size_t>(toY * to->width + toX)] =
          copied->pixels[static_cast<std::size_t>(fromY * copied->width + fromX)];
    }
  }
  return TRUE;
}

}  // namespace
}  // namespace winsim

BOOL WINAPI BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                   DWORD rop) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("BitBlt")) return FALSE;
  return winsim::Blit(destination, x, y, width, height, source, sourceX, sourceY, width, height, rop, false);
}

BOOL WINAPI StretchBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                       int sourceWidth, int sourceHeight, DWORD rop) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("StretchBlt")) return FALSE;
  return winsim::Blit(destination, x, y, width, height, source, sourceX, sourceY, sourceWidth, sourceHeight, rop,
                      true);
}

int WINAPI SetStretchBltMode(HDC dc, int mode) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("SetStretchBltMode")) return 0;
  winsim::DeviceContext* context = winsim::FindDC(dc);
  if (context == nullptr || mode < BLACKONWHITE || mode > HALFTONE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const int previous = context->stretchMode;
  context->stretchMode = mode;
  return previous;
}

BOOL WINAPI SetBrushOrgEx(HDC dc, int x, int y, LPPOINT previous) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("SetBrushOrgEx")) return FALSE;
  winsim::DeviceContext* context = winsim::FindDC(dc);
  if (context == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (previous != nullptr) *previous = context->brushOrigin;
  context->brushOrigin = POINT{x, y};
  return TRUE;
}

COLORREF WINAPI GetPixel(HDC dc, int x, int y) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("GetPixel")) return CLR_INVALID;
  winsim::DeviceContext* context = winsim::FindDC(dc);
  // What lies on the screen is not simulated: display device contexts answer
  // CLR_INVALID as a point outside the bitmap does.
  const winsim::GdiObject* bitmap = context != nullptr ? winsim::SelectedBitmap(*context) : nullptr;
  if (bitmap == nullptr || x < 0 || y < 0 || x >= bitmap->width || y >= bitmap->height) return CLR_INVALID;
  return bitmap->pixels[static_cast<std::size_t>(y) * bitmap->width + x];
}

HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                         DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outputPrecision, DWORD clipPrecision,
                         DWORD quality, DWORD pitchAndFamily, LPCSTR faceName) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("CreateFontA")) return nullptr;
  auto handle = static_cast<HFONT>(winsim::AddObject(winsim::GdiObject{winsim::ObjectKind::Font}));
  winsim::State().fonts.push_back({handle, height, width, escapement, orientation, weight, italic, underline,
                                   strikeOut, charSet, outputPrecision, clipPrecision, quality, pitchAndFamily,
                                   faceName ? faceName : ""});
  return handle;
}

int WINAPI SetBkMode(HDC dc, int mode) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("SetBkMode")) return 0;
  winsim::DeviceContext* context = winsim::FindDC(dc);
  if (context == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const int previous = context->bkMode;
  context->bkMode = mode;
  return previous;
}

COLORREF WINAPI SetTextColor(HDC dc, COLORREF colour) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("SetTextColor")) return CLR_INVALID;
  winsim::DeviceContext* context = winsim::FindDC(dc);
  if (context == nullptr) return CLR_INVALID;
  const COLORREF previous = context->textColour;
  context->textColour = colour;
  return previous;
}

int WINAPI DrawTextA(HDC dc, LPCSTR text, int length, LPRECT rect, UINT format) {
  const winsim::detail::ApiLock apiLock;
  if (EnterCall("DrawTextA")) return 0;
  winsim::DeviceContext* context = winsim::FindDC(dc);
  if (context == nullptr || text == nullptr || rect == nullptr) return 0;
  const std::string line = length < 0 ? std::string(text) : std::string(text, static_cast<size_t>(length));
  const HGDIOBJ font = context->selected[winsim::ObjectKind::Font];
  // A font made here has the height it was asked for; the system font is 16.
  int height = 16;
  int width = 8;
  for (const winsim::FontRecord& made : winsim::State().fonts) {
    if (made.handle == font) {
      height = made.height < 0 ? -made.height : made.height != 0 ? made.height : 16;
      width = made.width != 0 ? made.width : height / 2;
    }
  }
  winsim::State().texts.push_back({dc, context->window, line, *rect, format, font, context->textColour, context->bkMode});
  if (line.empty()) return 0;
  const int top = (format & DT_VCENTER) && (format & DT_SINGLELINE) ? rect->top + (rect->bottom - rect->top - height) / 2
                                                                   : rect->top;
  winsim::GdiObject* bitmap = winsim::SelectedBitmap(*context);
  if (bitmap != nullptr) {
    // Each character's cell: the box filled OPAQUE, a stroke inked, clipped to the rectangle.
    const LONG right = rect->left + static_cast<LONG>(line.size()) * width;
    for (LONG y = top; y < top + height; ++y) {
      for (LONG x = rect->left; x < right; ++x) {
        if (x < rect->left || x >= rect->right || y < rect->top || y >= rect->bottom) continue;
        if (x < 0 || y < 0 || x >= bitmap->width || y >= bitmap->height) continue;
        COLORREF& pixel = bitmap->pixels[static_cast<size_t>(y) * bitmap->width + x];
        const bool stroke = (x - rect->left) % width == 1;
        if (stroke) pixel = context->textColour;
        else if (context->bkMode == OPAQUE) pixel = RGB(255, 255, 255);
      }
    }
  }
  return top - rect->top + height;
}
