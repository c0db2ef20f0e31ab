// What one turn of a step that works one unit per turn (a download, a day) did:
// more units are left, or the step is done and the driver moves on.
#pragma once

enum class Turn { kMore, kDone };
