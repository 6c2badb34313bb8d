// The largest single allocation made while a watch is open, as the address
// checker sees it: for tests that a damaged file claiming a huge size does
// not make the code ask for that much memory. Builds without the address
// checker cannot watch; available() is then false.
#pragma once

#include <cstddef>

class LargestAllocation {
public:
    static bool available();

    LargestAllocation();   // starts from zero
    ~LargestAllocation();  // stops watching

    // The largest size asked for and granted since the watch began.
    size_t bytes() const;
};
