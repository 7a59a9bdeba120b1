#!/usr/bin/env bash
# The Debian package and the install rules, checked as a person's machine would
# see them:
#  - the .deb is built by cpack in a build folder of its own, with Debian's
#    hardening flags, and its control fields are checked (name, version,
#    library dependencies found by dpkg-shlibdeps);
#  - unpacked with dpkg -x into a temporary root it holds exactly the expected
#    files, owned by root, with sane modes, icons of the size their folder names;
#  - both .desktop files pass desktop-file-validate, the user unit passes
#    systemd-analyze verify, lintian reports no error (its warnings are listed);
#  - `cmake --install` to another prefix puts the autostart entry and the
#    unit's ExecStart under that prefix;
#  - when the service and the message box are built: the installed service,
#    started from the unpacked root under faketime without a display and with
#    HOME and XDG_RUNTIME_DIR in temporary folders, finds the installed
#    ruvellomsgbox beside itself (PATH holds nothing) and announces a due
#    annual and a due simple alarm; a second copy is refused with status 0.
# Run by test.sh from the top of the repository; exits non-zero on failure.
set -uo pipefail
cd "$(dirname "$0")/../.."
top=$(pwd)
build=${RUVELLO_BUILD_DIR:-$top/build}
pkgbuild=$build/deb-build

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }

work=$(mktemp -d)
servicepid=""
cleanup() {
  if [ -n "$servicepid" ] && kill -0 "$servicepid" 2>/dev/null; then
    kill "$servicepid" 2>/dev/null
    wait "$servicepid" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT

for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate lintian file faketime; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done

# --- build the package --------------------------------------------------------
# CMAKE_BUILD_TYPE=None leaves the compile flags to dpkg-buildflags, as a Debian
# build does; the package then gets the distribution's hardening.
export CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
export LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
if ! cmake -S "$top" -B "$pkgbuild" -DCMAKE_BUILD_TYPE=None -DRUVELLO_TESTS=OFF -DRUVELLO_BENCH=OFF \
     >"$work/configure.log" 2>&1; then
  cat "$work/configure.log"; echo "FAIL: the package's build folder cannot be configured"; exit 1
fi
if ! cmake --build "$pkgbuild" -j2 >"$work/build.log" 2>&1; then
  tail -40 "$work/build.log"; echo "FAIL: the package's build failed"; exit 1
fi
rm -f "$pkgbuild"/ruvello_*.deb
if ! (cd "$pkgbuild" && cpack -G DEB) >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"; echo "FAIL: cpack could not build the package"; exit 1
fi
deb=$(ls "$pkgbuild"/ruvello_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || { echo "FAIL: cpack made no ruvello_*.deb"; exit 1; }
ok "built $(basename "$deb")"

# Programs the package must hold: each one whose source folder is in the tree,
# and each one the build made.
programs=()
for pair in config:ruvelloconfig service:ruvelloservice msgbox:ruvellomsgbox; do
  folder=${pair%%:*}
  program=${pair#*:}
  if [ -e "$top/$folder/CMakeLists.txt" ] || [ -e "$pkgbuild/bin/$program" ]; then
    programs+=("$program")
  fi
done
echo "programs expected in the package: ${programs[*]:-none yet}"

# --- control fields -----------------------------------------------------------
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = ruvello ] || fail "Package is '$(field Package)', not ruvello"
[ "$(field Version)" = "2.0~beta" ] || fail "Version is '$(field Version)', not 2.0~beta"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is '$(field Architecture)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ "$(field Description | wc -l)" -ge 3 ] || fail "Description has no long text"
depends=$(field Depends)
if [ ${#programs[@]} -gt 0 ]; then
  # Found by dpkg-shlibdeps in the programs; the build files name no package.
  case "$depends" in *libfltk1.3*) ;; *) fail "Depends '$depends' lacks libfltk1.3" ;; esac
  case "$depends" in *libc6*) ;; *) fail "Depends '$depends' lacks libc6" ;; esac
  # The one package named by hand: the font the windows were laid out for.
  case "$depends" in *fonts-liberation2*) ;; *) fail "Depends '$depends' lacks fonts-liberation2" ;; esac
  # The reminder's sound: its library found, the theme and the server's way recommended.
  case "$depends" in *libcanberra0*) ;; *) fail "Depends '$depends' lacks libcanberra0" ;; esac
  for wanted in libcanberra-pulse sound-theme-freedesktop; do
    case ", $(field Recommends)," in *", $wanted,"*) ;; *) fail "Recommends '$(field Recommends)' lacks $wanted" ;; esac
  done
else
  [ -z "$depends" ] || fail "Depends '$depends' without any program in the package"
fi
# Libraries come from dpkg-shlibdeps alone; by hand only the font.
if grep 'CPACK_DEBIAN_PACKAGE_DEPENDS' "$top/packaging/CMakeLists.txt" | grep -v '"fonts-liberation2"' | grep -q .; then
  fail "packaging/CMakeLists.txt writes library dependencies by hand"
