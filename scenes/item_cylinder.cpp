#include "scenes/scenes.h"

void ItemCylinderScene() {}

void ItemCylinderSceneOverlay() {}
