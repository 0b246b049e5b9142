// The scene functions of the scene table: each draws one frame of its scene, between BeginScene
// and EndScene, from FrameDelta and the shared scene variables.
#pragma once

// Entries 0 to 11
void OpeningScene();         // 0
void KoneFadeScene();        // 1
void KoneTunnelScene();      // 2 and 24
void KonePairScene();        // 3
void KonePairSceneB();       // 4
void TaloTrioScene();        // 5
void TaloTrioFadeIn();       // 6
void TaloTrioFadeOut();      // 7
void AnimationScene();       // 8
void ContrastTunnelScene();  // 9
void TunnelInsetScene();     // 10
void TunnelFadeScene();      // 11

// Entries 12 to 25
void ItemCylinderScene();         // 12
void CylinderSceneFrame();        // 13
void ItemCylinderSceneOverlay();  // 14
void CylinderSceneTrail();        // 15 and 17
void KelmuPlaybackScene();        // 16
void KelmuSpikeScene();           // 18
void MinaSpikeScene();            // 19
void KonePlaybackScene();         // 20
void TaloScene();                 // 21
void CylinderSceneInsetHalf();    // 22
void CylinderSceneInsetFull();    // 23
void ClosingScene();              // 25
