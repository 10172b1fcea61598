#!/usr/bin/env bash
# Builds the project again with AddressSanitizer, UndefinedBehaviorSanitizer
# and LeakSanitizer, runs the unit and window tests there, and one whole
# end-to-end drill of the real program; then the journal's tests of the
# ordinary build under Valgrind, which sees the reads inside Qt's own code
# that the sanitizers miss.
#   run_sanitized.sh <source-folder> <build-folder> [<ordinary-build-folder>]
set -euo pipefail
src=$1
out=$2
plain=${3:-}
# Configured every time: a folder left by an older tree may lack targets.
cmake -S "$src" -B "$out" -DZM_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=(drill_tests controls_tests ui_tests audio_tests journal_tests journal_child e2e_tests zoltava-mnozenia)
if ! cmake --build "$out" -j "$(nproc)" --target "${targets[@]}" >"$out.log" 2>&1; then
    tail -n 60 "$out.log"
    exit 1
fi
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$src/tests/sanitizers/lsan.supp:print_suppressions=0"
export QT_QPA_PLATFORM=offscreen
status=0
for t in drill_tests controls_tests ui_tests audio_tests journal_tests; do
    echo "== $t"
    # The journal's dates are checked in the time zone its tests name.
    TZ=CET-1 "$out/tests/$t" --gtest_brief=1 || status=1
done
echo "== one drill of the real program"
unset QT_QPA_PLATFORM
"$src/tests/e2e/run_e2e.sh" "$out/tests/e2e_tests" --gtest_brief=1 \
    --gtest_filter='EndToEnd.WindowLooksRightAndTenRightAnswersGetGradeSix' || status=1
if [[ -n $plain ]]; then
    echo "== journal_tests under Valgrind"
    # Any invalid read or write fails the stage; leaks are the sanitizers'.
    QT_QPA_PLATFORM=offscreen TZ=CET-1 valgrind -q --error-exitcode=1 --leak-check=no \
        --suppressions="$src/tests/sanitizers/valgrind.supp" \
        "$plain/tests/journal_tests" --gtest_brief=1 || status=1
fi
exit $status
