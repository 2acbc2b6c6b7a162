#!/usr/bin/env bash
# The two SMAPI_GetResourceBitmapHandle overloads cross module boundaries under
# the Microsoft compiler's decoration: the skin libraries export them under it
# and the programs import them from their skin library under it. The expected
# names are clang's, for the same declarations in the Microsoft ABI of the
# build's bitness.
#   msvc_names.sh CLANG_TARGET OBJDUMP [--exports DLL] [--imports FILE SKIN_DLL]...
set -euo pipefail
target=$1 objdump=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/declarations.cpp" <<'CPP'
typedef unsigned short WORD;
typedef struct HBITMAP__ { int unused; }* HBITMAP;
HBITMAP SMAPI_GetResourceBitmapHandle(WORD id);
void SMAPI_GetResourceBitmapHandle(WORD id, HBITMAP* normal, HBITMAP* hover, HBITMAP* pressed, HBITMAP* disabled);
void Use(HBITMAP* b) { *b = SMAPI_GetResourceBitmapHandle(0); SMAPI_GetResourceBitmapHandle(0, b, b, b, b); }
CPP
clang --target="$target" -c "$work/declarations.cpp" -o "$work/declarations.obj"
mapfile -t expected < <(llvm-nm "$work/declarations.obj" | awk '$1 == "U" {print $2}')
[ ${#expected[@]} -eq 2 ] || { echo "clang named ${#expected[@]} functions, not 2"; exit 1; }
echo "expected: ${expected[*]}"

exports() { "$objdump" -p "$1" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk 'NF {print $NF}'; }
# Names FILE imports from DLL (by name, case-insensitive).
imports() {
  "$objdump" -p "$1" | awk -v dll="$2" '/DLL Name:/ {from = (tolower($3) == tolower(dll)); next}
                                         from && NF == 3 && $1 ~ /^[0-9a-f]+$/ {print $3}'
}

failed=0
check() {  # check WHAT NAMES...
  local what=$1 name
  shift
  for name in "${expected[@]}"; do
    printf '%s\n' "$@" | grep -qxF -- "$name" || { echo "FAIL: $what lacks $name"; failed=1; }
  done
  if printf '%s\n' "$@" | grep -q '^_Z.*SMAPI_GetResourceBitmapHandle'; then
    echo "FAIL: $what still binds a GCC-decorated SMAPI_GetResourceBitmapHandle"
    failed=1
  fi
}
while [ $# -gt 0 ]; do
  case $1 in
    --exports) mapfile -t names < <(exports "$2"); check "exports of $(basename "$2")" "${names[@]}"; shift 2 ;;
    --imports) mapfile -t names < <(imports "$2" "$3"); check "imports of $(basename "$2") from $3" "${names[@]}"; shift 3 ;;
    *) echo "unknown argument $1"; exit 2 ;;
  esac
done
[ $failed -eq 0 ] && echo "all names as the Microsoft compiler decorates them"
exit $failed
