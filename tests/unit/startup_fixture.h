// A fresh simulated machine and a start-up object of the test's own.
#pragma once

#include <gtest/gtest.h>
#include <winsim/control.h>

#include "core/product_startup.h"

// Resets winsim before the other members are built and after the test.
struct FreshMachine {
  FreshMachine() { winsim::Reset(); }
  ~FreshMachine() { winsim::Reset(); }
};

inline winsim::ModuleImage OwnModuleImage() {
  winsim::ModuleImage image;
  image.versionRecord = true;
  return image;
}

// Readies `startup`, of module `own`, for the main mode's logo of the ZOLT
// edition, and returns the resource library holding `image` it comes from.
inline HMODULE PrepareMainModeLogo(LogoStartup& startup, HMODULE own, const winsim::ModuleImage& image) {
  startup.module = own;
  startup.mode = 0;
  startup.edition = 15;
  return winsim::AddLoadedModule("C:\\Program Files\\Tarvex\\OxaRes0.dll", image);
}

class StartupTest : public ::testing::Test {
 protected:
  FreshMachine machine;
  ProductStartup startup;
  // Like the real library, it holds its version record and no other resource.
  HMODULE ownModule = winsim::AddLoadedModule("C:\\Program Files\\Tarvex\\TarvexLogo.dll", OwnModuleImage());
};
