#!/bin/sh
# with_smtp_sink.sh WORK_DIR PROGRAM [ARGS...]
# Starts smtp_sink.py (Debian's aiosmtpd, seen by /usr/bin/python3) on a free
# loopback port, runs PROGRAM with TW_SMTP_SINK_PORT and TW_SMTP_SINK_FILE
# set, stops the sink and exits with PROGRAM's status.
set -u
work=$1; shift
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$work"
out="$work/received.txt"
rm -f "$out" "$work/sink.port"
/usr/bin/python3 "$here/smtp_sink.py" "$out" 600 >"$work/sink.port" 2>"$work/sink.log" &
sink=$!
trap 'kill "$sink" 2>/dev/null; wait "$sink" 2>/dev/null' EXIT
port=
i=0
while [ $i -lt 200 ]; do
  port=$(head -n 1 "$work/sink.port" 2>/dev/null)
  [ -n "$port" ] && break
  kill -0 "$sink" 2>/dev/null || break
  sleep 0.1
  i=$((i + 1))
done
if [ -z "$port" ]; then
  echo "with_smtp_sink.sh: the SMTP sink did not start:" >&2
  cat "$work/sink.log" >&2
  exit 1
fi
TW_SMTP_SINK_PORT=$port TW_SMTP_SINK_FILE=$out "$@"
status=$?
[ $status -eq 0 ] || cat "$work/sink.log" >&2
exit $status
