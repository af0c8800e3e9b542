// Nothing else may live in this file: the packaged programs replace this one
// definition with their own, which only works while it is alone in its
// archive member.
#include "core/settings/install_kind.h"

namespace velmora {

Install ThisInstall()
{
    return Install::BuildFolder;
}

} // namespace velmora
