#include "shell/scene_table.h"

#include "scenes/scenes.h"

#define SCENE(function, end) {function, end, #function}

// Entries 15 and 17 share one function, as do entries 2 and 24: the scene runs on with the state
// it kept. The end of entry 25 is never passed; the demo stops at 0x1430.
const SceneTableEntry SceneTable[SceneTableSize] = {
    SCENE(OpeningScene, 0x0020),
    SCENE(KoneFadeScene, 0x0100),
    SCENE(KoneTunnelScene, 0x0200),
    SCENE(KonePairScene, 0x0220),
    SCENE(KonePairSceneB, 0x0300),
    SCENE(TaloTrioScene, 0x0320),
    SCENE(TaloTrioFadeIn, 0x0400),
    SCENE(TaloTrioFadeOut, 0x0500),
    SCENE(AnimationScene, 0x0520),
    SCENE(ContrastTunnelScene, 0x0600),
    SCENE(TunnelInsetScene, 0x0620),
    SCENE(TunnelFadeScene, 0x0700),
    SCENE(ItemCylinderScene, 0x0800),
    SCENE(CylinderSceneFrame, 0x0900),
    SCENE(ItemCylinderSceneOverlay, 0x0A00),
    SCENE(CylinderSceneTrail, 0x0C00),
    SCENE(KelmuPlaybackScene, 0x0C20),
    SCENE(CylinderSceneTrail, 0x0D00),
    SCENE(KelmuSpikeScene, 0x0E00),
    SCENE(MinaSpikeScene, 0x0F00),
    SCENE(KonePlaybackScene, 0x1000),
    SCENE(TaloScene, 0x1100),
    SCENE(CylinderSceneInsetHalf, 0x1200),
    SCENE(CylinderSceneInsetFull, 0x1300),
    SCENE(KoneTunnelScene, 0x1400),
    SCENE(ClosingScene, 12287.0f),
};
