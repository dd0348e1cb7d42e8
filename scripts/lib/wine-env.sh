# Sourced by scripts/test, scripts/run and the benchmarks: one Xvfb, one Wine
# prefix of the build's architecture and one warm wineserver for the whole
# run, stopped again on exit.

# Some machines cannot run 32-bit Linux programs at all (the kernel's 32-bit
# emulation is switched off), and Wine's 32-bit half is one. There the
# Windows programs under test are the x86_64 build in a 64-bit prefix.
wine32_runs() {
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

# The architecture whose build runs under Wine here: i686 where Wine's
# 32-bit half runs, x86_64 where it cannot.
wine_build_arch() {
    if wine32_runs; then echo i686; else echo x86_64; fi
}

# Puts small wine, wineboot and wineserver commands first on the path that
# go straight to Wine's 64-bit half: Debian's own would pick the 32-bit one.
use_wine64_commands() {
    local bin=$1
    mkdir -p "$bin"
    printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' > "$bin/wine"
    printf '#!/bin/sh\nexec wine wineboot.exe "$@"\n' > "$bin/wineboot"
    printf '#!/bin/sh\nexec /usr/lib/wine/wineserver64 "$@"\n' > "$bin/wineserver"
    chmod +x "$bin/wine" "$bin/wineboot" "$bin/wineserver"
    export PATH="$bin:$PATH"
}

# wine_env_init TOP NAME [ARCH]: the prefix, home and commands for ARCH's
# build (i686 in a 32-bit prefix, x86_64 in a 64-bit one; by default the
# build that runs here).
wine_env_init() {
    local top=$1 name=$2 suffix=""
    QZ_WINE_BUILD_ARCH=${3:-$(wine_build_arch)}
    if [ "$QZ_WINE_BUILD_ARCH" = i686 ]; then
        export WINEARCH=win32
    else
        export WINEARCH=win64
        suffix=-64
        use_wine64_commands "$top/build/wine64-commands"
    fi
    export WINEDEBUG=-all
    # No Mono or Gecko install prompts.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    # The ANSI code page must be known: C.UTF-8 gives Windows-1252.
    export LC_ALL=C.UTF-8
    # wineboot links the prefix's folders into $HOME, and the recycle bin is
    # $HOME/.local/share/Trash: keep both inside the build folder.
    export HOME="$top/build/wine-home-$name$suffix"
    export WINEPREFIX="$top/build/wineprefix-$name$suffix"
    QZ_TEMPLATE="$top/build/wine-template$suffix"
    mkdir -p "$HOME"
}

# Starts Xvfb on a free display unless one is given; sets DISPLAY. Several
# test runs may start at once, so a display that is taken is skipped. The
# screen is 1024x768x24 unless QUENZEL_XVFB_SCREEN names another (the
# gallery's pictures at 150 % need a larger one).
start_xvfb() {
    local n candidates
    if [ -n "${QUENZEL_DISPLAY:-}" ]; then
        candidates=$QUENZEL_DISPLAY
    else
        candidates=$(seq $((90 + RANDOM % 50)) 199)
    fi
    for n in $candidates; do
        [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 "${QUENZEL_XVFB_SCREEN:-1024x768x24}" -nolisten tcp >/dev/null 2>&1 &
        QZ_XVFB_PID=$!
        local i
        for i in $(seq 1 50); do
            if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$QZ_XVFB_PID" 2>/dev/null; then
                export DISPLAY=":$n"
                return 0
            fi
            kill -0 "$QZ_XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill "$QZ_XVFB_PID" 2>/dev/null || true
    done
    echo "Xvfb could not start" >&2
    return 1
}

# Says which set-up step failed, on stderr, and fails: the run stops there
# rather than with tests that fail for a reason they do not name.
setup_failed() {
    echo "set-up failed: $*" >&2
    return 1
}

# A prepared prefix is made once (wineboot takes 12 s or more) and copied
# for every run, so each run starts from a fresh prefix.
make_wine_template() {
    local stamp="$QZ_TEMPLATE/.quenzel-stamp" want
    want="$(wine --version 2>/dev/null) $(uname -m) $WINEARCH v3"
    if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ]; then
        return 0
    fi
    echo "wine: preparing a $WINEARCH prefix (once)"
    rm -rf "$QZ_TEMPLATE"
    WINEPREFIX="$QZ_TEMPLATE" wineboot -i >/dev/null 2>&1 ||
        { rm -rf "$QZ_TEMPLATE"; setup_failed "wineboot could not make the Wine prefix $QZ_TEMPLATE"; return 1; }
    # Without a window manager, unmanaged windows let GUI programs end at once.
    WINEPREFIX="$QZ_TEMPLATE" wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 ||
        { rm -rf "$QZ_TEMPLATE"; setup_failed "the Wine prefix's window setting could not be written"; return 1; }
    # A crashing program must end at once, its backtrace in the log: Wine's
    # crash dialog would hold the test's pipes until CTest's time-out.
    WINEPREFIX="$QZ_TEMPLATE" wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        >/dev/null 2>&1 ||
        { rm -rf "$QZ_TEMPLATE"; setup_failed "the Wine prefix's crash setting could not be written"; return 1; }
    # The server writes the registry files when it ends.
    WINEPREFIX="$QZ_TEMPLATE" wineserver -w
    [ -f "$QZ_TEMPLATE/system.reg" ] ||
        { rm -rf "$QZ_TEMPLATE"; setup_failed "the Wine prefix $QZ_TEMPLATE has no registry"; return 1; }
    echo "$want" > "$stamp" || setup_failed "the Wine prefix's stamp $stamp could not be written"
}

fresh_wine_prefix() {
    make_wine_template || return 1
    rm -rf "$WINEPREFIX"
    cp -a "$QZ_TEMPLATE" "$WINEPREFIX" || setup_failed "the Wine prefix could not be copied to $WINEPREFIX" || return 1
    # A fresh prefix gets an empty recycle bin: an earlier run's leftovers
    # would make Wine rename what the tests put there.
    rm -rf "$HOME/.local/share/Trash"
}

start_wineserver() {
    wineserver -p || setup_failed "the wine server did not start" || return 1
    # A trivial start makes the server and the prefix's services warm.
    wine cmd /c exit 0 >/dev/null 2>&1 || setup_failed "wine cannot run a program in $WINEPREFIX"
}

# A small volume, mapped as Wine drive Q:, lets tests fill a disk. It needs
# the right to mount; without it the tests that need it say they are skipped.
mount_small_volume() {
    local dir="$WINEPREFIX-small-volume"
    mkdir -p "$dir" || setup_failed "the small volume's folder $dir could not be made" || return 1
    if mount -t tmpfs -o size=1m quenzel-small "$dir" 2>/dev/null; then
        QZ_SMALL_VOLUME=$dir
        ln -sfn "$dir" "$WINEPREFIX/dosdevices/q:" || setup_failed "the small volume could not be mapped as Q:" ||
            return 1
        export QUENZEL_SMALL_DRIVE="Q:"
    else
        echo "tests: no small volume (mount not permitted); the full-disk tests are skipped"
    fi
}

# Wine's subst.exe maps nothing: the tests' own stand-in (tests/tools/subst,
# built with the architecture that runs here) replaces it in the prefix's
# system folder, and the override makes Wine run the file, not its builtin.
install_subst_standin() {
    local standin="$1/build/$QZ_WINE_BUILD_ARCH/tests/tools/subst/subst.exe"
    if [ ! -f "$standin" ]; then
        echo "tests: no subst stand-in at $standin; folder-drive tests cannot mount" >&2
        return 0
    fi
    cp "$standin" "$WINEPREFIX/drive_c/windows/system32/subst.exe" ||
        setup_failed "the subst stand-in could not be copied into the prefix" || return 1
    export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;subst.exe=n"
}

stop_wine_env() {
    [ -n "${QZ_SMALL_VOLUME:-}" ] && umount "$QZ_SMALL_VOLUME" >/dev/null 2>&1 || true
    [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
    [ -n "${QZ_XVFB_PID:-}" ] && kill "$QZ_XVFB_PID" >/dev/null 2>&1 || true
    wait 2>/dev/null || true
}
