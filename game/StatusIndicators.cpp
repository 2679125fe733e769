#include "game/StatusIndicators.h"

// Not built yet: the indicators bind to their actors and show them; until then they are plain items.
