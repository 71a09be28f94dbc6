#pragma once
// What the page (index.html) asks of the game beyond its frames: the canvas sized in device pixels
// by the page, and the presented picture for the page's screenshot button.
class TVekDraw;

namespace webpage {

// Before the window is made: SDL must not multiply the window by the device pixel ratio, because the
// page gives the window the canvas's size in device pixels itself.
void PrepareVideo();
// Once the main window exists: the page's exports read `draw`, which must outlive the page's calls,
// and the page is told it may size the canvas (Module.pelloroReady).
void Attach(const TVekDraw& draw);

}  // namespace webpage
