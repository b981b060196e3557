#pragma once

#include "platform/NativeString.h"

namespace platform {

// True when a configured serial port name refers to a node that exists right now.
// POSIX: the serial library enumerates neither pseudo-terminals nor the links socat
// makes, so an existing path (a bare name is looked up under /dev) counts as present.
// Windows: the serial library lists every COM port itself, so this answers false and
// adds nothing to its list.
// A name that is not allowed here answers false.
bool serialPathExists(const NativeString &portName);

// Whether a port name may be handed to the serial library at all. A NUL would cut the
// name short there (and open another device); no port name holds control characters,
// and on Windows none holds the characters a device path cannot contain.
bool serialPortNameAllowed(const NativeString &portName);

// Whether a read error from the serial library means the line is gone. On POSIX a
// hang-up (pty closed, adapter pulled) is reported as a read error, over and over,
// instead of a resource error.
bool serialReadErrorMeansHangUp();

} // namespace platform
