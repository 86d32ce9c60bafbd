#!/usr/bin/env bash
# make bench: how fast Courierfix is, each figure measured side by side with its baseline in one
# run, as the median of RUNS runs. Writes build/bench/results.md and prints it; exits non-zero
# when a target is missed.
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
handset() { wine_run 60 "$bin/handset.exe" "$@" >/dev/null; }
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# Microseconds that PROGRAM ARGS... takes, from the shell's start of it to its end.
elapsed() {
  local start=$EPOCHREALTIME
  "$WINE" "$@" >/dev/null 2>&1 || true
  local end=$EPOCHREALTIME
  echo $(((${end/./} - ${start/./})))
}

# A handset with 20 accounts, each with a saved section in config.
program_folder="$WINEPREFIX/drive_c/Program Files/Courierfix"
mkdir -p "$program_folder"
cp "$bin/courierfix.exe" "$bin/empty_program.exe" "$bin/bare_process.exe" "$program_folder/"
handset clear
{
  printf '\xEF\xBB\xBF'
  for ((account = 1; account <= 20; account++)); do
    handset add-store "Account $account" INSERVER=lost
    printf '[Account %d]\r\n' "$account"
    for parm in INSERVER OUTSERVER AUTHSECRET SMTPALTAUTHNAME SMTPALTPASSWORD SMTPALTDOMAIN; do
      printf '<parm name="%s" value="%s%d"/>\r\n' "$parm" "${parm,,}-" "$account"
    done
  done
} >"$program_folder/config"

echo "Timing the repair of 20 accounts against an empty program ..."
cd "$program_folder"
elapsed courierfix.exe --autorepairall >/dev/null
elapsed empty_program.exe >/dev/null
repair=() empty=() bare=()
for ((run = 0; run < runs; run++)); do
  repair+=("$(elapsed courierfix.exe --autorepairall)")
  empty+=("$(elapsed empty_program.exe)")
  bare+=("$(elapsed bare_process.exe)")
done
grep -c ': OK\.' log.txt | grep -qx 20 || { echo "bench: the repairs did not all succeed" >&2; exit 1; }
repair_us=$(median "${repair[@]}")
empty_us=$(median "${empty[@]}")
bare_us=$(median "${bare[@]}")

echo "Timing saves and loads in configs of 1,000 and 10,000 lines ..."
work="$top/build/bench/config"
mkdir -p "$work"
config_times() { # LINES KIND: the median of that kind of timing
  wine_run 300 "$bin/courierfix_bench.exe" config "$(wine_run 30 winepath -w "$work")" "$1" "$runs" |
    tr -d '\r' | awk -v kind="$2" '$1 == kind { print $2 }'
}
save_small=$(median $(config_times 1000 save))
load_small=$(median $(config_times 1000 load))
save_large=$(median $(config_times 10000 save))
load_large=$(median $(config_times 10000 load))

echo "Timing the main dialog's initialisation against an empty dialog ..."
main=() plain=()
for ((run = 0; run < runs; run++)); do
  main+=("$(wine_run 60 "$bin/courierfix_bench.exe" dialog main | tr -d '\r')")
  plain+=("$(wine_run 60 "$bin/courierfix_bench.exe" dialog empty | tr -d '\r')")
done
main_us=$(median "${main[@]}")
plain_us=$(median "${plain[@]}")

# The table, with a verdict per target.
missed=0
verdict() { # verdict CONDITION-AS-AWK
  if awk "BEGIN { exit !($1) }"; then echo "met"; else echo "MISSED"; missed=1; fi
}
ms() { awk -v us="$1" 'BEGIN { printf "%.1f ms", us / 1000 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
start_ratio=$(ratio "$repair_us" "$empty_us")
save_ratio=$(ratio "$save_large" "$save_small")
load_ratio=$(ratio "$load_large" "$load_small")
dialog_more=$((main_us - plain_us))
results="$top/build/bench/results.md"
{
  echo "# Courierfix benchmark"
  echo
  echo "Median of $runs runs each, measured side by side in one run under $("$WINE" --version)."
  echo "The empty Win32 program does nothing but has USER32 loaded, as every program that can"
  echo "show a window has; the last row shows what loading USER32 alone costs a process here."
  echo
  echo "| Measure | Measured | Baseline | Comparison | Target | Result |"
  echo "|---|---|---|---|---|---|"
  s1=$(verdict "$start_ratio <= 1.5")
  echo "| \`--autorepairall\`, 20 saved accounts, vs an empty Win32 program | $(ms "$repair_us") | $(ms "$empty_us") | ratio $start_ratio | ratio <= 1.5 | $s1 |"
  s2=$(verdict "$save_large < 50000 && $save_ratio <= 12")
  echo "| Save of an account, 10,000-line config vs 1,000-line | $(ms "$save_large") | $(ms "$save_small") | ratio $save_ratio | < 50 ms, ratio <= 12 | $s2 |"
  s3=$(verdict "$load_ratio <= 12")
  echo "| Load of an account, 10,000-line config vs 1,000-line | $(ms "$load_large") | $(ms "$load_small") | ratio $load_ratio | ratio <= 12 | $s3 |"
  s4=$(verdict "$dialog_more <= 100000")
  echo "| Main dialog ready vs an empty dialog | $(ms "$main_us") | $(ms "$plain_us") | $(ms "$dialog_more") more | <= 100 ms more | $s4 |"
  echo "| For reference: the empty Win32 program vs a bare process without USER32 | $(ms "$empty_us") | $(ms "$bare_us") | ratio $(ratio "$empty_us" "$bare_us") | none | - |"
} >"$results"
echo
cat "$results"
[[ "$s1$s2$s3$s4" != *MISSED* ]]
