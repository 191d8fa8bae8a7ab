#include "controller_state.h"

void ControllerState::resetTaskState() {
    noReportYet = 1;
    suppressOutput = 0;
    policiesMode = 0;
    animateStatus = 0;
    resultReady = 0;
    resultHeader.clear();
    taskHeader.clear();
    reportPath.clear();
    reportLength = 0;
    searchCopyLength = 0;
    searchCopyForgotten = 1;
    ieRunning = 0;
    servicesRunning = 0;
    collectorRunning = 0;
    // Last: from here on the window accepts the next command.
    life.end(life.current());
}

void ControllerState::resetWindowState() {
    collectRequested = 0;
    for (auto& hive : hiveRequested)
        hive = 0;
    appPathsRequested = 0;
    if (HANDLE thread = workerThread.exchange(nullptr)) CloseHandle(thread);
    searchBarShown = 0;
    searchRequested = 0;
    searchRunPending = 0;
    closing = 0;
    layoutPending = 0;
    relayoutOnTick = 0;
}
