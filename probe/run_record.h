// What one run of the probe saw, kept for the verdict of the report
// ("problems") and for the summary a person reads. Texts are UTF-8.
#pragma once

#include <string>
#include <vector>

#include "modal_watcher.h"

struct RunRecord {
  std::string library;                  // the start-up library the probe loaded
  std::string host;                     // the probe's own executable: the host
  std::string resourceLibraryFolder;    // where the library looks for OxaRes<N>.dll
  bool libraryOutsideHostFolder = false;
  std::vector<std::string> arguments;   // the probe's arguments, its own first
  bool loaded = false;
  unsigned long loadError = 0;
  bool settled = false;  // the exports answered
  int mode = -1;
  int edition = -1;
  std::vector<std::string> productModules;  // the library and the resource library, not the system's
  bool logoWindow = false;
  std::string capturePath;
  std::vector<ModalRecord> modals;
  bool diagnosticsSeen = false;          // false when another debug-output viewer had them
  std::vector<std::string> diagnostics;  // as written, "TarvexLogo: " first
  int libraryBits = 0;  // when the library could not be loaded as a bad image: 32, 64, or 0 for no Windows image
};
