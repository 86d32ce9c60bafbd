#!/usr/bin/env bash
# make bench: how fast Courierfix is, each figure measured side by side with its baseline, as the
# median of RUNS runs with their minimum and maximum, and how much memory one run takes.
#
# The targets are on the work itself, timed in process by courierfix_bench.exe: the repair of all
# saved accounts the whole way the program does it, against the handset's floor, one of each in
# turn. Any program doing this job reads config and writes its run log, so the floor reads the
# same config bytes and writes the same log lines, with plain Win32 calls. Starting any process
# under Wine costs more than that work, so the whole-process timings are given for reference
# only. The handset of 200 accounts is measured in its own loops, never between the rows of the
# one of 20, and no loop starts before the prefix's Wine processes are idle, so that none pays for
# work that Wine still does for the one before it. The two handsets' in-process loops take turns,
# a third of the runs each time, so that a slower spell of the machine falls on both sizes and not
# on the growth from one to the other. The memory rows give the most heap one run took, against
# the heap a handset gives a process.
#
# Every step waits for what it needs: one persistent wineserver for the whole run (with-wine.sh)
# and the handset's desktop, held from start to end as a handset's shell holds it, so that no
# process meets a desktop that Wine closes a second after the last window program ended. Every
# run checks itself: a program that fails, a log that is not exactly the expected one, a document
# refused, a config not read whole or a timing that is missing stops the benchmark with its
# reason. Writes build/benchmark/results.md (build-i686/benchmark for ARCH=i686) and prints it;
# exits non-zero when a target is missed.
set -Eeuo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# Wine's own errors go to each program's standard error, so that a program that Wine could not
# start or run says why.
export WINEDEBUG=${WINEDEBUG:-fixme-all}
source "$top/scripts/wine-env.sh"
runs=${RUNS:-51}

if [[ "${BENCH_INSIDE:-}" != 1 ]]; then
  rm -rf "$top/$BUILD/benchmark"
  mkdir -p "$top/$BUILD/benchmark"
  echo "Setting up a bench handset in $BUILD/benchmark/handset ..."
  # Everything runs on one core, as on a handset. Spread over several, each call of a program to
  # the wineserver waits for the other core to wake: on a virtual machine that made the same work
  # take 4 ms in one run and 40 ms in the next, however quiet the machine.
  core=$(taskset -cp $$ | sed 's/.*: //; s/,.*//; s/-.*//')
  # And without address-space randomization: Debian's Wine 8 has no preloader to hold its fixed
  # addresses from the start, and its 64-bit loader lies at 0x7d000000, where this kernel starts
  # the loader's heap anywhere in the GiB above it. About once in a few thousand starts the heap
  # covered 0x7ffe0000, and the program ended with 1 before it ran ("failed to map the shared user
  # data"). Without randomization the heap begins right after the loader.
  BENCH_CORES=$(nproc) BENCH_INSIDE=1 exec setarch "$(uname -m)" -R taskset -c "$core" xvfb-run -a \
    -s "-screen 0 240x320x24" "$top/scripts/with-wine.sh" "$top/$BUILD/benchmark/handset" "$0"
fi

bin="$top/$BUILD/bin"
work="$top/$BUILD/benchmark"
times="$work/times"
mkdir -p "$times"
fail() {
  echo "bench: $*" >&2
  exit 1
}
# windows_path FILE: FILE's path as the handset's programs name it.
windows_path() {
  local out status=0
  out=$(wine_run 30 winepath -w "$1" 2>"$work/winepath.err") || status=$?
  ((status == 0)) || fail "winepath $1 exited with $status, saying: $(said "$work/winepath.err")"
  echo "$out"
}
# said FILE: what a program wrote to FILE, its standard error, to follow the reason it failed.
said() { tr -d '\r' <"$1" | head -c 2000; }
# Whatever fails without a word of its own stops the benchmark all the same, saying what failed.
trap 'fail "line $LINENO: $BASH_COMMAND failed"' ERR
handset() {
  local out status=0
  out=$(wine_run 60 "$bin/handset.exe" "$@" 2>"$work/handset.err") || status=$?
  ((status == 0)) || fail "handset.exe $* exited with $status, saying: $(said "$work/handset.err")"
  echo "${out//$'\r'/}"
}
load_before=$(cut -d' ' -f1-3 /proc/loadavg)

