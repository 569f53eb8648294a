#!/usr/bin/env bash
# The layers of the build: a target links only targets of lower layers. The
# table below is the one the README's "Layers" section shows; every target of
# the CMake files must stand in it, and in the README.
set -euo pipefail
cd "$(dirname "$0")/.."
declare -A layer=(
  [krav_platform]=0
  [krav_shell]=1
  [krav_engine]=2
  [krav_accounting]=3 [krav_exchange]=3 [krav_dorvik_core]=3
  [krav_app_logic]=4 [krav_qt_kit]=4 [krav_chart]=4 [dorvik]=4 [krav_sync]=4 [krav_messctl_core]=4
  [krav_agent]=5 [krav_calendar]=5 [krav_page_frame]=5 [krav_host_core]=5 [messctl]=5 [messctl-full]=5
  [krav_dialogs]=6 [krav_host_desktop]=6
  [krav_accounting_ui]=7 [krav_editor]=7 [shellhost]=7
  [krav_planner_ui]=8
  [krav_main_window]=9
  [krav_mess_ui]=10
  [mess]=11
)
status=0
# Each target_link_libraries(...) of the product's CMake files, on one line.
while read -r file target linked; do
  if [ -z "${layer[$target]+x}" ]; then
    echo "$file: $target is in no layer of tests/layers_test.sh"
    status=1
    continue
  fi
  for l in $linked; do
    case "$l" in krav_*|dorvik|messctl|messctl-full|shellhost|mess) ;; *) continue ;; esac
    if [ -z "${layer[$l]+x}" ]; then
      echo "$file: $l is in no layer"
      status=1
    elif [ "${layer[$l]}" -ge "${layer[$target]}" ]; then
      echo "$file: $target (layer ${layer[$target]}) links $l (layer ${layer[$l]}): a lower layer may not link a higher one"
      status=1
    fi
  done
done < <(for f in $(git ls-files '*CMakeLists.txt' 2>/dev/null ||
  find . -name CMakeLists.txt -not -path './build*' | sed 's|^\./||'); do
  case "$f" in tests/*|bench/*) continue ;; esac
  { tr '\n' ' ' < "$f" | grep -o 'target_link_libraries([^)]*)' || true; } |
    sed -e 's/target_link_libraries(//' -e 's/)//' -e 's/\<PUBLIC\>//g; s/\<PRIVATE\>//g; s/\<INTERFACE\>//g' |
    while read -r target rest; do echo "$f $target $rest"; done
done)
# The README names every layer's targets.
for t in "${!layer[@]}"; do
  if ! sed -n '/^### Layers/,/^## /p' README.md | grep -q "\`$t\`"; then
    echo "README.md: the Layers section does not name $t"
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "layers: every link goes down"
exit "$status"
