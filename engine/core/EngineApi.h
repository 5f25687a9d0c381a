#pragma once

// Symbols other deliverables bind to; everything else stays hidden.
#define ENGINE_API __attribute__((visibility("default")))
