// Time to the logo under Wine: from the host's LoadLibrary call to the logo
// window painted, at a returning user's start with a mode switch, against its
// floor, BenchLogoFloor.dll (the same resource library, the same bitmap, the
// same kind of window, painted before its load returns), and an empty DLL,
// interleaved in one process. The logo is painted inside the load, so the
// load's return is the time to the logo; each cycle checks that the window
// was up and painted by then.
//
// Then where the library's time goes: the same start with each diagnostics
// line timed as it is written. OutputDebugStringW hands the line to
// OutputDebugStringA, which raises an exception before
// it looks for a viewer, and a vectored handler sees it on the writing
// thread, so the time is taken when the library reaches the line, at no
// cost of a monitor thread.
//
// Run it with "/standard" or "/form" from the folder that holds the DLLs.
// Prints one "name value" line per figure.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_stats.h"
#include "start_phases.h"
#include "wine/bench_machine.h"
#include "wine/performance_clock.h"

#ifndef DBG_PRINTEXCEPTION_C
#define DBG_PRINTEXCEPTION_C 0x40010006L
#endif

namespace {

const char kProgram[] = "bench_logo_time";
constexpr int kWarmUpRounds = 5;
constexpr int kRounds = 200;
constexpr int kBreakdownCycles = 40;

enum Kind { kLibrary, kFloor, kEmpty, kKindCount };
const char* const kKindNames[kKindCount] = {"library", "floor", "empty"};
const char* const kFileNames[kKindCount] = {"TarvexLogo.dll", "BenchLogoFloor.dll", "BenchEmpty.dll"};
const char* const kWindowClasses[kKindCount] = {"TarvexLogoWndClass", "BenchLogoFloorClass", nullptr};

struct Switch {
  const char* name;
  int mode;
  const char* bitmap;  // on a display of 8 bits per pixel or more
};
const Switch kSwitches[] = {{"standard", 0, "SVGA_LOGO_ZOLT"}, {"form", 1, "SVGA_LOGO_PELTRA"}};

// ---- the diagnostics lines, timed as they are written

constexpr int kMaxLines = 32;
constexpr size_t kLineSize = 512;
struct TimedLine {
  double atMicroseconds;
  char text[kLineSize];
};
TimedLine g_lines[kMaxLines];
volatile LONG g_lineCount = 0;

LONG CALLBACK TimeDebugLine(EXCEPTION_POINTERS* exception) {
  const EXCEPTION_RECORD* record = exception->ExceptionRecord;
  if (record->ExceptionCode != static_cast<DWORD>(DBG_PRINTEXCEPTION_C) || record->NumberParameters < 2) {
    return EXCEPTION_CONTINUE_SEARCH;
  }
  const double now = NowInMicroseconds();
  if (g_lineCount < kMaxLines) {
    TimedLine& line = g_lines[g_lineCount];
    line.atMicroseconds = now;
    const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
    size_t length = static_cast<size_t>(record->ExceptionInformation[0]);
    if (length >= kLineSize) length = kLineSize - 1;
    std::memcpy(line.text, text, length);
    line.text[length] = '\0';
    ++g_lineCount;
  }
  // The line goes on to a debugger or viewer as it would without us.
  return EXCEPTION_CONTINUE_SEARCH;
}

// The line as written, without its line end.
std::string LineText(int index) {
  std::string text = g_lines[index].text;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

// ---- windows

void PumpPendingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// Whether the kind's window is up and holds no part waiting to be painted.
bool ShownAndPainted(Kind kind) {
  HWND window = FindWindowA(kWindowClasses[kind], nullptr);
  return window != nullptr && IsWindowVisible(window) && !GetUpdateRect(window, nullptr, FALSE);
}

struct WindowPicture {
  RECT place;
  uint64_t hash;  // of the client area's pixels
  int colours;    // distinct colours seen, up to 3: a blank window has 1
};

bool Picture(Kind kind, WindowPicture* picture) {
  HWND window = FindWindowA(kWindowClasses[kind], nullptr);
  RECT client;
  if (window == nullptr || !GetWindowRect(window, &picture->place) || !GetClientRect(window, &client)) return false;
  const int width = client.right;
  const int height = client.bottom;
  if (width <= 0 || height <= 0) return false;
  HDC windowDc = GetDC(window);
  HDC memory = CreateCompatibleDC(windowDc);
  HBITMAP shot = CreateCompatibleBitmap(windowDc, width, height);
  bool copied = false;
  if (memory != nullptr && shot != nullptr) {
    HGDIOBJ previous = SelectObject(memory, shot);
    copied = BitBlt(memory, 0, 0, width, height, windowDc, 0, 0, SRCCOPY) != FALSE;
    SelectObject(memory, previous);
  }
  BITMAP format{};
  if (copied) copied = GetObjectA(shot, sizeof format, &format) != 0 && format.bmBitsPixel >= 8;
  std::vector<BYTE> bytes;
  if (copied) {
    bytes.resize(static_cast<size_t>(format.bmWidthBytes) * height);
    copied = GetBitmapBits(shot, static_cast<LONG>(bytes.size()), bytes.data()) == static_cast<LONG>(bytes.size());
  }
  if (copied) {
    // Pixels in the display's own format, row padding left out.
    const size_t pixelBytes = format.bmBitsPixel / 8;
    uint64_t hash = 14695981039346656037ull;
    uint32_t seen[3];
    int colours = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        uint32_t pixel = 0;
        std::memcpy(&pixel, &bytes[static_cast<size_t>(y) * format.bmWidthBytes + x * pixelBytes],
                    pixelBytes < 4 ? pixelBytes : 3);
        hash = (hash ^ pixel) * 1099511628211ull;
        bool known = false;
        for (int c = 0; c < colours; ++c) known = known || seen[c] == pixel;
        if (!known && colours < 3) seen[colours++] = pixel;
      }
    }
    picture->hash = hash;
    picture->colours = colours;
  }
  if (shot != nullptr) DeleteObject(shot);
  if (memory != nullptr) DeleteDC(memory);
  ReleaseDC(window, windowDc);
  return copied;
}

