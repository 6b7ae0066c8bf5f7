#pragma once
// The windows' built-in pictures live in Qt resources:
//   :/pictures/splash.png    start window background, 320 x 400
//   :/pictures/info.png      instructions page, 500 x 400
//   :/pictures/playfield.png play-field background, 640 x 420
//   :/pictures/icon32.png, icon24.png, icon16.png  program icon with transparency
//
// Linking tilebash_windows registers them before main() runs. Calling
// InitWindowsResources() as well is harmless (registration is idempotent) and
// guards against a linker that drops the unreferenced resource object.

void InitWindowsResources();
