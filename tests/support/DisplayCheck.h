#pragma once

// A display to draw on: DISPLAY names one that answers (a server resetting
// as its last client left is waited for a while). Asked once per process.
bool HaveDisplay();
