#pragma once

// Program entry: the application object, the capture backend, and the three windows created in order
// (main window, message window, camera test window).

int TaveloMain(int argc, char** argv);
