#!/usr/bin/env bash
# A minute of the soak benchmark (bench/soak.sh) among the scenarios: numbered ASCII, kana and
# kanji frames at random gaps and sizes, the device unplugged and plugged back in, reception
# stopped and started from the dialog, the program's resources sampled. It fails only when a
# frame sent is not typed and logged exactly once, or the program crashed; the growth figures
# of so short a run tell nothing (SOAK_MINUTES=60 bash tests/e2e/bench/soak.sh measures them).
SOAK_MINUTES=${SOAK_MINUTES:-1} exec bash "$(dirname "${BASH_SOURCE[0]}")/bench/soak.sh"