# The handset's desktop, held until this script ends and closes the holder's input. Wine closes a
# desktop one second after the last program with a window on it ended, and a program that starts
# meanwhile may find it gone: the main dialog's creation then failed at random.
mkfifo "$work/desktop.in"
"$WINE" "$bin/courierfix_bench.exe" desktop <"$work/desktop.in" >"$work/desktop.out" \
  2>"$work/desktop.err" &
desktop_holder=$!
exec {desktop_input}>"$work/desktop.in"
for ((waited = 0; ; waited++)); do
  grep -q ready "$work/desktop.out" 2>/dev/null && break
  kill -0 "$desktop_holder" 2>/dev/null ||
    fail "the desktop holder ended before the desktop was there, saying: $(said "$work/desktop.err")"
  ((waited < 600)) || fail "the desktop was not there after 60 s"
  sleep 0.1
done

# prefix_ticks: the CPU time, in clock ticks, that the prefix's Wine processes (its wineserver and
# every program under it) have used so far.
prefix_ticks() {
  local environ stat comm total=0
  local -a fields
  # grep cannot read the environment of every process, nor of one that ended meanwhile.
  for environ in $(grep -lzxF "WINEPREFIX=$WINEPREFIX" /proc/[0-9]*/environ 2>/dev/null || true); do
    read -r stat 2>/dev/null <"${environ%environ}stat" || continue
    comm=${stat#*(}
    comm=${comm%%)*}
    [[ "$comm" == *.exe || "$comm" == wineserver* ]] || continue
    # After the command: the state is the first field, user and system time the 12th and 13th.
    read -ra fields <<<"${stat##*) }"
    total=$((total + fields[11] + fields[12]))
  done
  echo "$total"
}
# wait_quiet: returns once the prefix's Wine processes have used at most one clock tick (1% of a
# core) in a whole second; a wineserver at rest still wakes now and then.
wait_quiet() {
  local deadline=$((SECONDS + 120)) before after
  before=$(prefix_ticks)
  for (( ; ; )); do
    ((SECONDS < deadline)) || fail "the prefix's Wine processes were still busy after 120 s"
    sleep 1
    after=$(prefix_ticks)
    ((after - before > 1)) || return 0
    before=$after
  done
}

# stats NAME: "median minimum maximum" of the timings in $times/NAME, once it is sure that every
# one of the runs gave one.
stats() {
  local count
  count=$(grep -c '^[0-9][0-9]*$' "$times/$1" || true)
  ((count == runs)) || fail "$1: expected $runs timings, got $count"
  sort -n "$times/$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)], v[1], v[NR] }'
}
# elapsed PROGRAM ARGS...: microseconds from the shell's start of the program to its end. A
# program that fails stops the benchmark: its timing would not be of the work it was meant to do.
elapsed() {
  local start=$EPOCHREALTIME status=0
  "$WINE" "$@" >/dev/null 2>"$work/program.err" || status=$?
  local end=$EPOCHREALTIME
  ((status == 0)) || fail "$* exited with $status, saying: $(said "$work/program.err")"
  echo $((${end/./} - ${start/./}))
}
# check_log FILE EXPECTED: FILE, a run log, holds exactly the bytes of EXPECTED.
check_log() {
  cmp -s "$1" "$2" ||
    fail "$1 is not the expected log ($2): $(cmp "$1" "$2" 2>&1 | head -1 || true)"
}

# The reader's limits, which a config that the program takes stays within.
declare -A limit
while read -r what value; do
  limit[$what]=$value
done < <(wine_run 60 "$bin/courierfix_bench.exe" limits | tr -d '\r')
[[ "${limit[file]:-}" =~ ^[0-9]+$ && "${limit[lines]:-}" =~ ^[0-9]+$ ]] ||
  fail "courierfix_bench limits gave no limits"

