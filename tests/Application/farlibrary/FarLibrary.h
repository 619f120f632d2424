#pragma once

// Writes through null, in a library whose first segment starts at a high address.
__attribute__((visibility("default"), noinline, no_sanitize("address", "undefined"))) void CrashInAFarLibrary();
