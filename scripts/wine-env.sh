# Shared settings for running the project's Windows programs under Wine. Sourced by the scripts.
# Uses a private prefix inside the build tree, never the user's own ~/.wine.
VK_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${VK_WINEPREFIX:-$VK_ROOT/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
VK_WINE64=/usr/lib/wine/wine64
[ -x "$VK_WINE64" ] || VK_WINE64="$(command -v wine64 || command -v wine)"
VK_WINE32=/usr/lib/wine/wine
[ -x "$VK_WINE32" ] || VK_WINE32="$(command -v wine)"
VK_WINESERVER=/usr/lib/wine/wineserver
[ -x "$VK_WINESERVER" ] || VK_WINESERVER="$(command -v wineserver)"

# Every Wine process runs in code page 949, as on a Korean Windows.
vk_wine_env() { env LC_ALL=ko_KR.UTF-8 "$@"; }

# 0 when this machine can start 32-bit Linux programs (32-bit Wine needs them).
vk_can_run_32bit() {
  local cache="$VK_ROOT/build/.can-run-32bit"
  if [ ! -f "$cache" ]; then
    mkdir -p "$VK_ROOT/build"
    # Both the kernel's 32-bit execution and 32-bit Wine (package wine32) are needed.
    if [ -x /usr/lib/wine/wine ] && [ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --help >/dev/null 2>&1; then echo yes >"$cache"; else echo no >"$cache"; fi
  fi
  [ "$(cat "$cache")" = yes ]
}

# The machine type of a PE file: 32 or 64.
vk_pe_bits() {
  local off machine
  off=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  machine=$(od -An -tx2 -j$((off + 4)) -N2 "$1" | tr -d ' ')
  if [ "$machine" = "014c" ]; then echo 32; else echo 64; fi
}

# Creates the prefix once: code page 949, and the Korean face "굴림" mapped to NanumGothic.
# Windows are unmanaged unless VK_WINE_MANAGED=1: a virtual display has no window manager, and
# Wine would wait two seconds for one whenever a window is hidden or destroyed. The X input
# method is off there too: in the Korean locale its window was sometimes unmapped after it was
# gone, and the X error ended the program. A person's own display (scripts/run) uses a prefix of
# its own with managed windows and the input method.
vk_wine_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.vk-ready-3" ]; then
      echo "wine: creating the prefix $WINEPREFIX" >&2
      vk_wine_env "$VK_WINE64" wineboot -i >/dev/null 2>&1 || true
      vk_wine_env "$VK_WINE64" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v '굴림' /t REG_SZ /d 'NanumGothic' /f >/dev/null 2>&1 || true
      vk_wine_env "$VK_WINE64" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Gulim' /t REG_SZ /d 'NanumGothic' /f >/dev/null 2>&1 || true
      # The classic look, as the program was made for: Wine's default visual style draws every
      # scroll bar change through its theme, several times slower.
      vk_wine_env "$VK_WINE64" reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' /v ThemeActive /t REG_SZ /d 0 /f >/dev/null 2>&1 || true
      vk_wine_env "$VK_WINE64" reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' /v DllName /f >/dev/null 2>&1 || true
      if [ "${VK_WINE_MANAGED:-0}" != 1 ]; then
        vk_wine_env "$VK_WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || true
        vk_wine_env "$VK_WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v UseXIM /t REG_SZ /d N /f >/dev/null 2>&1 || true
      fi
      "$VK_WINESERVER" -w || true
      touch "$WINEPREFIX/.vk-ready-3"
    fi
  ) 9>"$(dirname "$WINEPREFIX")/.wineprefix.lock"
}

# Starts Xvfb on a free display when there is none; sets VK_XVFB_PID (empty when not started).
vk_ensure_display() {
  VK_XVFB_PID=""
  if [ -n "${DISPLAY:-}" ]; then return 0; fi
  local n
  for n in $(seq 90 130); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      VK_XVFB_PID=$!
      for _ in $(seq 1 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
      done
      export DISPLAY=":$n"
      return 0
    fi
  done
  echo "no free X display number" >&2
  return 1
}

vk_stop_display() {
  if [ -n "${VK_XVFB_PID:-}" ]; then kill "$VK_XVFB_PID" 2>/dev/null || true; wait "$VK_XVFB_PID" 2>/dev/null || true; fi
  VK_XVFB_PID=""
}

# Passes code page 949 text from stdin to stdout as UTF-8, as it arrives (a character split
# between two reads waits for its second byte); a byte that is not code page 949 text becomes
# \xNN. For a terminal that shows UTF-8.
vk_cp949_to_utf8() {
  perl -MEncode -e '
    $| = 1;
    binmode STDIN; binmode STDOUT;
    my $pending = "";
    while (sysread(STDIN, my $chunk, 65536)) {
      $pending .= $chunk;
      while (length $pending) {
        my $text = Encode::decode("cp949", $pending, Encode::FB_QUIET);
        print Encode::encode("UTF-8", $text);
        last if !length $pending;
        # What is left begins with a byte that cannot start text here: a lead byte whose
        # second byte has not come yet waits, anything else is shown as its value.
        last if length($pending) == 1 && ord($pending) >= 0x81;
        printf "\\x%02X", ord(substr($pending, 0, 1, ""));
      }
    }
    printf "\\x%02X", ord($_) for split //, $pending;
  '
}