parms=(INSERVER OUTSERVER AUTHSECRET SMTPALTAUTHNAME SMTPALTPASSWORD SMTPALTDOMAIN)
# make_handset NAME ACCOUNTS BYTES [STORES]: a handset of its own (HANDSET_ROOT) with ACCOUNTS
# mail accounts that lost their settings, or the stores and sections of the handset STORES made
# before, courierfix.exe and the bench's programs installed in a folder of its own with a config of
# exactly BYTES bytes saving them all (a preamble of notes makes up the size), and, for the
# handset's floor, the documents that repair them, one per line. NAME.log holds the lines the run
# log must hold, NAME.expected the log itself as the program writes it.
declare -A root
make_handset() {
  local name=$1 accounts=$2 bytes=$3 stores=${4:-}
  local folder="$WINEPREFIX/drive_c/Program Files/$name"
  local sections="$work/$name.sections" documents="$work/$name.documents"
  mkdir -p "$folder"
  cp "$bin/courierfix.exe" "$bin/courierfix_bench.exe" "$bin/handset_floor.exe" \
    "$bin/empty_program.exe" "$folder/"
  if [[ -n "$stores" ]]; then
    root[$name]=${root[$stores]}
    cp "$work/$stores.sections" "$sections"
    cp "$work/$stores.documents" "$documents"
  else
    root[$name]="Software\\Bench\\$name"
    export HANDSET_ROOT=${root[$name]}
    handset clear >/dev/null
    : >"$sections"
    : >"$documents"
    for ((account = 1; account <= accounts; account++)); do
      local guid lines=""
      guid=$(handset add-store "Account $account" INSERVER=lost)
      for parm in "${parms[@]}"; do
        lines+=$(printf '<parm name="%s" value="%s%d"/>' "$parm" "${parm,,}-" "$account")$'\n'
      done
      printf '[Account %d]\r\n%s' "$account" "${lines//$'\n'/$'\r\n'}" >>"$sections"
      printf '<wap-provisioningdoc><characteristic type="EMAIL2"><characteristic type="%s">%s' \
        "$guid" "${lines//$'\n'/}" >>"$documents"
      printf '</characteristic></characteristic></wap-provisioningdoc>\n' >>"$documents"
    done
    unset HANDSET_ROOT
  fi
  # Notes of 100 bytes each, and a last one of 100 to 199 that makes up the size exactly.
  local preamble=$((bytes - 3 - $(stat -c %s "$sections")))
  local notes=$((preamble / 100 - 1))
  local rest=$((preamble - notes * 100))
  {
    printf '\xEF\xBB\xBF'
    for ((note = 0; note < notes; note++)); do
      printf '; note %06d %084d\r\n' "$note" 0
    done
    printf '; %s\r\n' "$(printf '%*s' $((rest - 4)) '' | tr ' ' n)"
    cat "$sections"
  } >"$folder/config"
  # Within the reader's limits; each section's body is a few hundred bytes.
  local size count longest
  size=$(stat -c %s "$folder/config")
  count=$(tr -cd '\n' <"$folder/config" | wc -c)
  longest=$(awk '{ if (length($0) > most) most = length($0) } END { print most }' "$folder/config")
  ((size == bytes && size <= limit[file] && count <= limit[lines] && longest <= limit[line])) ||
    fail "$name's config has $size bytes, $count lines and lines up to $longest bytes, not" \
      "$bytes bytes within the reader's limits of ${limit[file]} bytes, ${limit[lines]} lines" \
      "and ${limit[line]} bytes a line"
  {
    printf 'Command line: [--autorepairall]\r\nAuto repair All\r\n'
    for ((account = 1; account <= accounts; account++)); do
      printf 'repairing [Account %d]: OK.\r\n' "$account"
    done
    printf 'Done\r\n'
  } >"$work/$name.log"
  { printf '\xEF\xBB\xBF' && cat "$work/$name.log"; } >"$work/$name.expected"
}

echo "Making three handsets: 20 accounts with a 0.1 MB config, 200 with a 1 MB one, and 200 with"
echo "the largest config the program reads (${limit[file]} bytes) ..."
make_handset Twenty 20 100000
make_handset TwoHundred 200 1000000
make_handset Largest 200 "${limit[file]}" TwoHundred

