#pragma once

#include <filesystem>
#include <memory>

#include "render/renderer.h"

namespace bastion::testing_support {

// A Renderer on the generated demo tree (or on `retail`), made after the
// program's GL context is up.
std::unique_ptr<Renderer> makeRenderer();
std::unique_ptr<Renderer> makeRenderer(const std::filesystem::path& retail);

// Prepares a primitive draw outside `draw`: the renderer's default binding,
// `frame` as its frame matrix, depth test on or off.
void beginPrimitives(Renderer& renderer, const vant::Matrix& frame, bool depthTest);

}  // namespace bastion::testing_support
