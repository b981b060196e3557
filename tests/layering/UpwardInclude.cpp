// Built only by the layering test: a device file reaching up into the application layer.
// It must not compile, because the devices library does not see the app library's headers.
#include "app/EventLogModel.h"