# work_times NAME ACCOUNTS COUNT: COUNT runs of the program's work and the floor's, in process on
# the handset NAME, added to $times/NAME.program and $times/NAME.floor. Started from the program
# folder, as the shell starts courierfix.exe.
work_times() {
  local folder="$WINEPREFIX/drive_c/Program Files/$1" output="$work/$1.work" status=0
  local documents log
  documents=$(windows_path "$work/$1.documents")
  log=$(windows_path "$work/$1.log")
  wait_quiet
  (cd "$folder" && HANDSET_ROOT=${root[$1]} wine_run 900 courierfix_bench.exe repair \
    "$documents" "$log" "$2" "$3" >"$output" 2>"$work/$1.err") || status=$?
  ((status == 0)) || fail "courierfix_bench repair on $1 exited with $status: $(said "$work/$1.err")"
  tr -d '\r' <"$output" | awk '$1 == "program" { print $2 }' >>"$times/$1.program"
  tr -d '\r' <"$output" | awk '$1 == "floor" { print $2 }' >>"$times/$1.floor"
}
echo "Timing the repair of all saved accounts in process, against the handset's floor ..."
turns=3
for ((turn = 0; turn < turns; turn++)); do
  count=$((runs * (turn + 1) / turns - runs * turn / turns))
  work_times Twenty 20 "$count"
  work_times TwoHundred 200 "$count"
done

# memory NAME ACCOUNTS: the most heap one run of the program takes on the handset NAME, in a
# process of its own, to $work/NAME.memory ("peak BYTES", "budget BYTES", "config BYTES").
memory() {
  local folder="$WINEPREFIX/drive_c/Program Files/$1" log status=0
  log=$(windows_path "$work/$1.log")
  (cd "$folder" && HANDSET_ROOT=${root[$1]} wine_run 120 courierfix_bench.exe memory "$log" "$2" \
    >"$work/$1.memory.out" 2>"$work/$1.err") || status=$?
  ((status == 0)) || fail "courierfix_bench memory on $1 exited with $status: $(said "$work/$1.err")"
  tr -d '\r' <"$work/$1.memory.out" >"$work/$1.memory"
  grep -q '^peak [0-9]' "$work/$1.memory" || fail "courierfix_bench memory on $1 gave no peak"
}
echo "Measuring the heap one run takes ..."
memory Twenty 20
memory TwoHundred 200
memory Largest 200
# The largest config is the largest the program reads: one byte more and it reads none of it.
largest="$WINEPREFIX/drive_c/Program Files/Largest"
cp "$largest/config" "$work/Largest.config"
printf ';' >>"$largest/config"
status=0
(cd "$largest" && HANDSET_ROOT=${root[Largest]} wine_run 120 courierfix.exe --autorepairall \
  2>"$work/Largest.err") || status=$?
printf '\xEF\xBB\xBFCommand line: [--autorepairall]\r\nAuto repair All\r\nDone\r\n' \
  >"$work/Unread.expected"
((status == 1)) || fail "a config one byte over the largest gave exit status $status, not 1"
check_log "$largest/log.txt" "$work/Unread.expected"
cp "$work/Largest.config" "$largest/config"

# process_times NAME ACCOUNTS: courierfix.exe --autorepairall, the empty program and
# handset_floor.exe as processes on the handset NAME, one of each in turn, to $times/NAME.process,
# NAME.empty and NAME.floor-process; the program's log and the floor's are checked after each run.
process_times() {
  local folder="$WINEPREFIX/drive_c/Program Files/$1" documents log
  documents=$(windows_path "$work/$1.documents")
  log=$(windows_path "$work/$1.log")
  cd "$folder"
  export HANDSET_ROOT=${root[$1]}
  # One run of each first, to warm the caches; not counted.
  elapsed courierfix.exe --autorepairall >/dev/null
  elapsed empty_program.exe >/dev/null
  elapsed handset_floor.exe "$documents" "$log" >/dev/null
  wait_quiet
  for ((run = 0; run < runs; run++)); do
    elapsed courierfix.exe --autorepairall >>"$times/$1.process"
    check_log "$folder/log.txt" "$work/$1.expected"
    elapsed empty_program.exe >>"$times/$1.empty"
    elapsed handset_floor.exe "$documents" "$log" >>"$times/$1.floor-process"
    check_log "$folder/floor-log.txt" "$work/$1.expected"
  done
  unset HANDSET_ROOT
  cd "$top"
}
echo "Timing the same as whole processes, for reference ..."
process_times Twenty 20
process_times TwoHundred 200

echo "Timing saves and loads in configs of 1,000 and 10,000 lines ..."
config_dir="$work/config"
mkdir -p "$config_dir"
# The two sizes in one loop, in turn; their saves and loads go to $times/LINES.save and
# LINES.load, one timing per line. A failure of the timing program stops the benchmark.
wait_quiet
status=0
wine_run 900 "$bin/courierfix_bench.exe" config "$(windows_path "$config_dir")" \
  "$runs" >"$work/config.out" 2>"$work/config.err" || status=$?
