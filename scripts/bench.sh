#!/usr/bin/env bash
# make bench: how fast Courierfix is, each figure measured side by side with its baseline in one
# run, as the median of RUNS runs. Every run checks itself: a program that fails, a repair that is
# not logged as OK or a timing that is missing stops the benchmark with its reason. Writes
# build/bench/results.md and prints it; exits non-zero when a target is missed.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/wine-env.sh"
runs=${RUNS:-11}

if [[ "${BENCH_INSIDE:-}" != 1 ]]; then
  rm -rf "$top/build/bench"
  mkdir -p "$top/build/bench"
  echo "Setting up a bench handset in build/bench/handset ..."
  BENCH_INSIDE=1 exec xvfb-run -a -s "-screen 0 240x320x24" \
    "$top/scripts/with-wine.sh" "$top/build/bench/handset" "$0"
fi

bin="$top/build/bin"
work="$top/build/bench"
fail() {
  echo "bench: $*" >&2
  exit 1
}
handset() { wine_run 60 "$bin/handset.exe" "$@" | tr -d '\r'; }
# median VALUES...: their median, once it is sure that every one of the runs gave one.
median() {
  (($# == runs)) || fail "expected $runs timings, got $#"
  printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
# elapsed PROGRAM ARGS...: microseconds from the shell's start of the program to its end. A
# program that fails stops the benchmark: its timing would not be of the work it was meant to do.
elapsed() {
  local start=$EPOCHREALTIME status=0
  "$WINE" "$@" >/dev/null 2>&1 || status=$?
  local end=$EPOCHREALTIME
  ((status == 0)) || fail "$* exited with $status"
  echo $(((${end/./} - ${start/./})))
}
# check_log FOLDER COUNT: log.txt in FOLDER holds exactly COUNT repairs, each OK.
check_log() {
  local ok
  ok=$(grep -c ': OK\.' "$1/log.txt" || true)
  [[ "$ok" == "$2" ]] && ! grep -q 'FAILED\|not found' "$1/log.txt" ||
    fail "$1/log.txt holds $ok repairs logged OK, not $2"
}

parms=(INSERVER OUTSERVER AUTHSECRET SMTPALTAUTHNAME SMTPALTPASSWORD SMTPALTDOMAIN)
# make_handset NAME ACCOUNTS BYTES: a handset of its own (HANDSET_ROOT) with ACCOUNTS mail
# accounts that lost their settings, courierfix.exe installed in a folder of its own with a
# config of about BYTES bytes saving them all (a preamble of notes makes up the size), and the
# documents that repair them, one per line, for the handset's floor.
make_handset() {
  local name=$1 accounts=$2 bytes=$3
  local folder="$WINEPREFIX/drive_c/Program Files/$name"
  export HANDSET_ROOT="Software\\Bench\\$name"
  mkdir -p "$folder"
  cp "$bin/courierfix.exe" "$folder/"
  handset clear >/dev/null
  local sections="$work/$name.sections" documents="$work/$name.documents"
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
  local preamble=$((bytes - $(stat -c %s "$sections")))
  {
    printf '\xEF\xBB\xBF'
    for ((note = 0; note * 100 < preamble; note++)); do
      printf '; note %06d %086d\r\n' "$note" 0
    done
    cat "$sections"
  } >"$folder/config"
  unset HANDSET_ROOT
}

echo "Making two handsets: 20 accounts with a 0.1 MB config, 200 with a 1 MB one ..."
make_handset Twenty 20 100000
make_handset TwoHundred 200 1000000
folder20="$WINEPREFIX/drive_c/Program Files/Twenty"
folder200="$WINEPREFIX/drive_c/Program Files/TwoHundred"
cp "$bin/empty_program.exe" "$bin/bare_process.exe" "$bin/handset_floor.exe" "$folder20/"

echo "Timing batch repairs against an empty program and against the handset's own work ..."
# Each program is started from its folder, as the shell starts courierfix.exe.
repair20() { (cd "$folder20" && HANDSET_ROOT='Software\Bench\Twenty' elapsed courierfix.exe --autorepairall); }
repair200() { (cd "$folder200" && HANDSET_ROOT='Software\Bench\TwoHundred' elapsed courierfix.exe --autorepairall); }
floor20() { (cd "$folder20" && HANDSET_ROOT='Software\Bench\Twenty' elapsed handset_floor.exe "$(wine_run 30 winepath -w "$work/Twenty.documents")"); }
baseline() { (cd "$folder20" && elapsed "$1"); }
# One run of each first, to warm the caches; not counted.
repair20 >/dev/null && repair200 >/dev/null && floor20 >/dev/null && baseline empty_program.exe >/dev/null
repair=() empty=() bare=() floor=() large=()
for ((run = 0; run < runs; run++)); do
  repair+=("$(repair20)")
  check_log "$folder20" 20
  empty+=("$(baseline empty_program.exe)")
  bare+=("$(baseline bare_process.exe)")
  floor+=("$(floor20)")
  large+=("$(repair200)")
  check_log "$folder200" 200
done
repair_us=$(median "${repair[@]}")
empty_us=$(median "${empty[@]}")
bare_us=$(median "${bare[@]}")
floor_us=$(median "${floor[@]}")
large_us=$(median "${large[@]}")

echo "Timing saves and loads in configs of 1,000 and 10,000 lines ..."
config_dir="$work/config"
mkdir -p "$config_dir"
# config_times LINES: runs the in-process timing; its saves and loads go to LINES.save and
# LINES.load, one timing per line. A failure of the timing program stops the benchmark.
config_times() {
  local output="$work/config-$1.out" status=0
  wine_run 600 "$bin/courierfix_bench.exe" config "$(wine_run 30 winepath -w "$config_dir")" \
    "$1" "$runs" >"$output" 2>"$work/config-$1.err" || status=$?
  ((status == 0)) || fail "courierfix_bench config $1: $(tr -d '\r' <"$work/config-$1.err")"
  tr -d '\r' <"$output" | awk '$1 == "save" { print $2 }' >"$work/$1.save"
  tr -d '\r' <"$output" | awk '$1 == "load" { print $2 }' >"$work/$1.load"
}
config_times 1000
config_times 10000
save_small=$(median $(cat "$work/1000.save"))
load_small=$(median $(cat "$work/1000.load"))
save_large=$(median $(cat "$work/10000.save"))
load_large=$(median $(cat "$work/10000.load"))

echo "Timing the main dialog's initialisation against an empty dialog ..."
dialog_time() {
  local out status=0
  out=$(wine_run 60 "$bin/courierfix_bench.exe" dialog "$1" 2>&1 | tr -d '\r') || status=$?
  ((status == 0)) && [[ "$out" =~ ^[0-9]+$ ]] || fail "courierfix_bench dialog $1: $out"
  echo "$out"
}
main=() plain=()
for ((run = 0; run < runs; run++)); do
  main+=("$(HANDSET_ROOT='Software\Bench\Twenty' dialog_time main)")
  plain+=("$(dialog_time empty)")
done
main_us=$(median "${main[@]}")
plain_us=$(median "${plain[@]}")

# The table, with a verdict per target.
verdict() { # verdict CONDITION-AS-AWK
  if awk "BEGIN { exit !($1) }"; then echo "met"; else echo "MISSED"; fi
}
ms() { awk -v us="$1" 'BEGIN { printf "%.1f ms", us / 1000 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
start_ratio=$(ratio "$repair_us" "$empty_us")
floor_ratio=$(ratio "$repair_us" "$floor_us")
growth_ratio=$(ratio "$large_us" "$repair_us")
save_ratio=$(ratio "$save_large" "$save_small")
load_ratio=$(ratio "$load_large" "$load_small")
dialog_more=$((main_us - plain_us))
s1=$(verdict "$start_ratio <= 1.5")
s2=$(verdict "$floor_ratio <= 1.15")
s3=$(verdict "$growth_ratio <= 12")
s4=$(verdict "$save_large < 50000 && $save_ratio <= 12")
s5=$(verdict "$load_ratio <= 12")
s6=$(verdict "$dialog_more <= 100000")
results="$work/results.md"
{
  echo "# Courierfix benchmark"
  echo
  echo "Measured side by side in one run under $("$WINE" --version); each figure is the median"
  echo "of the number of runs its row gives. The empty Win32 program does nothing but has USER32"
  echo "loaded, as every program that can show a window has. The handset's floor logs on, walks"
  echo "the stores and submits the same 20 documents that the repair submits, and nothing else."
  echo
  echo "| Measure | Runs | Measured | Baseline | Comparison | Target | Result |"
  echo "|---|---|---|---|---|---|---|"
  echo "| \`--autorepairall\`, 20 saved accounts, vs an empty Win32 program | $runs | $(ms "$repair_us") | $(ms "$empty_us") | ratio $start_ratio | ratio <= 1.5 | $s1 |"
  echo "| \`--autorepairall\`, 20 saved accounts, vs the handset's floor | $runs | $(ms "$repair_us") | $(ms "$floor_us") | ratio $floor_ratio | ratio <= 1.15 | $s2 |"
  echo "| \`--autorepairall\`, 200 accounts and a 1 MB config vs 20 and 0.1 MB | $runs | $(ms "$large_us") | $(ms "$repair_us") | ratio $growth_ratio | ratio <= 12 | $s3 |"
  echo "| Save of an account, 10,000-line config vs 1,000-line | $runs | $(ms "$save_large") | $(ms "$save_small") | ratio $save_ratio | < 50 ms, ratio <= 12 | $s4 |"
  echo "| Load of an account, 10,000-line config vs 1,000-line | $runs | $(ms "$load_large") | $(ms "$load_small") | ratio $load_ratio | ratio <= 12 | $s5 |"
  echo "| Main dialog ready vs an empty dialog | $runs | $(ms "$main_us") | $(ms "$plain_us") | $(ms "$dialog_more") more | <= 100 ms more | $s6 |"
  echo "| For reference: the empty Win32 program vs a bare process without USER32 | $runs | $(ms "$empty_us") | $(ms "$bare_us") | ratio $(ratio "$empty_us" "$bare_us") | none | - |"
} >"$results"
echo
cat "$results"
[[ "$s1$s2$s3$s4$s5$s6" != *MISSED* ]]