// ---- checks before timing

// One start of each kind, checked: the library settles the mode of the switch
// and loads the resource library, the floor and the library show the same
// picture at the same place, and unloading leaves nothing behind.
bool CheckStarts(const std::string& directory, const Switch& modeSwitch, bool scaled) {
  WindowPicture pictures[2];
  for (int kind = kLibrary; kind <= kFloor; ++kind) {
    HMODULE module = LoadLibraryA((directory + kFileNames[kind]).c_str());
    if (module == nullptr) {
      std::fprintf(stderr, "%s: cannot load %s (error %lu)\n", kProgram, kFileNames[kind], GetLastError());
      return false;
    }
    const bool painted = ShownAndPainted(static_cast<Kind>(kind));
    const bool pictured = Picture(static_cast<Kind>(kind), &pictures[kind]);
    int mode = modeSwitch.mode;
    if (kind == kLibrary) {
      typedef int(__cdecl * QueryFunction)();
      QueryFunction getMode = reinterpret_cast<QueryFunction>(
          reinterpret_cast<void (*)()>(GetProcAddress(module, MAKEINTRESOURCEA(1))));
      mode = getMode != nullptr ? getMode() : -1;
    }
    const bool resourcesLoaded = GetModuleHandleA("OxaRes0.dll") != nullptr;
    FreeLibrary(module);
    PumpPendingMessages();
    const bool unloaded = GetModuleHandleA(kFileNames[kind]) == nullptr && GetModuleHandleA("OxaRes0.dll") == nullptr &&
                          FindWindowA(kWindowClasses[kind], nullptr) == nullptr;
    if (!painted || !pictured || pictures[kind].colours < 2 || mode != modeSwitch.mode || !resourcesLoaded ||
        !unloaded) {
      std::fprintf(stderr,
                   "%s: unexpected start of %s: window %s, %s, mode %d (not %d), resource library %s, %s after "
                   "unloading\n",
                   kProgram, kFileNames[kind], painted ? "shown and painted" : "not shown or not painted",
                   pictured ? (pictures[kind].colours < 2 ? "blank" : "pictured") : "not captured", mode,
                   modeSwitch.mode, resourcesLoaded ? "loaded" : "not loaded", unloaded ? "nothing left" : "something left");
      return false;
    }
  }
  // Scaled for the DPI, the library's logo is larger than the floor's.
  if (!scaled && (!EqualRect(&pictures[kLibrary].place, &pictures[kFloor].place) ||
                  pictures[kLibrary].hash != pictures[kFloor].hash)) {
    std::fprintf(stderr, "%s: the floor does not show what the library shows (%s)\n", kProgram,
                 EqualRect(&pictures[kLibrary].place, &pictures[kFloor].place) ? "other pixels" : "another place");
    return false;
  }
  const RECT& place = pictures[kLibrary].place;
  std::printf("logo.window %ldx%ld at %ld,%ld\n", place.right - place.left, place.bottom - place.top, place.left,
              place.top);
  return true;
}

// ---- timing

struct LoadTime {
  double microseconds;
  bool painted;  // the window was up and painted when the load returned
};

