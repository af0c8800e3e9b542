// Linked into the copies of the programs that the package installs, in place
// of velmora_core's build-folder answer.
#include "core/settings/install_kind.h"

namespace velmora {

Install ThisInstall()
{
    return Install::Package;
}

} // namespace velmora
