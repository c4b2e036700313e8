// Simulated GDI: device contexts, stock objects, palettes, device bitmaps made
// from DIBs, fonts and BitBlt. DIBs are read exactly as far as GDI reads them,
// so that AddressSanitizer catches a caller that hands over too few bytes.
#include "internal.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace winsim {
namespace {

using detail::AdjustLiveHandles;
using detail::EnterCall;

// Handle ranges of their own, apart from window handles.
constexpr std::uintptr_t kFirstStockObject = 0x00300000;
constexpr std::uintptr_t kFirstGdiHandle = 0x00400000;
constexpr std::uintptr_t kGdiHandleStep = 4;
constexpr int kDefaultBitmapStock = 21;  // DEFAULT_BITMAP: the 1 by 1 bitmap of a fresh memory DC
constexpr int kSystemFontStock = 13;     // SYSTEM_FONT
constexpr int kBlackPenStock = 7;        // BLACK_PEN
constexpr int kDefaultPaletteEntries = 20;

enum class ObjectKind { Bitmap, Palette, Font, Brush, Pen };

struct GdiObject {
  explicit GdiObject(ObjectKind objectKind) : kind(objectKind) {}
  ObjectKind kind;
  bool stock = false;
  int selections = 0;           // device contexts it is selected into
  bool deletePending = false;   // DeleteObject came while it was selected
  LONG width = 0, height = 0;   // bitmaps, in pixels
  WORD bitsPixel = 0;
  std::vector<PALETTEENTRY> entries;  // palettes
};

struct DeviceContext {
  bool memory = false;
  HWND window = nullptr;  // display device contexts: their window (null: the screen)
  std::map<ObjectKind, HGDIOBJ> selected;
};

struct GdiState {
  int bitsPerPixel = 32;
  bool realizeResultSet = false;
  UINT realizeResult = 0;
  std::map<std::uintptr_t, GdiObject> objects;
  std::map<std::uintptr_t, DeviceContext> dcs;
  std::uintptr_t nextHandle = kFirstGdiHandle;
  std::vector<PaletteRecord> palettes;
  std::vector<SelectPaletteRecord> paletteSelections;
  std::vector<BitmapRecord> bitmaps;
  std::vector<BitBltRecord> bitBlts;
  std::vector<FontRecord> fonts;
};

GdiState& State() {
  static GdiState state;
  return state;
}

void ResetGdi() { State() = GdiState(); }
const detail::ResetHook resetGdi(ResetGdi);

std::uintptr_t Key(const void* handle) { return reinterpret_cast<std::uintptr_t>(handle); }

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
    if (kind == ObjectKind::Bitmap) object.width = object.height = object.bitsPixel = 1;
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

// ---- reading DIBs as GDI does

// The header fields GDI takes from either header form.
struct DibHeader {
  DWORD size;
  LONG width;
  LONG height;
  WORD planes;
  WORD bitCount;
  DWORD compression;
  DWORD sizeImage;
  DWORD clrUsed;
};

// Reads a header: the 12-byte core form, or 40 bytes of any larger form.
bool ReadDibHeader(const void* at, DibHeader* header) {
  DWORD size;
  std::memcpy(&size, at, sizeof size);
  if (size == sizeof(BITMAPCOREHEADER)) {
    BITMAPCOREHEADER core;
    std::memcpy(&core, at, sizeof core);
    *header = DibHeader{size, core.bcWidth, core.bcHeight, core.bcPlanes, core.bcBitCount, BI_RGB, 0, 0};
    return true;
  }
  if (size < sizeof(BITMAPINFOHEADER)) return false;
  BITMAPINFOHEADER info;
  std::memcpy(&info, at, sizeof info);
  *header = DibHeader{size,        info.biWidth,         info.biHeight,    info.biPlanes,
                      info.biBitCount, info.biCompression, info.biSizeImage, info.biClrUsed};
  return true;
}

constexpr DWORD kRle8 = 1;
constexpr DWORD kRle4 = 2;

std::size_t Stride(const DibHeader& header) {
  return (static_cast<std::size_t>(header.width) * header.bitCount + 31) / 32 * 4;
}

std::size_t Rows(const DibHeader& header) {
  return static_cast<std::size_t>(header.height < 0 ? -static_cast<long long>(header.height) : header.height);
}

bool IsValidDibFormat(const DibHeader& header) {
  if (header.width <= 0 || header.height == 0) return false;
  if (header.compression == kRle8 || header.compression == kRle4) {
    return header.height > 0 && header.sizeImage != 0 && header.bitCount == (header.compression == kRle4 ? 4 : 8);
  }
  if (header.planes == 0 || header.bitCount == 0) return false;
  switch (header.bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
      return header.compression == BI_RGB;
    case 16:
    case 32:
      return header.compression == BI_RGB || header.compression == BI_BITFIELDS;
    default:
      return false;
  }
}

// Bytes of colour data GDI copies from behind the header: bit-field masks, or
// the colour table of an image of up to 8 bits.
std::size_t ColourBytesRead(const DibHeader& header, UINT usage) {
  if (header.compression == BI_BITFIELDS) return 3 * sizeof(DWORD);
  if (header.bitCount > 8) return 0;
  const DWORD most = DWORD{1} << header.bitCount;
  const DWORD colours = header.clrUsed != 0 ? std::min(header.clrUsed, most) : most;
  if (usage == 1) return colours * sizeof(WORD);  // DIB_PAL_COLORS
  return colours * (header.size == sizeof(BITMAPCOREHEADER) ? sizeof(RGBTRIPLE) : sizeof(RGBQUAD));
}

// Where the colour data starts: masks sit right after the first 40 bytes even
// in the larger headers.
std::size_t ColourDataOffset(const DibHeader& header) {
  return header.compression == BI_BITFIELDS ? sizeof(BITMAPINFOHEADER) : header.size;
}

std::size_t BitsRead(const DibHeader& header) {
  if (header.compression == kRle8 || header.compression == kRle4) return header.sizeImage;
  return Stride(header) * Rows(header);
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
                  HPALETTE paletteInDc) {
  GdiObject object{ObjectKind::Bitmap};
  object.width = width;
  object.height = height;
  object.bitsPixel = deviceBits;
  auto handle = static_cast<HBITMAP>(AddObject(object));
  State().bitmaps.push_back({handle, width, height, dibBits, deviceBits, bitsOffset, paletteInDc});
  return handle;
}

}  // namespace