((status == 0)) || fail "courierfix_bench config exited with $status: $(said "$work/config.err")"
for lines in 1000 10000; do
  for what in save load; do
    tr -d '\r' <"$work/config.out" |
      awk -v what=$what -v lines=$lines '$1 == what && $2 == lines { print $3 }' \
        >"$times/$lines.$what"
  done
done

echo "Timing the main dialog's initialisation against an empty dialog ..."
dialog_time() {
  local out status=0
  out=$(wine_run 60 "$bin/courierfix_bench.exe" dialog "$1" 2>"$work/dialog.err" | tr -d '\r') ||
    status=$?
  ((status == 0)) && [[ "$out" =~ ^[0-9]+$ ]] ||
    fail "courierfix_bench dialog $1 exited with $status, printing \"$out\" and saying:" \
      "$(said "$work/dialog.err")"
  echo "$out"
}
wait_quiet
for ((run = 0; run < runs; run++)); do
  HANDSET_ROOT=${root[Twenty]} dialog_time main >>"$times/dialog.main"
  dialog_time empty >>"$times/dialog.empty"
done

# The desktop is let go: its holder ends once its input does, and must have held it throughout.
exec {desktop_input}>&-
status=0
wait "$desktop_holder" || status=$?
((status == 0)) || fail "the desktop holder exited with $status, saying: $(said "$work/desktop.err")"

# The table, with a verdict per target, from the timings of this run alone: first, that every
# run gave its timing.
for name in "$times"/*; do
  stats "${name##*/}" >/dev/null
done
verdict() { # verdict CONDITION-AS-AWK
  if awk "BEGIN { exit !($1) }"; then echo "met"; else echo "MISSED"; fi
}
ms() { awk -v us="$1" 'BEGIN { printf "%.1f", us / 1000 }'; }
# spread NAME: the median of NAME's timings in ms, with their minimum and maximum.
spread() {
  local median minimum maximum
  read -r median minimum maximum <<<"$(stats "$1")"
  echo "$(ms "$median") ms ($(ms "$minimum")–$(ms "$maximum"))"
}
median() { stats "$1" | cut -d' ' -f1; }
ratio() { awk -v a="$(median "$1")" -v b="$(median "$2")" 'BEGIN { printf "%.2f", a / b }'; }
# row MEASURE MEASURED BASELINE COMPARISON TARGET RESULT
row() { echo "| $1 | $runs | $(spread "$2") | $(spread "$3") | $4 | $5 | $6 |"; }
# bytes COUNT: COUNT bytes, with thousands apart, and in MiB.
bytes() {
  awk -v n="$1" 'BEGIN {
    s = sprintf("%d", n); t = ""
    while (length(s) > 3) { t = "," substr(s, length(s) - 2) t; s = substr(s, 1, length(s) - 3) }
    printf "%s%s bytes (%.2f MiB)", s, t, n / 1048576 }'
}
memory_of() { awk -v what="$2" '$1 == what { print $2 }' "$work/$1.memory"; }
# memory_row NAME WHAT: the most heap one run took on the handset NAME, against the budget, and
# the target of 2 MiB and three bytes per byte of config; sets memory_verdict.
memory_row() {
  local peak budget config target
  peak=$(memory_of "$1" peak)
  budget=$(memory_of "$1" budget)
  config=$(memory_of "$1" config)
  target=$((2 * 1048576 + 3 * config))
  memory_verdict=$(verdict "$peak <= $target && $peak <= $budget")
  echo "| Most heap one run of \`--autorepairall\` takes, $2 | 1 | $(bytes "$peak") |" \
    "budget $(bytes "$budget") | $(awk -v p="$peak" -v b="$budget" \
      'BEGIN { printf "%.0f%% of the budget", 100 * p / b }') |" \
    "<= 2 MiB + 3 × $(bytes "$config" | sed 's/ (.*//') of config = $(bytes "$target") |" \
    "$memory_verdict |"
}

