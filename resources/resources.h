// The compiled-in pictures (":/map.bmp", ":/logo.bmp", ":/icons/...").
#pragma once

namespace velkaro {

// Registers them; a static library's resources are not registered by themselves. Idempotent.
void InitResources();

}  // namespace velkaro
