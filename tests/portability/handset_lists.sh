# What the portability checks share, sourced by them: reading the handset's lists and reporting.

# allowed LIST...: every name the lists allow, once each. A list line is "Name header", with a
# third field where a desktop build spells the name otherwise; "#" starts a note.
allowed() {
  sed -e 's/#.*//' "$@" | awk 'NF >= 2 { print $1; if (NF >= 3) print $3 }' | sort -u
}

# require_listed USED ALLOWED LIST WHAT: prints each name of the sorted file USED that the sorted
# file ALLOWED lacks and exits 1; otherwise prints how many WHAT there were.
require_listed() {
  local missing
  missing=$(comm -23 "$1" "$2")
  if [[ -n "$missing" ]]; then
    while read -r name; do
      echo "not on the handset's list ($(basename "$3")): $name"
    done <<<"$missing"
    exit 1
  fi
  echo "$(wc -l <"$1") $4, each on the handset's list"
}
