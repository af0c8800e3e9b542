#pragma once

namespace velmora {

// Where the program is running: the file and line of the command or handler
// entered last. Only the fault handler reads it, so that a crash report can
// name the place. Two plain stores, cheap enough for every entry point.
inline const char* volatile gSourceFile = "";
inline volatile int gSourceLine = 0;

}  // namespace velmora

// Marks the current source position; put it at the entry of every command
// and handler (and before anything that may fault).
#define VELMORA_HERE()                     \
    do {                                   \
        ::velmora::gSourceFile = __FILE__; \
        ::velmora::gSourceLine = __LINE__; \
    } while (false)
