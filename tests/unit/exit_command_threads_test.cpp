// The exit command set from two threads at once while a third reads the
// copies they were handed: no copy is ever written after it was handed out,
// and the unload starts one command a thread set, whole. Built also with
// ThreadSanitizer (the native-tsan preset), whose run reports any race.
#include <gtest/gtest.h>
#include <winsim/control.h>

#include <atomic>
#include <string>
#include <thread>

#include "core/exports.h"
#include "core/library_entry.h"
#include "startup_fixture.h"

namespace {

constexpr int kCallsEach = 400;

// Call `call` of thread `setter`: a program of its own and a tail of its own
// letter, of a length that changes from call to call, so that a copy mixed
// from two calls shows.
std::string Command(int setter, int call) {
  return std::string(setter == 0 ? "C:\\Tools\\alpha.exe " : "C:\\Tools\\beta.exe ") +
         std::string(100 + (call * 37) % 400, setter == 0 ? 'a' : 'b');
}

// True when `text` is a command one of the setters set, whole.
bool IsWhole(const std::string& text) {
  for (int setter = 0; setter < 2; ++setter) {
    const std::string program = Command(setter, 0).substr(0, Command(setter, 0).find(' ') + 1);
    if (text.compare(0, program.size(), program) != 0) continue;
    const std::string tail = text.substr(program.size());
    return tail.size() >= 100 && tail.size() < 500 &&
           tail.find_first_not_of(setter == 0 ? 'a' : 'b') == std::string::npos;
  }
  return false;
}

TEST(ExitCommandThreads, TwoSettersAndAReaderMeetNoHalfWrittenCommand) {
  FreshMachine machine;
  ProductStartup startup;
  winsim::AddFile("C:\\Tools\\alpha.exe");
  winsim::AddFile("C:\\Tools\\beta.exe");
  // The copies the setters were handed, for the reader.
  std::atomic<const char*> handed[2] = {{nullptr}, {nullptr}};
  std::atomic<int> settersDone{0};
  std::atomic<int> brokenCopies{0};
  std::thread reader([&] {
    while (settersDone.load() < 2) {
      for (std::atomic<const char*>& copy : handed) {
        const char* text = copy.load();
        if (text != nullptr && !IsWhole(text)) ++brokenCopies;
      }
    }
  });
  std::thread setters[2];
  for (int setter = 0; setter < 2; ++setter) {
    setters[setter] = std::thread([&, setter] {
      for (int call = 0; call < kCallsEach; ++call) {
        handed[setter].store(LogoSetExitCommand(Command(setter, call).c_str(), SW_HIDE));
      }
      ++settersDone;
    });
  }
  for (std::thread& setter : setters) setter.join();
  reader.join();
  EXPECT_EQ(brokenCopies.load(), 0);
  // Every copy handed out still reads as it was set.
  for (int setter = 0; setter < 2; ++setter) EXPECT_EQ(handed[setter].load(), Command(setter, kCallsEach - 1));

  RunLibraryEntry(startup, winsim::AddLoadedModule("C:\\Tools\\TarvexLogo.dll"), DLL_PROCESS_DETACH);
  ASSERT_EQ(winsim::ProcessesStarted().size(), 1u);
  const std::string started = winsim::ProcessesStarted()[0].commandLine;
  EXPECT_TRUE(started == Command(0, kCallsEach - 1) || started == Command(1, kCallsEach - 1)) << started;
  EXPECT_EQ(winsim::LiveHandles(winsim::HandleKind::GlobalMemory), 0);
}

}  // namespace
