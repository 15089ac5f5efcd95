// CEmuListener: where the emulator waits for the product's next connection
// (a listening TCP socket or a waiting pipe instance).
#pragma once

#include "EmuChannel.h"

class CEmuListener {
public:
    virtual ~CEmuListener() {}
    // The next connection, or NULL once the stop event is set.
    virtual CEmuChannel* Accept() = 0;
};
