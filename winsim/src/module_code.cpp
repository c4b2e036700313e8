// The code of modules, as far as the window manager calls into it: which
// procedures belong to which load of a module, the frames of them running on
// each thread, and what Windows would punish (a procedure called after its
// module was unmapped, a module unmapped under a running frame), reported for
// the tests to fail on.
#include "internal.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>

namespace winsim {
namespace {

struct ModuleCode {
  std::vector<const void*> procedures;
  int load = 0;  // how many times the code was mapped
  bool mapped = false;
};

// A procedure of a known module running on a thread.
struct Frame {
  long id;
  DWORD thread;
  detail::CodeStamp stamp;
  std::string what;
};

struct CodeState {
  std::map<HMODULE, ModuleCode> modules;
  std::vector<Frame> frames;
  long nextFrame = 1;
  std::vector<std::string> violations;
  std::function<void(HWND, UINT)> gate;
};

CodeState& State() {
  static CodeState state;
  return state;
}

void ResetCode() { State() = CodeState(); }
const detail::ResetHook resetCode(ResetCode);

std::string Hex(const void* value) {
  char text[24];
  std::snprintf(text, sizeof text, "%p", value);
  return text;
}

std::string Describe(const void* procedure, HWND window, UINT message) {
  char text[96];
  std::snprintf(text, sizeof text, " (window %p, message 0x%04X)", static_cast<void*>(window), message);
  return "procedure " + Hex(procedure) + text;
}

}  // namespace

void MapModuleCode(HMODULE module, std::vector<const void*> procedures) {
  const detail::ApiLock apiLock;
  ModuleCode& code = State().modules[module];
  code.procedures = std::move(procedures);
  ++code.load;
  code.mapped = true;
}

void UnmapModuleCode(HMODULE module) {
  const detail::ApiLock apiLock;
  CodeState& state = State();
  ModuleCode& code = state.modules[module];
  code.mapped = false;
  for (const Frame& frame : state.frames) {
    if (frame.stamp.module != module) continue;
    detail::ReportViolation(detail::ModuleBaseName(module) + " was unmapped while its " + frame.what +
                            " ran on thread " + std::to_string(frame.thread));
  }
}

void SetProcedureGate(std::function<void(HWND window, UINT message)> gate) {
  const detail::ApiLock apiLock;
  State().gate = std::move(gate);
}

std::vector<std::string> Violations() {
  const detail::ApiLock apiLock;
  return State().violations;
}

void ClearViolations() {
  const detail::ApiLock apiLock;
  State().violations.clear();
}

namespace detail {

CodeStamp StampOf(const void* procedure) {
  for (const auto& [module, code] : State().modules) {
    if (std::find(code.procedures.begin(), code.procedures.end(), procedure) != code.procedures.end()) {
      return CodeStamp{module, code.load};
    }
  }
  return CodeStamp{};
}

void ReportViolation(const std::string& what) {
  State().violations.push_back(what);
  // Also at once, for a test that hangs or dies after it.
  std::fprintf(stderr, "winsim: %s\n", what.c_str());
}

void RunProcedureGate(HWND window, UINT message) {
  const std::function<void(HWND, UINT)> gate = State().gate;
  if (!gate) return;
  const ApiUnlocked unlocked;
  gate(window, message);
}

long EnterProcedure(const void* procedure, CodeStamp stamp, HWND window, UINT message) {
  if (stamp.module == nullptr) return 0;
  const ModuleCode& code = State().modules[stamp.module];
  if (!code.mapped || code.load != stamp.load) {
    ReportViolation(OuterCall() + " called " + Describe(procedure, window, message) + " of " +
                    ModuleBaseName(stamp.module) + (code.mapped ? " from an earlier load" : " after its unload"));
    return -1;
  }
  CodeState& state = State();
  const long id = state.nextFrame++;
  state.frames.push_back(Frame{id, CurrentThreadId(), stamp, Describe(procedure, window, message)});
  return id;
}

void LeaveProcedure(long frame) {
  if (frame <= 0) return;
  auto& frames = State().frames;
  frames.erase(std::remove_if(frames.begin(), frames.end(), [frame](const Frame& f) { return f.id == frame; }),
               frames.end());
}

}  // namespace detail
}  // namespace winsim
