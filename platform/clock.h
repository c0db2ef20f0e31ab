// The wall clock.
#pragma once

#include "platform/files.h"

// The current local calendar time of the system.
LocalTime LocalNow();
