// The skin-version message in the native build (fuzzing): there is no user
// interface, and the caller still learns of the version from ReadPackage's result.
#include "skin/data/skin_reader.h"

namespace quorvane {

void ShowSkinVersionMessage(const std::string&) {}

}  // namespace quorvane
