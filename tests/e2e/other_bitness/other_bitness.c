/* A library of the other build's bitness: the probe can read it, never load
 * it. Built with the other mingw-w64 compiler (tests/e2e/CMakeLists.txt). */
int __stdcall OtherBitnessEntry(void* module, unsigned long reason, void* reserved) {
  (void)module;
  (void)reason;
  (void)reserved;
  return 1;
}
