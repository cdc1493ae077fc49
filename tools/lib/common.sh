# Shared by the scripts in tools/: package installation, builds, and a
# headless display with a Wine prefix for running the Windows program.
# Source it; it defines functions and sets nothing else but ROOT.

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

# Debian packages the build and the tests need.
VORTO_PACKAGES=(cmake ninja-build g++ libgtest-dev googletest clang libclang-rt-14-dev curl
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine64 wine xvfb xauth x11-utils xdotool imagemagick
  python3-pyftpdlib vsftpd openssh-server openssh-client python3-cryptography)

install_packages() {
  local missing=()
  for p in "${VORTO_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages need root: run as root, or install them: ${missing[*]}" >&2
    return 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build_windows() {
  cmake -S "$ROOT" -B "$ROOT/build/win" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" >/dev/null &&
    cmake --build "$ROOT/build/win" -j"$(nproc)"
}

# The fuzz harnesses, with clang and the core instrumented for coverage.
build_fuzzers() {
  CC=clang CXX=clang++ cmake -S "$ROOT" -B "$ROOT/build/fuzz" -G Ninja -DVORTO_FUZZ=ON >/dev/null &&
    cmake --build "$ROOT/build/fuzz" --target fuzzers -j"$(nproc)"
}

build_native() {
  cmake -S "$ROOT" -B "$ROOT/build/native" -G Ninja >/dev/null &&
    cmake --build "$ROOT/build/native" -j"$(nproc)"
}

# Starts Xvfb on a free display number and exports DISPLAY.
VORTO_XVFB_PID=""
start_xvfb() {
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    VORTO_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && return 0
      kill -0 "$VORTO_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
  done
  echo "Could not start Xvfb" >&2
  return 1
}

# Prepares the Wine prefix in $1 (created when missing) and keeps one wine
# server alive for the whole run, so each program starts in a fraction of
# a second instead of seconds.
start_wine() {
  export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$WINEPREFIX"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
  wineserver -p >/dev/null 2>&1 </dev/null &
  # The first program of a session brings up Wine's background services;
  # start them here with no pipes attached, or a test runner that reads a
  # program's output would wait for those long-lived processes too.
  wine cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
  # No window manager runs on the virtual display; without this Wine waits
  # up to two seconds for one each time a window is hidden.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null || true
}

stop_wine() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
}

stop_xvfb() {
  [ -n "$VORTO_XVFB_PID" ] && kill "$VORTO_XVFB_PID" 2>/dev/null || true
  VORTO_XVFB_PID=""
}