work20=$(ratio Twenty.program Twenty.floor)
work200=$(ratio TwoHundred.program TwoHundred.floor)
growth=$(ratio TwoHundred.program Twenty.program)
floor_growth=$(ratio TwoHundred.floor Twenty.floor)
save_ratio=$(ratio 10000.save 1000.save)
load_ratio=$(ratio 10000.load 1000.load)
save_large=$(median 10000.save)
dialog_more=$(($(median dialog.main) - $(median dialog.empty)))
s1=$(verdict "$work20 <= 1.10")
s2=$(verdict "$work200 <= 1.10")
s3=$(verdict "$growth <= 12")
s4=$(verdict "$save_large < 50000 && $save_ratio <= 12")
s5=$(verdict "$load_ratio <= 12")
s6=$(verdict "$dialog_more <= 100000")
cpu=$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)
system=$(. /etc/os-release && echo "$PRETTY_NAME")
results="$work/results.md"
{
  echo "# Courierfix benchmark"
  echo
  echo "- Run: $(date -u '+%Y-%m-%d %H:%M UTC'), $runs runs per row"
  echo "- Machine: ${cpu:-unnamed CPU}, $BENCH_CORES cores (the benchmark on one), $system, Linux $(uname -r)"
  echo "- Wine: $("$WINE" --version), running the $ARCH build"
  echo "- Load average (1, 5, 15 minutes): $load_before at the start, $(cut -d' ' -f1-3 /proc/loadavg) at the end"
  echo
  echo "Each figure is the median of the runs its row gives, with the fastest and the slowest run"
  echo "in brackets. The program's work is the repair of all saved accounts in process, from"
  echo "start-up to shutdown; the handset's floor reads the same config bytes (16 KiB at a time"
  echo "into one buffer), writes the same run log line by line, logs on, opens every store, hands"
  echo "the configuration manager the same documents and logs off, and nothing else. The 200-account"
  echo "handset is timed in loops of its own, which take turns with the 20-account ones, a third"
  echo "of the runs each time. The whole-process rows add the start of a process under Wine to"
  echo "each side; the empty Win32 program does nothing but load USER32. The memory rows give the"
  echo "most heap that one run of the program took, in a process of its own, over what the process"
  echo "held before it: the handset's heap counter's peak, against the heap a handset gives a"
  echo "process."
  echo
  echo "| Measure | Runs | Measured | Baseline | Comparison | Target | Result |"
  echo "|---|---|---|---|---|---|---|"
  row "Repair of 20 saved accounts (0.1 MB config) vs the handset's floor, in process" \
    Twenty.program Twenty.floor "ratio $work20" "ratio <= 1.10" "$s1"
  row "Repair of 200 saved accounts (1 MB config) vs the handset's floor, in process" \
    TwoHundred.program TwoHundred.floor "ratio $work200" "ratio <= 1.10" "$s2"
  row "Repair in process, 200 accounts and 1 MB vs 20 and 0.1 MB" TwoHundred.program \
    Twenty.program "ratio $growth (the floor's: $floor_growth)" "ratio <= 12" "$s3"
  row "Save of an account, 10,000-line config vs 1,000-line" 10000.save 1000.save \
    "ratio $save_ratio" "< 50 ms, ratio <= 12" "$s4"
  row "Load of an account, 10,000-line config vs 1,000-line" 10000.load 1000.load \
    "ratio $load_ratio" "ratio <= 12" "$s5"
  row "Main dialog ready vs an empty dialog" dialog.main dialog.empty \
    "$(ms "$dialog_more") ms more" "<= 100 ms more" "$s6"
  memory_row Twenty "20 accounts (0.1 MB config)"
  m1=$memory_verdict
  memory_row TwoHundred "200 accounts (1 MB config)"
  m2=$memory_verdict
  memory_row Largest "200 accounts, the largest config the program reads (1 MiB)"
  m3=$memory_verdict
  for name in Twenty TwoHundred; do
    accounts=$([[ $name == Twenty ]] && echo 20 || echo 200)
    row "For reference: \`courierfix.exe --autorepairall\`, $accounts accounts, vs an empty Win32 program" \
      "$name.process" "$name.empty" "ratio $(ratio "$name.process" "$name.empty")" none -
    row "For reference: \`courierfix.exe --autorepairall\`, $accounts accounts, vs \`handset_floor.exe\`" \
      "$name.process" "$name.floor-process" "ratio $(ratio "$name.process" "$name.floor-process")" \
      none -
  done
} >"$results"
echo
cat "$results"
if [[ "$s1$s2$s3$s4$s5$s6$m1$m2$m3" == *MISSED* ]]; then
  echo "bench: a target was missed" >&2
  exit 1
fi