fi
[ "$(dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./conffiles 2>/dev/null)" = /etc/xdg/autostart/ruvelloservice.desktop ] \
  || fail "the autostart entry is not the package's one conffile"
ok "control fields checked (Depends: ${depends:-none})"

# --- contents, owners and modes -------------------------------------------------
root=$work/root
dpkg -x "$deb" "$root" || { echo "FAIL: dpkg -x failed"; exit 1; }

declare -A expected=(
  [usr/share/applications/ruvelloconfig.desktop]=644
  [etc/xdg/autostart/ruvelloservice.desktop]=644
  [usr/lib/systemd/user/ruvelloservice.service]=644
  [usr/share/icons/hicolor/scalable/apps/ruvello.svg]=644
  [usr/share/man/man1/ruvelloconfig.1.gz]=644
  [usr/share/man/man1/ruvelloservice.1.gz]=644
  [usr/share/man/man1/ruvellomsgbox.1.gz]=644
  [usr/share/doc/ruvello/copyright]=644
  [usr/share/doc/ruvello/changelog.gz]=644
)
for size in 16 24 32 48 256 512; do
  expected[usr/share/icons/hicolor/${size}x${size}/apps/ruvello.png]=644
done
for program in "${programs[@]}"; do
  expected[usr/bin/$program]=755
done

