#pragma once

#include <QIcon>

namespace velmora {

// The program's icon, drawn in code so that it needs no image plugin: the
// same picture as packaging/velmora.svg (a grey circuit on green).
QIcon AppIcon();

}  // namespace velmora
