#pragma once

// Keeps every shared library loaded so far mapped until the process ends.
//
// The software GL driver is loaded with the first graphics context and
// unloaded with the last one (at exit, or earlier when a process closes its
// only window) while its globals still point at blocks it allocated (Mesa's
// map of which cores share a cache, on AMD processors): a leak checker that
// runs after that (LeakSanitizer, valgrind) would count them as lost. Call it
// once the window (or any graphics context) exists.
void keepLoadedLibrariesMapped();
