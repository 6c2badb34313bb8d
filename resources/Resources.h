// The compiled-in resources (the window icon) and how to reach them.
#pragma once

constexpr const char* kMainIconPath = ":/quorrel/icon.png";

// Registers the resources of this static library with Qt's resource system;
// call once before the first use (more calls do no harm).
void LoadQuorrelResources();
