#!/bin/bash
# The real service on the real clock: one cycle that starts many message
# boxes leaves no zombie behind; each started program gets default signal
# handling and not the service's lock; a second copy is refused with status 0.
source "$(dirname "$0")/common.sh" "$1"

# This recorder also notes whether it holds the lock file and which signals it
# ignores or blocks (1 to 31; the C library keeps 32 and 33 to itself).
cat > "$work/bin/ruvellomsgbox" <<RECORDER
#!/bin/bash
held=\$(ls -l /proc/\$\$/fd/ 2>/dev/null | grep -c 'ruvelloservice.lock')
read -r uptime _ < /proc/uptime
printf '%s|%s\n' "\$uptime" "\$1" >> '$log'
exec awk -v held="\$held" '/^Sig(Blk|Ign)/ { printf "%s%s ", \$1, substr(\$2, 9) } END { print "lock:" held }' /proc/self/status >> '$work/state'
RECORDER

today=$(date +%d)
writefile config.dat 7 3
lines=()
for i in $(seq 1 100); do lines+=("$today - reminder $i"); done
writefile monthly_alerts.dat "${lines[@]}"

"$work/bin/ruvelloservice" > "$work/out" 2> "$work/err" &
servicepid=$!
waitlines 100 60
[ "$(wc -l < "$log")" -eq 100 ] || fail "expected 100 announcements"
# Once no box runs any more, each has ended: one the service did not reap
# stays behind as a zombie.
livechildren() { ps -o stat= --ppid "$servicepid" | grep -vc '^Z'; }
for _ in $(seq 600); do [ "$(livechildren)" -eq 0 ] && break; sleep 0.1; done
[ "$(livechildren)" -eq 0 ] || fail "the message boxes did not end within 60 seconds"
zombies=$(ps -o stat= --ppid "$servicepid" | grep -c '^Z')
[ "$zombies" -eq 0 ] || fail "$zombies zombie processes left behind"
# Signal 32 belongs to the C library and is left out of the comparison.
bad=$(grep -vc '^SigBlk:[08]0000000 SigIgn:[08]0000000 lock:0$' "$work/state")
[ "$bad" -eq 0 ] || fail "started programs inherited signal state or the lock: $(sort -u "$work/state")"

# A second copy finds the first and leaves it the work.
timeout 10 "$work/bin/ruvelloservice" > "$work/out2" 2> "$work/err2"
second=$?
[ "$second" -eq 0 ] || fail "the second copy ended with status $second"
[ "$(cat "$work/err2")" == "Ruvello service is already running." ] || fail "second copy said: $(cat "$work/err2")"
[ ! -s "$work/out2" ] || fail "second copy wrote: $(cat "$work/out2")"
# A box of the second copy would run as no child of the first: once no
# recorder runs, all it could have announced is in the log.
for _ in $(seq 600); do pgrep -f "$work/bin/ruvellomsgbox" >/dev/null || break; sleep 0.1; done
[ "$(wc -l < "$log")" -eq 100 ] || fail "the second copy announced"
stopservice

# The lock goes with the process: a new copy starts once the first is gone.
"$work/bin/ruvelloservice" > "$work/out" 2> "$work/err" &
servicepid=$!
waitlines 200 60
stopservice
[ ! -s "$work/err" ] || fail "unexpected standard error: $(cat "$work/err")"
echo "instance: passed"
