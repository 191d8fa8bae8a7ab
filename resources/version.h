// The program's version, the one place it is written. Read by the resource
// compiler (the version resource), by C++ (the texts that name the version)
// and by the scripts (the release zip's name, the test server's agent list),
// so it stays plain preprocessor text: numbers here, every spelling derived.
#pragma once

#define KORVEXER_VERSION_MAJOR 1
#define KORVEXER_VERSION_MINOR 1
#define KORVEXER_VERSION_PATCH 0
#define KORVEXER_VERSION_BUILD 0

#define KORVEXER_STRINGIFY_(x) #x
#define KORVEXER_STRINGIFY(x) KORVEXER_STRINGIFY_(x)

// "1.1.0": the agent's name on the inventory server and the release zip's.
#define KORVEXER_VERSION_TEXT                                                                                \
    KORVEXER_STRINGIFY(KORVEXER_VERSION_MAJOR)                                                               \
    "." KORVEXER_STRINGIFY(KORVEXER_VERSION_MINOR) "." KORVEXER_STRINGIFY(KORVEXER_VERSION_PATCH)

// "1.1.0.0": the version resource's texts, as Explorer shows them.
#define KORVEXER_VERSION_FULL_TEXT KORVEXER_VERSION_TEXT "." KORVEXER_STRINGIFY(KORVEXER_VERSION_BUILD)

// "1.1.00": the reports have always written the patch level with two digits.
#if KORVEXER_VERSION_PATCH < 10
#define KORVEXER_VERSION_REPORT_PATCH "0" KORVEXER_STRINGIFY(KORVEXER_VERSION_PATCH)
#else
#define KORVEXER_VERSION_REPORT_PATCH KORVEXER_STRINGIFY(KORVEXER_VERSION_PATCH)
#endif
#define KORVEXER_VERSION_REPORT_TEXT                                                                         \
    KORVEXER_STRINGIFY(KORVEXER_VERSION_MAJOR)                                                               \
    "." KORVEXER_STRINGIFY(KORVEXER_VERSION_MINOR) "." KORVEXER_VERSION_REPORT_PATCH
