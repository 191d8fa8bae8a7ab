// The App Paths task, run in place on the window's thread.
#pragma once

class MainDialog;

void runAppPathsTask(MainDialog& dialog);