void SetDisplayBitsPerPixel(int bitsPerPixel) { State().bitsPerPixel = bitsPerPixel; }

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

using winsim::detail::EnterCall;

int WINAPI GetDeviceCaps(HDC dc, int index) {
  EnterCall("GetDeviceCaps");
  if (winsim::FindDC(dc) == nullptr) return 0;
  switch (index) {
    case BITSPIXEL:
      return winsim::DisplayBits();
    case PLANES:
      return 1;
    case NUMCOLORS:
      return winsim::DisplayBits() <= 8 ? winsim::kDefaultPaletteEntries : -1;
    default:
      return 0;
  }
}

HPALETTE WINAPI CreatePalette(const LOGPALETTE* palette) {
  long error = 0;
  if (EnterCall("CreatePalette", &error)) {
    SetLastError(error ? error : ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (palette == nullptr) return nullptr;
  winsim::GdiObject object{winsim::ObjectKind::Palette};
  // Exactly palNumEntries entries are read behind the 4-byte head.
  const PALETTEENTRY* entries = palette->palPalEntry;
  object.entries.assign(entries, entries + palette->palNumEntries);
  auto handle = static_cast<HPALETTE>(winsim::AddObject(object));
  winsim::State().palettes.push_back({handle, palette->palVersion, object.entries});
  return handle;
}

HPALETTE WINAPI SelectPalette(HDC dc, HPALETTE palette, BOOL forceBackground) {
  if (EnterCall("SelectPalette")) return nullptr;
  winsim::DeviceContext* context = winsim::FindDC(dc);
  winsim::GdiObject* object = winsim::FindObject(palette);
  if (context == nullptr || object == nullptr || object->kind != winsim::ObjectKind::Palette ||
      object->deletePending) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  auto previous = static_cast<HPALETTE>(winsim::Swap(*context, winsim::ObjectKind::Palette, palette));
  winsim::State().paletteSelections.push_back({dc, palette, forceBackground, previous});
  return previous;
}

UINT WINAPI RealizePalette(HDC dc) {
  if (EnterCall("RealizePalette")) return GDI_ERROR;
  winsim::DeviceContext* context = winsim::FindDC(dc);
  if (context == nullptr) return GDI_ERROR;
  if (winsim::State().realizeResultSet) return winsim::State().realizeResult;
  const winsim::GdiObject* palette = winsim::FindObject(context->selected[winsim::ObjectKind::Palette]);
  // Only a palette display maps entries; the default palette is always in place.
  if (winsim::DisplayBits() > 8 || palette == nullptr || palette->stock) return 0;
  return static_cast<UINT>(palette->entries.size());
}

HBITMAP WINAPI CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, LPCVOID bits,
                              const BITMAPINFO* info, UINT usage) {
  long error = 0;
  if (EnterCall("CreateDIBitmap", &error)) {
    SetLastError(error ? error : ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  winsim::DeviceContext* context = winsim::FindDC(dc);
  if ((dc != nullptr && context == nullptr) || header == nullptr || usage > 1) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  winsim::DibHeader created;
  if (!winsim::ReadDibHeader(header, &created) || created.width < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::ptrdiff_t bitsOffset = -1;
  if (init & CBM_INIT) {
    // The pixels go in as SetDIBits takes them: description from `info`.
    winsim::DibHeader described;
    if (info == nullptr || bits == nullptr || !winsim::ReadDibHeader(info, &described) ||
        !winsim::IsValidDibFormat(described)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    const BYTE* colours = reinterpret_cast<const BYTE*>(info) + winsim::ColourDataOffset(described);
    winsim::ReadAll(colours, winsim::ColourBytesRead(described, usage));
    winsim::ReadAll(static_cast<const BYTE*>(bits), winsim::BitsRead(described));
    bitsOffset = static_cast<const BYTE*>(bits) - reinterpret_cast<const BYTE*>(header);
  }
  // Made for the device: its depth, or monochrome without one.
  const WORD deviceBits = static_cast<WORD>(dc != nullptr ? winsim::DisplayBits() : 1);
  HPALETTE paletteInDc =
      context != nullptr ? static_cast<HPALETTE>(context->selected[winsim::ObjectKind::Palette]) : nullptr;
  return winsim::AddBitmap(created.width, static_cast<LONG>(winsim::Rows(created)), deviceBits, created.bitCount,
                           bitsOffset, paletteInDc);
}

HBITMAP WINAPI LoadBitmapA(HINSTANCE instance, LPCSTR bitmapName) {
  long error = 0;
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
  // The resource is a packed DIB: header, colour data, pixels. Unlike Windows,
  // which would read past a short resource, a short one fails here.
  const std::size_t size = dib->size();
  DWORD headerSize = 0;
  if (size >= sizeof headerSize) std::memcpy(&headerSize, dib->data(), sizeof headerSize);
  winsim::DibHeader header;
  const bool readable = size >= sizeof headerSize && headerSize <= size &&
                        (headerSize == sizeof(BITMAPCOREHEADER) || headerSize >= sizeof(BITMAPINFOHEADER)) &&
                        winsim::ReadDibHeader(dib->data(), &header) && winsim::IsValidDibFormat(header);
  if (!readable) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::size_t colourEnd = winsim::ColourDataOffset(header) + winsim::ColourBytesRead(header, DIB_RGB_COLORS);
  std::size_t bitsOffset = std::max<std::size_t>(header.size, colourEnd);
  if (bitsOffset > size || winsim::BitsRead(header) > size - bitsOffset) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  winsim::ReadAll(dib->data() + bitsOffset, winsim::BitsRead(header));
  return winsim::AddBitmap(header.width, static_cast<LONG>(winsim::Rows(header)),
                           static_cast<WORD>(winsim::DisplayBits()), header.bitCount,
                           static_cast<std::ptrdiff_t>(bitsOffset), nullptr);
}

HDC WINAPI CreateCompatibleDC(HDC dc) {
  if (EnterCall("CreateCompatibleDC")) return nullptr;
  if (dc != nullptr && winsim::FindDC(dc) == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return winsim::NewDC(true, nullptr);
}

BOOL WINAPI DeleteDC(HDC dc) {
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
  EnterCall("DeleteObject");
  winsim::GdiObject* object = winsim::FindObject(handle);
  if (object == nullptr || object->deletePending) return FALSE;
  // Stock objects stay; a selected object goes when it is no longer selected.
  if (object->stock) return TRUE;
  if (object->selections > 0) {
    object->deletePending = true;
    return TRUE;
  }
  winsim::State().objects.erase(winsim::Key(handle));
  winsim::detail::AdjustLiveHandles(winsim::HandleKind::GdiObject, -1);
  return TRUE;
}

int WINAPI GetObjectA(HANDLE handle, int size, LPVOID buffer) {
  EnterCall("GetObjectA");
  winsim::GdiObject* object = winsim::FindObject(handle);
  if (object == nullptr || object->deletePending) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
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
  EnterCall("GetStockObject");
  return winsim::Stock(index);
}

BOOL WINAPI BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                   DWORD rop) {
  if (EnterCall("BitBlt")) return FALSE;
  winsim::DeviceContext* target = winsim::FindDC(destination);
  winsim::DeviceContext* from = winsim::FindDC(source);
  if (target == nullptr || from == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  HBITMAP sourceBitmap =
      from->memory ? static_cast<HBITMAP>(from->selected[winsim::ObjectKind::Bitmap]) : nullptr;
  winsim::State().bitBlts.push_back({destination, target->memory ? nullptr : target->window, x, y, width, height,
                                     source, sourceBitmap, sourceX, sourceY, rop,
                                     static_cast<HPALETTE>(target->selected[winsim::ObjectKind::Palette])});
  return TRUE;
}

HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                         DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outputPrecision, DWORD clipPrecision,
                         DWORD quality, DWORD pitchAndFamily, LPCSTR faceName) {
  if (EnterCall("CreateFontA")) return nullptr;
  auto handle = static_cast<HFONT>(winsim::AddObject(winsim::GdiObject{winsim::ObjectKind::Font}));
  winsim::State().fonts.push_back({handle, height, width, escapement, orientation, weight, italic, underline,
                                   strikeOut, charSet, outputPrecision, clipPrecision, quality, pitchAndFamily,
                                   faceName ? faceName : ""});
  return handle;
}
