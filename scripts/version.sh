#!/usr/bin/env bash
# version.sh [full]: the program's version as resources/version.h holds it,
# "1.1.0" (or "1.1.0.0" with `full`), for scripts that name it.
set -euo pipefail
header=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/resources/version.h
awk -v full="${1:-}" '
    $1 == "#define" && $2 ~ /^KORVEXER_VERSION_(MAJOR|MINOR|PATCH|BUILD)$/ { part[$2] = $3 }
    END {
        for (p in part) if (part[p] !~ /^[0-9]+$/) exit 1
        text = part["KORVEXER_VERSION_MAJOR"] "." part["KORVEXER_VERSION_MINOR"] "." part["KORVEXER_VERSION_PATCH"]
        if (full == "full") text = text "." part["KORVEXER_VERSION_BUILD"]
        if (length(part) != 4) exit 1
        print text
    }' "$header" || { echo "version.sh: no version in $header" >&2; exit 1; }
