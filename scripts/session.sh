# Sourced by the scripts that run Windows programs. session_start brings up
# what they need and session_stop ends exactly what session_start started:
#   - the project's Wine prefix (build/wine), created on first use;
#   - an X display: $DISPLAY if set, otherwise Xvfb on a free display number;
#   - a user PulseAudio server with a null sink named "null" (runtime under build/);
#   - a CUPS server of its own (socket under build/cups) whose default printer
#     "PDF" writes each job as a PDF into $PRINT_DIR;
#   - one Wine server kept up for the whole run;
#   - the controls (Rewyn.dll, the remote-function stand-ins) of both builds
#     registered in the prefix with regsvr32 of their bitness, once built.
# It exports WINE_RUNS_32BIT: 1 where Wine can run 32-bit programs here, 0
# where its 32-bit loader does not run (some virtual machines' kernels run
# no 32-bit x86 code at all); then Wine runs the 64-bit programs only.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}

# The 32-bit tree's suites (ctest arguments): Ostra's, and those that depend
# on the bitness but for the long ones whose checks do not.
i686_suites="-L ostra|both_bitnesses -LE one_bitness"

export WINEPREFIX=$build/wine
export WINEDEBUG=-all
# No Mono or Gecko installer; no menu entries or file types handed to the desktop.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
export PULSE_RUNTIME_PATH=$build/pulse
export PULSE_SERVER=unix:$PULSE_RUNTIME_PATH/native
export PULSE_SINK=null

_xvfb_pid=
_pulse_pid=
_listener_pid=
_wineserver_up=
_cups_pid=
_cups_pdf_conf=

_start_xvfb() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n=90
  while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
  Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >"$build/xvfb.log" 2>&1 &
  _xvfb_pid=$!
  export DISPLAY=:$n
  for _ in $(seq 100); do
    [ -e /tmp/.X11-unix/X$n ] && return 0
    sleep 0.1
  done
  echo "session: Xvfb did not start (see $build/xvfb.log)" >&2
  return 1
}

_start_pulse() {
  mkdir -p "$PULSE_RUNTIME_PATH"
  cat >"$PULSE_RUNTIME_PATH/default.pa" <<PA
load-module module-null-sink sink_name=null rate=48000
load-module module-native-protocol-unix auth-anonymous=1 socket=$PULSE_RUNTIME_PATH/native
set-default-sink null
PA
  HOME=$PULSE_RUNTIME_PATH pulseaudio -n -F "$PULSE_RUNTIME_PATH/default.pa" \
    --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disallow-exit \
    >"$build/pulse.log" 2>&1 &
  _pulse_pid=$!
  for _ in $(seq 100); do
    if pactl info >/dev/null 2>&1; then
      # A null sink renders in blocks of up to 2 s unless someone listens with a
      # short latency; this listener keeps it in real time, so what tests play
      # reaches the monitor whole and on time. It settles while Wine starts.
      parec -d null.monitor --latency-msec=10 --raw >/dev/null 2>&1 &
      _listener_pid=$!
      return 0
    fi
    sleep 0.1
  done
  echo "session: PulseAudio did not start (see $build/pulse.log)" >&2
  return 1
}

_start_cups() {
  local dir=$build/cups
  rm -rf "$dir"
  mkdir -p "$dir"/{spool,cache,state,log,tmp,pdf,pdf-spool}
  chmod 755 "$dir" "$dir/pdf"
  # The PDF backend reads its settings from /etc/cups by the queue's name:
  # one file for this session, removed when it stops.
  local instance
  instance=session$(printf %s "$build" | md5sum | cut -c1-10)
  _cups_pdf_conf=/etc/cups/cups-pdf-$instance.conf
  cat >"$_cups_pdf_conf" <<CONF
Out $dir/pdf
AnonDirName $dir/pdf
Spool $dir/pdf-spool
Label 0
CONF
  cat >"$dir/cups-files.conf" <<CONF
ServerRoot $dir
RequestRoot $dir/spool
CacheDir $dir/cache
StateDir $dir/state
TempDir $dir/tmp
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
SystemGroup root
CONF
  cat >"$dir/cupsd.conf" <<CONF
Listen $dir/cups.sock
LogLevel warn
Browsing Off
DefaultAuthType None
WebInterface No
<Location />
  Order allow,deny
  Allow all
</Location>
CONF
  cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" >"$dir/log/cupsd.out" 2>&1 &
  _cups_pid=$!
  export CUPS_SERVER=$dir/cups.sock
  export PRINT_DIR=$dir/pdf
  for _ in $(seq 100); do
    if [ -S "$dir/cups.sock" ] && lpstat -r >/dev/null 2>&1; then
      # (lpadmin warns that printer drivers are deprecated: into the log with it)
      lpadmin -p PDF -E -v "cups-pdf:/$instance" -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>>"$dir/log/lpadmin" &&
        lpadmin -d PDF && return 0
      break
    fi
    sleep 0.1
  done
  echo "session: CUPS did not start (see $dir/log)" >&2
  return 1
}

