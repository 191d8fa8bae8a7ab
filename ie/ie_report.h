// The Internet Explorer report: profiles, history, cookies, typed URLs and trusted sites.
#pragma once

class TaskContext;

void writeInternetExplorerReport(TaskContext& context);
