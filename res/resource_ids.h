// The ids of the program's resources, shared by the resource script and the
// code that loads them. Plain #defines, because the resource compiler reads
// this file too; the code uses the constants below them.
#ifndef TOVEL_RES_RESOURCE_IDS_H
#define TOVEL_RES_RESOURCE_IDS_H

#define TOVEL_ICON_PROGRAM 1
// Tray images: neutral (before the wheel mode is first applied), whole-screen
// scrolling, line-wise scrolling.
#define TOVEL_ICON_TRAY_NEUTRAL 100
#define TOVEL_ICON_TRAY_SCREEN 101
#define TOVEL_ICON_TRAY_LINES 102

#ifndef RC_INVOKED
namespace tovel {
inline constexpr int kProgramIconResource = TOVEL_ICON_PROGRAM;
inline constexpr int kTrayImageResources[] = {TOVEL_ICON_TRAY_NEUTRAL, TOVEL_ICON_TRAY_SCREEN,
                                              TOVEL_ICON_TRAY_LINES};
}  // namespace tovel
#endif

#endif
