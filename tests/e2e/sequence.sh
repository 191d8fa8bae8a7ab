#!/usr/bin/env bash
# sequence.sh [SEED [STEPS]]: a seeded random run of the window's commands
# (tasks, Clear at random moments, Find, F3, Close at the end) against
# Korvexer.exe, checking after every step what must always hold. SEED: else
# one from the clock (printed either way; give it back to repeat the run);
# STEPS: else 200. Builds first, as the test command does.
here=$(cd "$(dirname "$0")" && pwd)
seed=${1:-$(date +%s)}
steps=${2:-200}
case "$seed$steps" in
*[!0-9]*)
    echo "usage: sequence.sh [SEED [STEPS]] (numbers)" >&2
    exit 2
    ;;
esac
# shellcheck source=../../scripts/setup.sh
. "$here/../../scripts/setup.sh"
korvexer_prepare
set +e
export KORVEXER_SEQUENCE_SEED=$seed KORVEXER_SEQUENCE_STEPS=$steps
echo "sequence seed $seed, $steps steps (repeat: $0 $seed $steps)"
# A step takes seconds; the bound only ends a run that hangs.
export KORVEXER_TEST_TIMEOUT=${KORVEXER_TEST_TIMEOUT:-$((steps * 60 + 300))}
bash "$here/../../scripts/wine-run.sh" "$flavour" "$dir/tests/e2e_sequence_tests.exe" \
    --gtest_filter=Sequence.SeededRandomCommands
status=$?
[ "$status" = 0 ] || echo "sequence seed $seed failed (repeat: $0 $seed $steps)"
exit "$status"
