// Spans that the flat affine loop does not take: lit meshes with depth, Gouraud colours and
// perspective-correct texture coordinates, keyed or not. The AVX2 version shades eight pixels
// a step in the same double and 8-bit arithmetic, so both versions give the same pixels bit
// for bit.
#pragma once

#include "platform/d3d/pixel_pipeline.h"

void ShadeGeneralSpan(const SpanInput& span, const DrawSettings& settings, const RenderTarget& target);
// The portable version, for processors without AVX2 and for tests comparing both.
void ShadeGeneralSpanPortable(const SpanInput& span, const DrawSettings& settings, const RenderTarget& target);