while IFS= read -r -d '' path; do
  relative=${path#"$root"/}
  mode=$(stat -c '%a' "$path")
  if [ -d "$path" ]; then
    [ "$mode" = 755 ] || fail "folder $relative has mode $mode"
  elif [ -z "${expected[$relative]+set}" ]; then
    fail "unexpected file $relative in the package"
  elif [ "$mode" != "${expected[$relative]}" ]; then
    fail "$relative has mode $mode, not ${expected[$relative]}"
  fi
done < <(find "$root" -mindepth 1 -print0)
for relative in "${!expected[@]}"; do
  [ -f "$root/$relative" ] || fail "$relative is missing from the package"
done
badowners=$(dpkg-deb -c "$deb" | awk '$2 != "root/root"')
[ -z "$badowners" ] || fail "entries not owned by root/root: $badowners"

for size in 16 24 32 48 256 512; do
  icon=$root/usr/share/icons/hicolor/${size}x${size}/apps/ruvello.png
  [ -f "$icon" ] || continue
  file -b "$icon" | grep -q "^PNG image data, $size x $size," \
    || fail "icon in ${size}x${size} is $(file -b "$icon")"
done
for program in "${programs[@]}"; do
  [ -f "$root/usr/bin/$program" ] || continue
  file -b "$root/usr/bin/$program" | grep -q 'ELF 64-bit.*, stripped' \
    || fail "usr/bin/$program is not a stripped program: $(file -b "$root/usr/bin/$program")"
done
grep -qx 'ExecStart=/usr/bin/ruvelloservice' "$root/usr/lib/systemd/user/ruvelloservice.service" \
  || fail "the unit does not start /usr/bin/ruvelloservice"
ok "contents, owners and modes checked"

# --- desktop entries, unit, lintian ------------------------------------------------
for entry in usr/share/applications/ruvelloconfig.desktop etc/xdg/autostart/ruvelloservice.desktop; do
  if output=$(desktop-file-validate "$root/$entry" 2>&1) && [ -z "$output" ]; then
    ok "desktop-file-validate $entry"
  else
    fail "desktop-file-validate $entry: $output"
  fi
done
launcher=$root/usr/share/applications/ruvelloconfig.desktop
for line in 'Name=Ruvello' 'Icon=ruvello' 'Exec=ruvelloconfig' 'Categories=Utility;'; do
  grep -qx "$line" "$launcher" || fail "the launcher lacks the line $line"
done
grep -qx 'Exec=ruvelloservice' "$root/etc/xdg/autostart/ruvelloservice.desktop" \
  || fail "the autostart entry does not start ruvelloservice"

if command -v systemd-analyze >/dev/null; then
  # The unit as installed, with ExecStart pointed at the unpacked root and the
  # manual page looked up there, must verify without a single message.
  mkdir -p "$work/unit" "$work/unitruntime" "$work/fakebin"
  unitprogram=$root/usr/bin/ruvelloservice
  [ -x "$unitprogram" ] || { cp /bin/true "$work/fakebin/ruvelloservice"; unitprogram=$work/fakebin/ruvelloservice; }
  sed "s|^ExecStart=/usr/bin/ruvelloservice|ExecStart=$unitprogram|" \
    "$root/usr/lib/systemd/user/ruvelloservice.service" >"$work/unit/ruvelloservice.service"
  output=$(cd "$work/unit" && XDG_RUNTIME_DIR="$work/unitruntime" MANPATH="$root/usr/share/man" \
           systemd-analyze verify --user ./ruvelloservice.service 2>&1)
  if [ -z "$output" ]; then ok "systemd-analyze verify of the user unit"; else fail "systemd-analyze: $output"; fi
else
  echo "skipped: systemd-analyze is not installed, the user unit is not verified"
fi

lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1
lintianstatus=$?
echo "lintian says:"
grep -v 'running with root privileges' "$work/lintian.log" | sed 's/^/    /'
if grep -q '^E: ' "$work/lintian.log" || [ "$lintianstatus" -ne 0 ]; then
  fail "lintian reports errors (status $lintianstatus)"
else
  ok "lintian reports no error ($(grep -c '^W: ' "$work/lintian.log") warnings)"
fi

# --- cmake --install to a prefix of one's own ---------------------------------------
prefix=$work/prefix
if cmake --install "$pkgbuild" --prefix "$prefix" >"$work/install.log" 2>&1; then
  [ -f "$prefix/etc/xdg/autostart/ruvelloservice.desktop" ] || fail "no autostart entry under the prefix"
  grep -qx "ExecStart=$prefix/bin/ruvelloservice" "$prefix/lib/systemd/user/ruvelloservice.service" \
    || fail "the unit installed under $prefix does not start $prefix/bin/ruvelloservice"
  [ -f "$prefix/share/icons/hicolor/48x48/apps/ruvello.png" ] || fail "no icon under the prefix"
  for program in "${programs[@]}"; do
    [ -x "$prefix/bin/$program" ] || fail "cmake --install put no $program in $prefix/bin"
  done
  ok "cmake --install to another prefix"
else
  cat "$work/install.log"; fail "cmake --install to $prefix failed"
fi

# --- the installed service announces through the installed message box -----------
has() { local p; for p in "${programs[@]}"; do [ "$p" = "$1" ] && return 0; done; return 1; }
if has ruvelloservice && has ruvellomsgbox; then
  home=$work/home
  runtime=$work/runtime
  data=$home/.fltk/ruvello/config
  mkdir -p "$data" "$runtime" "$work/cwd"
  chmod 700 "$runtime"
  # The annual alarm is due in the first cycle (its date is tomorrow, within the
  # default advance); the simple one in the next minute. Its double quotes reach
  # the message box as asterisks.
  printf '05-17 - packaged "annual" alarm\n' >"$data/annual_alerts.dat"
  printf '2026-05-16 12:01 - packaged simple alarm\n' >"$data/single_alerts.dat"
  # libfaketime is preloaded by hand, not through the faketime wrapper, so
  # that $! is the service itself; the message box inherits the fake clock.
  service() {
    (cd "$work/cwd" && exec env -i HOME="$home" XDG_RUNTIME_DIR="$runtime" PATH=/nonexistent TZ=UTC \
       LD_PRELOAD=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1 \
       FAKETIME="@2026-05-16 12:00:50 x10" "$root/usr/bin/ruvelloservice" "$@")
  }
  service >"$work/service.out" 2>"$work/service.err" &
  servicepid=$!
  for _ in $(seq 300); do
    grep -q 'packaged simple alarm' "$work/service.err" && break
    kill -0 "$servicepid" 2>/dev/null || break
    sleep 0.1
  done
  if grep -qF '05-17 - packaged *annual* alarm' "$work/service.err"; then
    ok "the installed ruvellomsgbox was run for the annual alarm (its line on standard error without a display)"
  else
    fail "the annual alarm did not reach the installed ruvellomsgbox"
  fi
  if grep -qF '2026-05-16 12:01 - packaged simple alarm' "$work/service.err"; then
    ok "the simple alarm was announced in its minute"
  else
    fail "the simple alarm was not announced"
  fi
  if kill -0 "$servicepid" 2>/dev/null; then
    secondstatus=0
    timeout 20 bash -c "$(declare -f service); work='$work' home='$home' runtime='$runtime' root='$root' service" \
      >"$work/second.out" 2>"$work/second.err" || secondstatus=$?
    if [ "$secondstatus" -eq 0 ] && grep -qF 'Ruvello service is already running.' "$work/second.err"; then
      ok "a second installed service is refused with status 0"
    else
      fail "a second installed service: status $secondstatus, stderr: $(cat "$work/second.err")"
    fi
    kill "$servicepid"
    wait "$servicepid" 2>/dev/null
  else
    fail "the installed service ended by itself"
  fi
  servicepid=""
  if [ "$failures" -gt 0 ]; then
    echo "service standard output:"; sed 's/^/    /' "$work/service.out"
    echo "service standard error:"; sed 's/^/    /' "$work/service.err"
  fi
else
  echo "skipped: the installed service is run once ruvelloservice and ruvellomsgbox are built"
fi

if [ "$failures" -eq 0 ]; then
  echo "packaging: all checks passed"
else
  echo "packaging: $failures checks failed"
fi
[ "$failures" -eq 0 ]
