// Linked into every test program. Pango keeps the font patterns it matched in
// caches of its own for the life of the process, in a form the leak checker
// cannot follow, so they show up as leaks at exit in sanitizer builds. They
// are bounded (measuring the same fonts a thousand times leaves no more
// behind than measuring them once) and are freed by nobody by design.
// Fontconfig's parser also drops a few hundred bytes of its element stack
// when it rejects a malformed rules file (a failure path some tests take on
// purpose). Only those allocation sites inside fontconfig are silenced;
// anything our own code fails to release is still reported.
//
// Programs with a web view add the engine's and the toolkit's own
// process-lifetime allocations: fontconfig's substituted patterns that
// Pango caches for GTK's themes and text layouts, the accessibility
// bridge GTK opens with the display, and JavaScriptCore's global objects,
// which live in the script engine's garbage-collected heap where the leak
// checker cannot follow references, with what the engine allocates per page
// through the script engine's allocator and hangs off them (these carry no
// function names, so the script engine's library is named). Our own web
// view objects are checked like everything else, and a test watches the
// engine widget being finalized.
extern "C" __attribute__((used)) const char* __lsan_default_suppressions() {
  return "leak:FcDefaultSubstitute\n"
         "leak:FcFontRenderPrepare\n"
         "leak:FcFontSetList\n"
         "leak:FcFontSetMatch\n"
         "leak:XML_ParseBuffer\n"
         "leak:FcConfigSubstituteWithPat\n"
         "leak:gtk_text_layout_get_line_display\n"
         "leak:atk_bridge_adaptor_init\n"
         "leak:JSC::JSGlobalObject::init\n"
         "leak:libjavascriptcoregtk-4.1.so\n";
}

// Fontconfig is built without frame pointers, so the quick stack walk stops
// inside it and never reaches the function names above: walk the stacks of
// allocations the thorough way (a little slower, in sanitizer builds only).
extern "C" __attribute__((used)) const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }
