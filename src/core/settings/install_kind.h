#pragma once

namespace velmora {

// Which copy of the program is running; fixed when the program is linked,
// never guessed from where it runs.
enum class Install {
    BuildFolder, // run from its build folder, or from a folder it was copied to
    Package,     // the copy the Debian package installs
};

// velmora_core answers BuildFolder. The packaged programs are linked with
// packaged_install.cpp as one of their own objects: its definition comes
// first, so the linker never takes this library's one out of the archive.
Install ThisInstall();

} // namespace velmora
