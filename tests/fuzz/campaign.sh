#!/usr/bin/env bash
# A long fuzzing campaign over every libFuzzer target of the project; see
# README.md in this folder.
#
#   tests/fuzz/campaign.sh HOURS     build, fuzz for at most HOURS, minimise, print the table
#   tests/fuzz/campaign.sh --table   print the table of the campaign in FUZZ_OUT (running or ended)
#   tests/fuzz/campaign.sh --merge   minimise what the campaign in FUZZ_OUT has found into the tree
#
# Environment (defaults in brackets):
#   RUNS       run budget of each fast target [10000000]
#   PLAY_RUNS  run budget of the slow targets (load-and-play, the surface) [RUNS / 10]
#   TARGETS    the targets to build and run [all]
#   JOBS       fork workers per target [1]
#   PARALLEL   targets fuzzed at once [number of cores / JOBS]
#   NICE       niceness of every fuzzing process [15]
#   FUZZ_OUT   logs, working corpora and findings, outside the tree [$TMPDIR/zsp-fuzz-campaign]
#   FUZZ_BUILD where the targets are built [<repo>/build/fuzz-campaign]
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
out=${FUZZ_OUT:-${TMPDIR:-/tmp}/zsp-fuzz-campaign}
build=${FUZZ_BUILD:-$repo/build/fuzz-campaign}
runs=${RUNS:-10000000}
playRuns=${PLAY_RUNS:-$((runs / 10))}
jobs=${JOBS:-1}
cores=$(nproc)
parallel=${PARALLEL:-$((cores / jobs > 0 ? cores / jobs : 1))}
niceness=${NICE:-15}
allTargets="WaveFile EmbeddedSound SamplePath InstrumentLoad InstrumentPlay ProcessorState LayoutText PlayerLayout"
targets=${TARGETS:-$allTargets}
clangxx=$(command -v clang++ || command -v clang++-16 || command -v clang++-15 || command -v clang++-14 || true)

# Longest input each target is given: its formats' records fit well inside.
maxLen() {
    case $1 in
        SamplePath) echo 1024 ;;
        ProcessorState | LayoutText | PlayerLayout) echo 8192 ;;
        *) echo 4096 ;;
    esac
}

# Targets that keep one instrument or processor for the process: the memory it
# holds changes from input to input, which libFuzzer's per-input leak check
# would take for a leak and replay every input for. Leaks are still reported
# when each fork job ends.
persistentTarget() {
    case $1 in
        InstrumentLoad | InstrumentPlay | ProcessorState | LayoutText | PlayerLayout) return 0 ;;
        *) return 1 ;;
    esac
}

# The slow targets render blocks or build and paint the surface; each reads
# what a fast target reads first (InstrumentLoad, LayoutText).
budgetOf() {
    case $1 in
        InstrumentPlay | PlayerLayout) echo "$playRuns" ;;
        *) echo "$runs" ;;
    esac
}

binaryOf() {
    find "$build" -type f -perm -u+x -name "fuzz$1" 2>/dev/null | head -n 1
}

# True when one of the named targets is to run.
wanted() {
    local name
    for name in "$@"; do
        case " $targets " in *" $name "*) return 0 ;; esac
    done
    return 1
}

# Builds the projects of the targets to run.
buildTargets() {
    [ -n "$clangxx" ] || { echo "campaign: clang++ not found" >&2; exit 1; }
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DLAUNCHER="$(command -v ccache)")
    mkdir -p "$build"
    # The sound-file and instrument-file readers.
    if wanted WaveFile EmbeddedSound SamplePath InstrumentLoad InstrumentPlay; then
        cmake -DSOURCE="$repo/tests/files/fuzz" -DBINARY="$build/files" -DCOMPILER="$clangxx" -DGENERATOR=Ninja \
            "${launcher[@]}" -P "$here/BuildFuzzProject.cmake"
    fi
    # The fuzzers that build on JUCE, from the projects in tests/<part>/fuzz (the
    # state restore, the player layout's text and surface); one that does not
    # build is left out of the campaign.
    local entry part name target variable
    for entry in processor:ProcessorState:ZSP_WRITE_STATE_SEEDS editor:LayoutText:ZSP_WRITE_LAYOUT_SEEDS \
        editor:PlayerLayout:ZSP_WRITE_LAYOUT_SEEDS; do
        IFS=: read -r part name variable <<< "$entry"
        target=fuzz$name
        wanted "$name" && [ -f "$repo/tests/$part/fuzz/CMakeLists.txt" ] || continue
        cmake -DSOURCE="$repo/tests/$part/fuzz" -DBINARY="$build/$part" -DCOMPILER="$clangxx" -DGENERATOR=Ninja \
            "${launcher[@]}" -DTARGET="$target" -DSEED_VARIABLE="$variable" -P "$here/BuildFuzzProject.cmake" \
            || echo "campaign: $target did not build; left out" >&2
    done
}

# Seed folders beside the tree's corpus: what a target's build writes.
extraSeeds() {
    local seeds
    case $1 in
        ProcessorState | LayoutText | PlayerLayout) seeds=$(dirname "$(binaryOf "$1")")/../../seeds ;;
        *) return 0 ;;
    esac
    [ -d "$seeds" ] && echo "$seeds"
    return 0
}