# Wine's 32-bit loader is itself a 32-bit Linux program: if it cannot start,
# nothing 32-bit can. Debian's wine and wine-stable pick that loader whenever
# it is installed, so they are then replaced, for this session, by the 64-bit one.
_check_32bit() {
  local why
  if why=$(/usr/lib/wine/wine --version 2>&1); then
    export WINE_RUNS_32BIT=1
    return 0
  fi
  export WINE_RUNS_32BIT=0
  echo "session: Wine's 32-bit loader does not run on this machine (${why##*: }); Wine runs 64-bit programs only" >&2
  local dir=$build/wine64-only name
  mkdir -p "$dir"
  for name in wine wine-stable; do
    printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$dir/$name"
    chmod +x "$dir/$name"
  done
  export PATH=$dir:$PATH
}

_start_wine() {
  # A prefix made before 32-bit Wine was installed has no 32-bit system, and
  # 32-bit programs fail in it ("could not load kernel32.dll"): make it anew.
  if [ "$WINE_RUNS_32BIT" = 1 ] && [ -f "$WINEPREFIX/system.reg" ] && [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
    echo "session: remaking the Wine prefix $WINEPREFIX, which has no 32-bit system"
    rm -rf "$WINEPREFIX"
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "session: creating the Wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  wineserver -p
  _wineserver_up=1
  # A program that crashes ends at once instead of waiting in the crash dialog.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  # Start Wine's background services now, outside any test runner.
  wine cmd /c exit >/dev/null 2>&1
}

# The registry keeps the DLL's path, so a rebuilt DLL needs no new registration;
# it is redone each session all the same, in case the prefix is new. Each
# build's DLLs go into the registry view of their bitness. A registration
# that fails is tried once more; if it fails again, Wine's account of it is
# printed with regsvr32's exit code.
_register_controls() {
  local dir dll regsvr32 code log=$build/regsvr32.log failed=0
  for dir in win win32; do
    [ $dir = win32 ] && [ "$WINE_RUNS_32BIT" = 0 ] && continue
    regsvr32=regsvr32
    [ $dir = win32 ] && regsvr32='C:\windows\syswow64\regsvr32.exe'
    for dll in "$build/$dir/bin/Rewyn.dll" "$build/$dir/bin/remote_controls.dll"; do
      [ -f "$dll" ] || continue
      wine "$regsvr32" /s "$(winepath -w "$dll")" >/dev/null 2>&1 && continue
      WINEDEBUG=err+all,warn+module wine "$regsvr32" /s "$(winepath -w "$dll")" >"$log" 2>&1 && continue
      code=$?
      echo "session: regsvr32 could not register $dll (exit code $code); Wine said:" >&2
      grep -v ':fixme:' "$log" | tail -n 20 >&2
      failed=1
    done
  done
  return $failed
}

session_start() {
  mkdir -p "$build"
  trap session_stop EXIT
  # CUPS before Wine: Wine takes its printers and the default one from it.
  _check_32bit
  _start_xvfb && _start_pulse && _start_cups && _start_wine || return 1
  # A control that did not register fails the suites that create it, and
  # they say so; the others still run.
  _register_controls || echo "session: going on without that control" >&2
}

session_stop() {
  [ -n "$_wineserver_up" ] && wineserver -k 2>/dev/null && wineserver -w 2>/dev/null
  [ -n "$_listener_pid" ] && kill "$_listener_pid" 2>/dev/null && wait "$_listener_pid" 2>/dev/null
  [ -n "$_pulse_pid" ] && kill "$_pulse_pid" 2>/dev/null && wait "$_pulse_pid" 2>/dev/null
  [ -n "$_cups_pid" ] && kill "$_cups_pid" 2>/dev/null && wait "$_cups_pid" 2>/dev/null
  [ -n "$_cups_pdf_conf" ] && rm -f "$_cups_pdf_conf"
  [ -n "$_xvfb_pid" ] && kill "$_xvfb_pid" 2>/dev/null && wait "$_xvfb_pid" 2>/dev/null
  _wineserver_up= _listener_pid= _pulse_pid= _cups_pid= _cups_pdf_conf= _xvfb_pid=
  return 0
}
