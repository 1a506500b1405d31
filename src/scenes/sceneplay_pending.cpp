// The play scene's set-up and state handlers that the scene's table and contract need before they
// are built: each holds no behaviour until the part of the scene that owns it replaces it here.
// The other declared operations have no definition at all, so a call to one fails to link.
#include "scenes/collision.h"
#include "scenes/sceneplay.h"