LoadTime TimeLoad(const std::string& path, Kind kind, bool* ok) {
  const double start = NowInMicroseconds();
  HMODULE module = LoadLibraryA(path.c_str());
  const double elapsed = NowInMicroseconds() - start;
  LoadTime time{elapsed, kWindowClasses[kind] == nullptr || ShownAndPainted(kind)};
  if (module == nullptr) {
    *ok = false;
  } else {
    FreeLibrary(module);
  }
  // What the host's message loop would see between starts.
  PumpPendingMessages();
  return time;
}

void PrintSummary(const std::string& name, const char* unit, const std::vector<double>& samples) {
  const TimingSummary summary = Summarize(samples);
  std::printf("%s.median_%s %.3f\n", name.c_str(), unit, summary.median);
  std::printf("%s.q1_%s %.3f\n", name.c_str(), unit, summary.lowerQuartile);
  std::printf("%s.q3_%s %.3f\n", name.c_str(), unit, summary.upperQuartile);
  std::printf("%s.min_%s %.3f\n", name.c_str(), unit, summary.minimum);
  std::printf("%s.max_%s %.3f\n", name.c_str(), unit, summary.maximum);
}

bool MeasureTimeToLogo(const std::string& directory) {
  std::vector<double> samples[kKindCount];
  std::vector<double> ratios;
  std::vector<double> own;
  int unpainted[kKindCount] = {0, 0, 0};
  bool ok = true;
  for (int round = -kWarmUpRounds; round < kRounds; ++round) {
    double times[kKindCount];
    // Each round starts with another kind, so no kind always follows the same one.
    for (int step = 0; step < kKindCount; ++step) {
      const Kind kind = static_cast<Kind>((round + kWarmUpRounds + step) % kKindCount);
      const LoadTime time = TimeLoad(directory + kFileNames[kind], kind, &ok);
      times[kind] = time.microseconds;
      if (round >= 0 && !time.painted) ++unpainted[kind];
    }
    if (round < 0) continue;
    for (int kind = 0; kind < kKindCount; ++kind) samples[kind].push_back(times[kind]);
    ratios.push_back(times[kLibrary] / times[kFloor]);
    own.push_back(times[kLibrary] - times[kFloor]);
  }
  if (!ok) {
    std::fprintf(stderr, "%s: a load failed\n", kProgram);
    return false;
  }
  std::printf("logo.rounds %d\n", kRounds);
  for (int kind = 0; kind < kKindCount; ++kind) {
    PrintSummary(std::string("logo.") + kKindNames[kind], "us", samples[kind]);
    if (kWindowClasses[kind] != nullptr) std::printf("logo.%s.unpainted %d\n", kKindNames[kind], unpainted[kind]);
  }
  PrintSummary("logo.ratio", "x", ratios);
  PrintSummary("logo.own", "us", own);
  for (int kind = kLibrary; kind <= kFloor; ++kind) {
    if (unpainted[kind] != 0) {
      std::fprintf(stderr, "%s: %d loads of %s returned before the window was painted\n", kProgram, unpainted[kind],
                   kFileNames[kind]);
      return false;
    }
  }
  return true;
}

// What one diagnostics line costs the library, without a viewer: the same
// OutputDebugStringW calls in this process, in microseconds per line.
double MeasureLineCost() {
  constexpr int kSamples = 21;
  constexpr int kCallsPerSample = 50;
  std::vector<double> samples;
  for (int sample = 0; sample < kSamples; ++sample) {
    const double start = NowInMicroseconds();
    for (int call = 0; call < kCallsPerSample; ++call) {
      OutputDebugStringW(L"TarvexLogo: language 0 from HKCU\\Software\\Vornek\\Tarvex4\\Helmex\n");
    }
    samples.push_back((NowInMicroseconds() - start) / kCallsPerSample);
  }
  g_lineCount = 0;
  return Summarize(samples).median;
}

