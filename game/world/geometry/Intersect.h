#pragma once

// Ray tests of the world queries and the physics. A ray is origin plus t
// times direction; with a unit direction t is a distance in pixels.

// The smaller root, even when negative (origin inside or circle behind);
// -1 for a miss, a tangent or a radius that is not positive.
float IntersectRayCircle(float ox, float oy, float dx, float dy, float cx, float cy, float radius);

// One-sided: only a ray that meets the line nx*x + ny*y + d = 0 against its
// normal hits. -1 for a miss, and the outputs are then left alone.
float IntersectRayLine(float ox, float oy, float dx, float dy, float nx, float ny, float d, float* hitX, float* hitY);
