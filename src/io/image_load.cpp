#include "io/image_load.h"

// Placeholder until the image layer lands.
namespace velmora {

LoadedImage LoadImg(const QString&) { return {}; }

}  // namespace velmora
