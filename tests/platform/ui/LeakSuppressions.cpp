// The status bar's text goes through Pango, which keeps the font patterns it
// matched in process-wide caches that nobody frees by design; in sanitizer
// builds they show up as leaks at exit. Fontconfig's rules parser, run once
// when the font setup loads its rules, also drops a few hundred bytes of its
// element stack. Only those allocation sites inside
// fontconfig are silenced; anything the view code fails to release is still
// reported.
extern "C" __attribute__((used)) const char* __lsan_default_suppressions() {
  return "leak:FcDefaultSubstitute\n"
         "leak:FcFontRenderPrepare\n"
         "leak:FcFontSetList\n"
         "leak:FcFontSetMatch\n"
         "leak:XML_ParseBuffer\n";
}

// Fontconfig is built without frame pointers: only the thorough stack walk
// reaches the function names above.
extern "C" __attribute__((used)) const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }
