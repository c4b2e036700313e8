/* The tests' resource module: resources from the generated script, and two
   exports, one by name and one by ordinal only (fixture_module.def). */
int __cdecl FixtureAnswer(void) { return 42; }
int __cdecl FixtureOrdinalOnly(void) { return 9; }