fuzzTarget() {
    local target=$1 seconds=$2 binary
    binary=$(binaryOf "$target")
    local corpus=$out/corpus/$target findings=$out/findings/$target tree=$here/corpus/$target
    mkdir -p "$corpus" "$findings" "$tree" "$out/logs" "$out/home"
    budgetOf "$target" > "$out/logs/$target.budget"
    local options=()
    [ -f "$here/dict/$target.dict" ] && options+=(-dict="$here/dict/$target.dict")
    persistentTarget "$target" && options+=(-detect_leaks=0)
    local seeds=("$tree")
    local extra
    extra=$(extraSeeds "$target")
    [ -n "$extra" ] && seeds+=("$extra")
    echo running > "$out/logs/$target.state"
    # The first folder takes the new inputs; the findings stay outside the tree.
    (cd "$out/home" && HOME="$out/home" nice -n "$niceness" "$binary" -fork="$jobs" -ignore_crashes=1 \
        -ignore_ooms=1 -ignore_timeouts=1 -runs="$(budgetOf "$target")" -max_total_time="$seconds" \
        -max_len="$(maxLen "$target")" -rss_limit_mb=2048 -timeout=30 -artifact_prefix="$findings/" \
        "${options[@]}" -print_final_stats=1 "$corpus" "${seeds[@]}") > "$out/logs/$target.log" 2>&1 || true
    echo ended > "$out/logs/$target.state"
}

# Minimises the tree's corpus and the campaign's into the tree.
mergeTarget() {
    local target=$1 binary
    binary=$(binaryOf "$target")
    [ -n "$binary" ] && [ -d "$out/corpus/$target" ] || return 0
    local merged=$out/merged/$target tree=$here/corpus/$target
    rm -rf "$merged"
    mkdir -p "$merged" "$tree" "$out/home"
    (cd "$out/home" && HOME="$out/home" nice -n "$niceness" "$binary" -merge=1 -max_len="$(maxLen "$target")" \
        -rss_limit_mb=2048 -timeout=30 -artifact_prefix="$out/findings/$target/" \
        "$merged" "$tree" "$out/corpus/$target") > "$out/logs/$target.merge.log" 2>&1 || return 0
    find "$tree" -type f -delete
    cp "$merged"/* "$tree"/ 2>/dev/null || true
}

lastNumber() {  # lastNumber FILE PATTERN: the number after the last PATTERN in FILE
    grep -ao "$2 *[0-9]*" "$1" 2>/dev/null | tail -n 1 | grep -o '[0-9]*$' || true
}

printTable() {
    printf '%-16s %-8s %12s %12s %8s %8s %10s %9s %8s\n' target state runs budget reached cov features corpus findings
    local target log runs budget cov ft files kb findings state reached
    for target in $allTargets; do
        log=$out/logs/$target.log
        if [ ! -f "$log" ]; then
            [ -n "$(binaryOf "$target")" ] && state=not-run || state=not-built
            printf '%-16s %-8s\n' "$target" "$state"
            continue
        fi
        state=$(cat "$out/logs/$target.state" 2>/dev/null || echo '?')
        runs=$(grep -ao '^#[0-9]*' "$log" | tail -n 1 | tr -d '#' || true)
        # The final statistics count the runs of a run that was not forked.
        [ -n "$runs" ] || runs=$(lastNumber "$log" 'stat::number_of_executed_units:')
        runs=${runs:-0}
        budget=$(cat "$out/logs/$target.budget" 2>/dev/null || echo 0)
        cov=$(lastNumber "$log" 'cov:')
        ft=$(lastNumber "$log" 'ft:')
        [ "$runs" -ge "$budget" ] && reached=yes || reached=no
        files=$(find "$here/corpus/$target" -type f 2>/dev/null | wc -l)
        kb=$(du -sk "$here/corpus/$target" 2>/dev/null | cut -f1)
        findings=$(find "$out/findings/$target" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'oom-*' \
            -o -name 'timeout-*' -o -name 'slow-unit-*' \) 2>/dev/null | wc -l)
        printf '%-16s %-8s %12s %12s %8s %8s %10s %9s %8s\n' "$target" "$state" "$runs" "$budget" "$reached" \
            "${cov:--}" "${ft:--}" "${files}f/${kb:-0}K" "$findings"
    done
    echo "logs: $out/logs   findings: $out/findings   tree corpora: $here/corpus"
}

# The whole script is read before any of it runs, so that editing it (or
# checking out another version) while a campaign runs cannot derail that
# campaign.
main() {
    case ${1:-} in
        --table) printTable; exit 0 ;;
        --merge)
            for target in $targets; do mergeTarget "$target"; done
            printTable
            exit 0 ;;
        '' | -*) sed -n '2,19p' "$0" | sed 's/^# \{0,1\}//'; exit 2 ;;
    esac

    hours=$1
    deadline=$(( $(date +%s) + $(awk -v h="$hours" 'BEGIN { printf "%d", h * 3600 }') ))
    buildTargets
    mkdir -p "$out/logs"

    queue=()
    for target in $targets; do
        if [ -n "$(binaryOf "$target")" ]; then queue+=("$target"); else echo "campaign: fuzz$target is not built; skipped"; fi
    done

    # Each target starts with an equal share of the time left for the targets not
    # yet started, so a target that reaches its budget early leaves its time to
    # the others.
    running=0
    left=${#queue[@]}
    for target in "${queue[@]}"; do
        while [ "$running" -ge "$parallel" ]; do
            wait -n || true
            running=$((running - 1))
        done
        remaining=$((deadline - $(date +%s)))
        [ "$remaining" -gt 60 ] || { echo "campaign: no time left for $target"; break; }
        slots=$((left < parallel ? left : parallel))
        seconds=$((remaining * slots / left))
        echo "campaign: $target for at most ${seconds}s or $(budgetOf "$target") runs"
        fuzzTarget "$target" "$seconds" &
        running=$((running + 1))
        left=$((left - 1))
    done
    wait

    for target in "${queue[@]}"; do mergeTarget "$target"; done
    printTable
}

main "$@"
exit
