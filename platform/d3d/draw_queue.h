// The draws waiting to be rasterized. A draw is queued with its settings (live blocks copied);
// the queued draws are set up and rasterized together by the worker pool, band of rows by band of
// rows, each band taking every draw in order while its pixels stay in the cache: two hand-offs to
// the workers for the lot instead of one a draw. Where the pool has workers and they are idle, a
// draw starts them on what is queued and returns, so that they rasterize while the demo's thread
// goes on (lighting and clipping the next object); the next lot waits for that one, so draws
// still reach each pixel in order. Everything that reads or writes the frame, the depth buffer or
// a texture flushes the queue first, waiting for the workers, so pictures are those of drawing at
// once.
#pragma once

#include "platform/d3d/rasterizer.h"

// Queues a draw of the batch. Draws into another target rasterize the queue first.
void QueueDraw(const TriangleBatch& batch, const DrawSettings& settings, const RenderTarget& target);
// Rasterizes the queued draws and waits until every draw is in the frame.
void FlushDraws();
