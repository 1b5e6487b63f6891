#!/usr/bin/env bash
# cpack -G DEB: the package is named lattool_<version>_<arch>.deb, its dependencies come
# from dpkg-shlibdeps, it holds the installed tree, and its lattool, unpacked anywhere,
# runs with no environment and imports as the built one does.
#   CheckDebPackage.sh BUILD VERSION BUILT_LATTOOL EXAMPLES
set -euo pipefail
build=$1 version=$2 built=$3 examples=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package_deb: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb="$work/out/lattool_${version}_$(dpkg --print-architecture).deb"
[[ -f $deb ]] || fail "no $(basename "$deb") in: $(ls "$work/out")"

depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libc6* && $depends == *libstdc++* ]] || fail "dependencies not computed: '$depends'"
[[ $depends != *hostbase* ]] || fail "depends on its own library: '$depends'"

dpkg -x "$deb" "$work/root"
echo "files of $(basename "$deb") (Depends: $depends):"
(cd "$work/root" && find . ! -type d | sort)
for file in usr/bin/lattool usr/lib/lattool/LAT.so usr/lib/libhostbase.so.0 usr/lib/libhostaux.so.0 \
    usr/lib/libhostfw.so.0 usr/lib/libuser32.so.0 usr/share/man/man1/lattool.1 \
    usr/share/bash-completion/completions/lattool usr/share/doc/lattool/README.md \
    usr/share/doc/lattool/LICENSE; do
  [[ -e $work/root/$file ]] || fail "missing $file"
done

# From another folder, nothing in the environment: the RPATHs and the module's place must do.
example="$examples/uniform-3x2.lat"
cd "$work"
env -i "$work/root/usr/bin/lattool" --quiet info "$example" >"$work/installed.txt" ||
  fail "the unpacked lattool failed"
"$built" --quiet info "$example" >"$work/built.txt"
env -i "$work/root/usr/bin/lattool" --version | grep -qx "LAT module: $work/root/usr/lib/lattool/LAT.so.*" ||
  fail "the unpacked lattool --version does not name its module"
diff -u "$work/built.txt" "$work/installed.txt" || fail "the unpacked lattool reads differently"
