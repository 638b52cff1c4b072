#pragma once
// Keeps a framed top-level window within its screen's work area: smaller where its frame
// would reach past it, then moved inside. Called after the window manager has framed the
// window (its move event), since only then is the frame known; a 640 x 480 window on a
// 640 x 480 screen loses its status bar below the screen otherwise. A maximised or full-screen
// window is left to the window manager.
class QWidget;

void FitFrameToScreen(QWidget& window);
