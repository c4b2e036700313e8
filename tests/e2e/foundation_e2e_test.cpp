// The real library under Wine, loaded by the probe as the host does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "probe_session.h"
#include "tarvex_logo.h"

namespace {

BOOL CALLBACK CollectResourceType(HMODULE, LPSTR type, LONG_PTR found) {
  reinterpret_cast<std::vector<ULONG_PTR>*>(found)->push_back(reinterpret_cast<ULONG_PTR>(type));
  return TRUE;
}

class FoundationE2eTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProductRegistry(); }
  void TearDown() override { ResetProductRegistry(); }
};

TEST_F(FoundationE2eTest, ProbeReadsWhatTheLibrarySettledThroughTheExports) {
  InstallFolder install("exports", {0});
  ProbeResult run = install.Run("/nologo");
  ASSERT_FALSE(run.timedOut) << run.err;
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  const JsonValue& report = run.report;
  ASSERT_TRUE(report["loaded"].boolean) << run.out;
  EXPECT_EQ(report["version"].number, TARVEX_LOGO_VERSION_NUMBER);
  EXPECT_EQ(report["mode"].number, 0);
  EXPECT_EQ(report["edition"].number, 15);
  EXPECT_EQ(report["productKeyName"].text, "Tarvex4");
  EXPECT_EQ(report["resourceBaseName"].text, "OxaRes");
  EXPECT_TRUE(report["modeDialog"].IsNull());
  EXPECT_TRUE(report["logoWindow"].IsNull());
  EXPECT_TRUE(report["unloaded"].boolean);
}

// What a host compiles against is what the DLL says of itself: its version
// record in numbers and in text.
TEST_F(FoundationE2eTest, TheHeadersVersionIsTheLibrarys) {
  const std::string dll = BuildBinFolder() + "\\TarvexLogo.dll";
  std::vector<char> record(GetFileVersionInfoSizeA(dll.c_str(), nullptr) + 1, '\0');
  ASSERT_TRUE(GetFileVersionInfoA(dll.c_str(), 0, static_cast<DWORD>(record.size() - 1), record.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT size = 0;
  ASSERT_TRUE(VerQueryValueA(record.data(), "\\", reinterpret_cast<void**>(&fixed), &size));
  ASSERT_GE(size, sizeof *fixed);
  const std::string numbers = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                              std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                              std::to_string(HIWORD(fixed->dwFileVersionLS));
  EXPECT_EQ(numbers, TARVEX_LOGO_VERSION_STRING);
  char* text = nullptr;
  ASSERT_TRUE(VerQueryValueA(record.data(), "\\StringFileInfo\\040904E4\\FileVersion",
                             reinterpret_cast<void**>(&text), &size));
  EXPECT_EQ(std::string(text), TARVEX_LOGO_VERSION_STRING ".0");
  const std::string digits = std::to_string(TARVEX_LOGO_VERSION_NUMBER);
  EXPECT_EQ(numbers, digits.substr(0, 1) + "." + digits.substr(1, 1) + "." + digits.substr(2, 1));
}

TEST_F(FoundationE2eTest, ExitCommandRunsWhenTheLibraryUnloads) {
  InstallFolder install("exit-command", {0});
  const std::string marker = install.File("exit-marker.txt");
  ProbeResult run = install.Run("/nologo --exit-command \"cmd.exe /c echo unloaded> " + marker + "\"");
  ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
  EXPECT_EQ(run.report["exitCommand"].text, "cmd.exe /c echo unloaded> " + marker);
  EXPECT_TRUE(WaitForFile(marker, 20000)) << "the exit command did not run";
}

TEST_F(FoundationE2eTest, SwitchesOnTheHostCommandLineReachTheLibrary) {
  InstallFolder install("switches", {0});
  // The host's own line carries the switch: "-form" settles the forms mode.
  ProbeResult forms = install.Run("-nologo /FORM");
  ASSERT_EQ(forms.exitCode, 0u) << forms.out << forms.err;
  EXPECT_EQ(forms.report["mode"].number, 1);
  EXPECT_EQ(forms.report["productKeyName"].text, "Brindo4");
  // Inside quotes with nothing around it, the switch is not given.
  ProbeResult quoted = install.Run("/nologo \"/form\"");
  ASSERT_EQ(quoted.exitCode, 0u) << quoted.out << quoted.err;
  EXPECT_EQ(quoted.report["mode"].number, 0);
}

TEST_F(FoundationE2eTest, TheDllImportsOnlyFromTheSystem) {
  HMODULE library = LoadLibraryExA((BuildBinFolder() + "\\TarvexLogo.dll").c_str(), nullptr,
                                   DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_NE(library, nullptr);
  auto* base = reinterpret_cast<const BYTE*>(library);
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  // The headers of this build's bitness: PE32 for i386, PE32+ for x86-64.
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  EXPECT_EQ(nt->FileHeader.Machine, sizeof(void*) == 8 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386);
  EXPECT_EQ(nt->OptionalHeader.Magic, sizeof(void*) == 8 ? IMAGE_NT_OPTIONAL_HDR64_MAGIC : IMAGE_NT_OPTIONAL_HDR32_MAGIC);
  const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  ASSERT_NE(imports.VirtualAddress, 0u);
  const char* allowed[] = {"KERNEL32.dll", "USER32.dll", "GDI32.dll", "ADVAPI32.dll", "msvcrt.dll"};
  for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name;
       ++entry) {
    const char* name = reinterpret_cast<const char*>(base + entry->Name);
    bool known = false;
    for (const char* system : allowed) known = known || lstrcmpiA(name, system) == 0;
    EXPECT_TRUE(known) << "imports from " << name;
  }
  // Exports: four by ordinal only, three by name; the ordinals between unused.
  const IMAGE_DATA_DIRECTORY& exportDir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + exportDir.VirtualAddress);
  EXPECT_EQ(exports->NumberOfNames, 3u);
  EXPECT_NE(GetProcAddress(library, "BeforeInitHelmex"), nullptr);
  EXPECT_NE(GetProcAddress(library, "GetVersionNumber"), nullptr);
  EXPECT_EQ(GetProcAddress(library, "LogoSetStatusText"), GetProcAddress(library, MAKEINTRESOURCEA(14)));
  EXPECT_EQ(GetProcAddress(library, "LogoGetMode"), nullptr);
  for (int ordinal : {1, 2, 6, 8, 12, 13, 14}) {
    EXPECT_NE(GetProcAddress(library, MAKEINTRESOURCEA(ordinal)), nullptr) << "ordinal " << ordinal;
  }
  for (int ordinal : {3, 4, 5, 7, 9, 10, 11}) {
    EXPECT_EQ(GetProcAddress(library, MAKEINTRESOURCEA(ordinal)), nullptr) << "ordinal " << ordinal;
  }
  // Its only resource is its version record.
  std::vector<ULONG_PTR> types;
  EnumResourceTypesA(library, CollectResourceType, reinterpret_cast<LONG_PTR>(&types));
  EXPECT_EQ(types, std::vector<ULONG_PTR>{reinterpret_cast<ULONG_PTR>(RT_VERSION)});
  FreeLibrary(library);
}

}  // namespace
