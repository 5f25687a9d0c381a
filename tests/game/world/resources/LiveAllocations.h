#pragma once

// Blocks from the global operator new not yet deleted, program-wide.
long LiveAllocations();
