// A fresh simulated machine and a start-up object of the test's own.
#pragma once

#include <gtest/gtest.h>
#include <winsim/control.h>

#include <string>
#include <vector>

#include "core/edition_and_mode.h"
#include "core/product_startup.h"
#include "logo/logo_window.h"

// Resets winsim before the other members are built and after the test, which
// fails on anything Windows would have punished meanwhile.
struct FreshMachine {
  FreshMachine() { winsim::Reset(); }
  ~FreshMachine() {
    EXPECT_EQ(winsim::Violations(), std::vector<std::string>{}) << "what Windows would punish";
    winsim::Reset();
  }
};

// The library's procedures, the code that goes with its module at the unload.
inline std::vector<const void*> LibraryProcedures() {
  return {reinterpret_cast<const void*>(LogoWindowProcedure), reinterpret_cast<const void*>(ModeDialogProcedure)};
}

inline winsim::ModuleImage OwnModuleImage() {
  winsim::ModuleImage image;
  image.versionRecord = true;
  return image;
}

// Readies `startup`, of module `own`, for the main mode's logo of the ZOLT
// edition, with the resource library of `language` holding `image` loaded
// beside the host; returns that library.
inline HMODULE PrepareMainModeLogo(LogoStartup& startup, HMODULE own, const winsim::ModuleImage& image,
                                   int language = 0) {
  winsim::AddModuleFile("C:\\Program Files\\Tarvex\\OxaRes" + std::to_string(language) + ".dll", image);
  startup.Resources().Attach(own, startup.ResourceBaseName());
  startup.Resources().Load(language);
  startup.Policy().SettleEdition(Edition::Zolt);
  startup.Policy().SettleMode(Mode::Main);
  return startup.Resources().Module();
}

// Attaches `startup` to `own` again, as a new load of the library does, with
// the resource library of `language` that PrepareMainModeLogo put there.
inline void AttachAgain(LogoStartup& startup, HMODULE own, int language = 0) {
  startup.Resources().Attach(own, startup.ResourceBaseName());
  if (startup.Resources().Module() == nullptr) startup.Resources().Load(language);
}

// The library's own module with its code mapped. Like the real library, it
// holds its version record and no other resource.
inline HMODULE MappedLibrary() {
  const HMODULE module = winsim::AddLoadedModule("C:\\Program Files\\Tarvex\\TarvexLogo.dll", OwnModuleImage());
  winsim::MapModuleCode(module, LibraryProcedures());
  return module;
}

class StartupTest : public ::testing::Test {
 protected:
  FreshMachine machine;
  ProductStartup startup;
  HMODULE ownModule = MappedLibrary();
};
