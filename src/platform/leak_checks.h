#pragma once

// Support for the leak checker of the sanitized build. A program that calls
// keepLoadedLibrariesForLeakChecks also links the leak suppressions for
// libraries' own blocks: those of the desktop bus library and of the Mesa
// graphics drivers, named by module, never a block of this project's code.

namespace bastion::platform {

// In a build with the leak checker: keeps every shared library loaded now
// mapped until the process ends, even after whoever loaded it unloads it.
// A graphics driver unloaded at shutdown leaves blocks that only its own
// static data pointed to; with the driver gone they look leaked and their
// allocation stacks name no module, so no suppression can single them out.
// Kept in place, they stay reachable. In other builds this does nothing.
void keepLoadedLibrariesForLeakChecks();

// In a build with the leak checker: runs the check now, instead of at exit,
// and ends the process with the checker's failure when a block leaked. A
// program calls it once everything it made is released (the window, the
// OpenGL context, the audio device and SDL), so that the checker stops a
// process with no other thread: none of the audio device or the graphics
// driver is left, and the libraries' own teardown during exit has not begun.
// In other builds this does nothing.
void checkLeaksNow();

}  // namespace bastion::platform
