# Shared set-up of ./run and ./test (sourced, not run): installs what is
# missing, builds build/ and prepares the private Wine prefix inside it.
# Honours QUORVANE_BUILD_DIR to keep several build trees side by side.

QUORVANE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
QUORVANE_BUILD=${QUORVANE_BUILD_DIR:-$QUORVANE_ROOT/build}
case "$QUORVANE_BUILD" in /*) ;; *) QUORVANE_BUILD=$QUORVANE_ROOT/$QUORVANE_BUILD ;; esac
WINE_TOOLS=/usr/lib/wine
# ccache: paths relative to the checkout and no working folder in the key, so
# several checkouts of the tree share one cache.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$QUORVANE_ROOT}
export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}

quorvane_packages=(
  wine64 wine64-tools libwine-dev
  cmake ninja-build g++ clang libclang-rt-14-dev ccache
  googletest libgtest-dev libbenchmark-dev
  libespeak-ng-dev espeak-ng-data espeak-ng
  fonts-wqy-microhei fonts-wine
  xvfb xauth x11-utils xclip imagemagick sox libx11-dev
  python3 opencc libopencc-data rime-data-terra-pinyin python3-jieba
)

say() { printf '[quorvane] %s\n' "$*" >&2; }

install_missing_packages() {
  local missing=() pkg
  for pkg in "${quorvane_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed' || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  say "installing ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq >/dev/null
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

build_tree() {
  if [ ! -f "$QUORVANE_BUILD/build.ninja" ]; then
    say "configuring $QUORVANE_BUILD"
    cmake -S "$QUORVANE_ROOT" -B "$QUORVANE_BUILD" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$QUORVANE_ROOT/cmake/winelib-toolchain.cmake" >/dev/null
  fi
  # QUORVANE_TARGETS="a b" builds only those targets (a helper working on one
  # module need not wait for, or be broken by, the rest of the tree).
  local targets=()
  [ -n "${QUORVANE_TARGETS:-}" ] && targets=(--target $QUORVANE_TARGETS)
  cmake --build "$QUORVANE_BUILD" "${targets[@]}" -- -j"$(nproc)"
}

# Environment every Wine process of the project runs in.
export_wine_env() {
  export WINEPREFIX=$QUORVANE_BUILD/wineprefix
  export WINELOADER=$WINE_TOOLS/wine64
  export WINESERVER=$WINE_TOOLS/wineserver
  export WINEARCH=win64
  export WINEDEBUG=${WINEDEBUG:--all}
  # No Mono or Gecko installer dialogs: the program needs neither.
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
}

wine_reg_add() {
  "$WINELOADER" reg add "$1" /v "$2" /d "$3" /f >/dev/null 2>&1
}

# Test programs' windows are left unmanaged by the X11 driver. On Xvfb, with
# no window manager, hiding or destroying a managed top-level window waits
# about 2 s for a withdrawn state that never comes; unmanaged, it takes
# milliseconds, so tests can open and close real windows. Only the test
# programs: the reader and the gallery stay managed on a user's desktop.
unmanage_test_programs() {
  local names marker reg name
  names=$(find "$QUORVANE_BUILD/tests" -name '*.exe.so' -printf '%f\n' 2>/dev/null | sed 's/\.so$//' | sort)
  marker="$WINEPREFIX/.quorvane-unmanaged"
  [ -f "$marker" ] && [ "$(cat "$marker")" = "$names" ] && return 0
  reg=$(mktemp --suffix=.reg)
  {
    echo 'REGEDIT4'
    for name in $names; do
      printf '\n[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\%s\\X11 Driver]\n"Managed"="N"\n' "$name"
    done
  } >"$reg"
  "$WINELOADER" regedit /S "$reg" >/dev/null 2>&1
  "$WINESERVER" -w
  rm -f "$reg"
  printf '%s' "$names" >"$marker"
}

# Creates the prefix on first use and brings its settings up to date when
# they change (the marker names the settings' version). Fonts: Wine's own
# faces have no CJK glyphs, so the faces the program asks for by name are
# replaced by a CJK font, and every other face falls back to it through a
# font link. Decorated=N: the window manager draws no frame of its own.
QUORVANE_PREFIX_VERSION=3
prepare_prefix() {
  export_wine_env
  local marker="$WINEPREFIX/.quorvane-ready-$QUORVANE_PREFIX_VERSION"
  [ -f "$marker" ] && return 0
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    say "creating Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    "$WINELOADER" wineboot -i >/dev/null 2>&1 || true
  fi
  local face cjk="WenQuanYi Micro Hei"
  for face in "MS Sans Serif" "Verdana"; do
    wine_reg_add 'HKCU\Software\Wine\Fonts\Replacements' "$face" "$cjk"
  done
  for face in "System" "Tahoma" "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" "Segoe UI" "Arial" "Courier New"; do
    "$WINELOADER" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d "wqy-microhei.ttc,$cjk" /f >/dev/null 2>&1
  done
  wine_reg_add 'HKCU\Software\Wine\X11 Driver' Decorated N
  # Wine draws its own caption buttons, scroll arrows and check marks with
  # Marlett, which it does not find in the data folder by itself.
  cp -f /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  "$WINESERVER" -w
  rm -f "$WINEPREFIX"/.quorvane-ready*
  touch "$marker"
}
