#include "app/gui_testing.h"
