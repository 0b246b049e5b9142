#include "scenes/scenes.h"

void CylinderSceneFrame() {}

void CylinderSceneTrail() {}

void CylinderSceneInsetHalf() {}

void CylinderSceneInsetFull() {}
