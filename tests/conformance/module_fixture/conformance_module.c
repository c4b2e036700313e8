/* The module the file and module conformance tests load under Wine: one
   export by name. */
__declspec(dllexport) int __cdecl ConformanceAnswer(void) { return 42; }
