// The compiled-in pictures (":/map.bmp", ":/logo.bmp", their "@2x" twins drawn at twice the
// size for high-density screens, ":/icons/...").
#pragma once

namespace velkaro {

// Registers them; a static library's resources are not registered by themselves. Idempotent.
void InitResources();

}  // namespace velkaro