// The library's start cut into the phases its diagnostics lines end.
bool MeasurePhases(const std::string& directory) {
  const std::vector<StartPhase>& phases = LogoStartPhases();
  const size_t phaseCount = phases.size() + 1;  // and the return from the load
  std::vector<std::vector<double>> samples(phaseCount);
  std::vector<double> totals;
  std::vector<std::string> firstLines;
  const std::string path = directory + kFileNames[kLibrary];
  for (int cycle = -1; cycle < kBreakdownCycles; ++cycle) {
    g_lineCount = 0;
    const double start = NowInMicroseconds();
    HMODULE module = LoadLibraryA(path.c_str());
    const double end = NowInMicroseconds();
    const int count = g_lineCount;
    if (module == nullptr) return false;
    FreeLibrary(module);
    PumpPendingMessages();
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) lines.push_back(g_lines[i].text);
    if (!LinesMatchPhases(lines)) {
      std::fprintf(stderr, "%s: the start wrote other diagnostics lines than the phases expect:\n", kProgram);
      for (int i = 0; i < count; ++i) std::fprintf(stderr, "  %s\n", LineText(i).c_str());
      return false;
    }
    if (cycle < 0) {
      for (int i = 0; i < count; ++i) firstLines.push_back(LineText(i));
      continue;
    }
    double previous = start;
    for (int i = 0; i < count; ++i) {
      samples[i].push_back(g_lines[i].atMicroseconds - previous);
      previous = g_lines[i].atMicroseconds;
    }
    samples[phaseCount - 1].push_back(end - previous);
    totals.push_back(end - start);
  }
  std::printf("logo.breakdown.cycles %d\n", kBreakdownCycles);
  PrintSummary("logo.breakdown.total", "us", totals);
  std::printf("logo.phase.count %zu\n", phaseCount);
  for (size_t i = 0; i < phaseCount; ++i) {
    const std::string name = "logo.phase." + std::to_string(i);
    std::printf("%s.name %s\n", name.c_str(), i < phases.size() ? phases[i].name : "the return from the load");
    if (i < phases.size()) std::printf("%s.line %s\n", name.c_str(), firstLines[i].c_str() + std::strlen("TarvexLogo: "));
    PrintSummary(name, "us", samples[i]);
  }
  return true;
}

// The DPI the library reads: LOGPIXELSX of the screen.
int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi;
}

}  // namespace

int main() {
  const Switch* modeSwitch = nullptr;
  for (const Switch& candidate : kSwitches) {
    if (CommandLineHasSwitch(candidate.name)) modeSwitch = &candidate;
  }
  if (modeSwitch == nullptr || CommandLineHasSwitch("nologo")) {
    std::fprintf(stderr, "%s: run as \"%s.exe /standard\" or \"%s.exe /form\", so the mode needs no dialog\n",
                 kProgram, kProgram, kProgram);
    return 2;
  }
  const std::string directory = ExecutableDirectory();
  const char* const needed[] = {kFileNames[kLibrary], kFileNames[kFloor], kFileNames[kEmpty], "OxaRes0.dll"};
  if (!FilesBesideProgram(directory, needed, 4, kProgram)) return 1;
  // BENCH_LOGO_SCALED: a session of its own at some DPI, where only the
  // time to the logo is wanted, against a session at 96.
  const bool scaled = GetEnvironmentVariableA("BENCH_LOGO_SCALED", nullptr, 0) != 0;
  // BENCH_LOGO_NO_VARIANTS: the resource library beside the program carries
  // no logo drawn for a larger scale, so the library stretches its bitmap.
  const bool variants = GetEnvironmentVariableA("BENCH_LOGO_NO_VARIANTS", nullptr, 0) == 0;
  // The floor shows the bitmap the library picks for this switch: above 96
  // DPI, the one the resource library carries for the display's scale.
  const int dpi = ScreenDpi();
  const std::string bitmap = dpi > 96 && variants
                                 ? std::string(modeSwitch->bitmap) + "_" + std::to_string(dpi * 100 / 96)
                                 : std::string(modeSwitch->bitmap);
  SetEnvironmentVariableA("BENCH_LOGO_BITMAP", bitmap.c_str());
  // The system libraries both import stay loaded, as they are in a real host.
  for (const char* system : {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "msvcrt.dll"}) {
    if (LoadLibraryA(system) == nullptr) {
      std::fprintf(stderr, "%s: cannot load %s\n", kProgram, system);
      return 1;
    }
  }

  TypicalMachine machine;
  bool ok = machine.Prepare();
  if (!ok) std::fprintf(stderr, "%s: cannot write the machine's defaults\n", kProgram);
  std::printf("logo.switch /%s\n", modeSwitch->name);
  std::printf("logo.bitmap %s\n", bitmap.c_str());
  // The first start makes the user's settings; the ones timed are warm.
  if (ok) ok = CheckStarts(directory, *modeSwitch, scaled);
  if (ok) ok = MeasureTimeToLogo(directory);
  if (ok && !scaled) {
    std::printf("logo.line_us %.2f\n", MeasureLineCost());
    void* handler = AddVectoredExceptionHandler(1, TimeDebugLine);
    ok = handler != nullptr;
    if (ok) std::printf("logo.line_timed_us %.2f\n", MeasureLineCost());
    if (ok) ok = MeasurePhases(directory);
    if (handler != nullptr) RemoveVectoredExceptionHandler(handler);
  }
  if (!machine.Restore()) ok = false;
  std::fflush(stdout);
  return ok ? 0 : 1;
}
