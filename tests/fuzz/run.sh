#!/usr/bin/env bash
# Builds every fuzz target natively with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each on its corpus.
#
#   tests/fuzz/run.sh SECONDS    run each target for SECONDS
#   tests/fuzz/run.sh --runs N   run each target for N inputs (the smoke test)
#   ... TARGET...                 only the targets named (after the limit)
#
# Builds and writes new corpus entries and findings under build/fuzz (or
# $KORVEXER_FUZZ_DIR), never into the source tree; the committed seeds in
# tests/fuzz/corpus/<target> are read only. Exits non-zero on any finding.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
out=${KORVEXER_FUZZ_DIR:-$repo/build/fuzz}

case "${1:-}" in
    --runs) limit=(-runs="${2:?--runs needs a count}"); shift 2 ;;
    ''|-*) echo "usage: $0 SECONDS | --runs N [TARGET...]" >&2; exit 2 ;;
    *) limit=(-max_total_time="$1"); shift ;;
esac
only=" $* "

# target name and its sources (the parsing cores build without Windows headers)
targets=(
    "history_index tests/fuzz/history_index_fuzz.cpp ie/history_index.cpp"
    "cookie_records tests/fuzz/cookie_records_fuzz.cpp ie/cookie_records.cpp"
    "version_block tests/fuzz/version_block_fuzz.cpp sysinfo/version_block.cpp"
    "value_format tests/fuzz/value_format_fuzz.cpp registry/value_text.cpp"
    "output_processing tests/fuzz/output_processing_fuzz.cpp runner/output_processing.cpp report/text_format.cpp"
    "text_search tests/fuzz/text_search_fuzz.cpp report/text_search.cpp"
    "work_file_load tests/fuzz/work_file_load_fuzz.cpp report/read_to_end.cpp report/report_trailer.cpp app/result_text.cpp"
    "inf_lines tests/fuzz/inf_lines_fuzz.cpp collect/inf_lines.cpp"
    "identify_block tests/fuzz/identify_block_fuzz.cpp disk/identify_block.cpp disk/drive_listing.cpp"
    "smart_attributes tests/fuzz/smart_attributes_fuzz.cpp disk/smart_attributes.cpp disk/identify_block.cpp"
    "process_blocks tests/fuzz/process_blocks_fuzz.cpp sysinfo/process_blocks.cpp sysinfo/window_table.cpp"
    "ocs_reply tests/fuzz/ocs_reply_fuzz.cpp inventory/http_message.cpp"
    "report_compare tests/fuzz/report_compare_fuzz.cpp compare/report_compare.cpp compare/report_sections.cpp compare/report_text.cpp compare/section_entries.cpp compare/volatile_fields.cpp"
    "redaction tests/fuzz/redaction_fuzz.cpp redact/redaction.cpp redact/address_patterns.cpp"
)

mkdir -p "$out"
failed=0
for entry in "${targets[@]}"; do
    read -r name sources <<<"$entry"
    if [ "$only" != "  " ] && [[ "$only" != *" $name "* ]]; then continue; fi
    bin="$out/$name"
    paths=()
    dirs=("$here" "$repo/report")
    for s in $sources; do
        paths+=("$repo/$s")
        dirs+=("$(dirname "$repo/$s")")
    done
    if [ ! -x "$bin" ] || [ -n "$(find "${dirs[@]}" -maxdepth 1 -newer "$bin" \( -name '*.h' -o -name '*.cpp' \) | head -1)" ]; then
        echo "building $name"
        clang++ -std=c++20 -g -O1 -Wall -Wextra -Werror -fsanitize=fuzzer,address,undefined \
            -fno-sanitize-recover=all -I"$repo" "${paths[@]}" -o "$bin"
    fi
    mkdir -p "$out/corpus/$name" "$out/artifacts/$name"
    log="$out/$name.log"
    status=0
    # -malloc_limit_mb: a single allocation that large is a finding too.
    "$bin" "${limit[@]}" -timeout=10 -malloc_limit_mb=128 -print_final_stats=1 \
        -artifact_prefix="$out/artifacts/$name/" "$out/corpus/$name" "$here/corpus/$name" >"$log" 2>&1 || status=$?
    runs=$(awk '/stat::number_of_executed_units/ { print $2 }' "$log")
    speed=$(awk '/stat::average_exec_per_sec/ { print $2 }' "$log")
    if [ "$status" -ne 0 ]; then
        echo "FAIL: $name (exit $status), log $log"
        grep -E '^(==[0-9]+==ERROR|SUMMARY|artifact_prefix|Test unit written)' "$log" || tail -20 "$log"
        failed=1
    else
        echo "ok: $name, ${runs:-?} inputs, ${speed:-?} per second"
    fi
done
exit $failed
