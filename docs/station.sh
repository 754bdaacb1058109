#!/bin/sh
# A production station: write a configuration into a printer, prove it with verify, and keep what
# the printer holds afterwards. Run it in the folder that holds the model's .map and .opt files.
# One port at a time; for many printers at once, with a log per printer and a timeout, use
# varnel-station (docs/station.md).
#
# Usage: station.sh <port> <configuration file> [read-back file]
# Exit status: 0 the printer holds the configuration, 1 it does not, 2 wrong usage.

if [ $# -lt 2 ]; then
    echo "usage: $0 <port> <configuration file> [read-back file]" >&2
    exit 2
fi
port=$1
cfg=$2
readback=${3:-read-back.cfg}

# "sa": no message boxes; "exit": no main window; --strict: a run in which an action failed or an
# error was reported ends with exit code 4 instead of 0, so every step can be checked.

# 1. Write.
varnel --strict sa "port:$port" "readfile:$cfg" writecfg exit
if [ $? -ne 0 ]; then
    echo "station: writing $cfg to the printer on $port failed; see Varnel.log" >&2
    exit 1
fi

# 2. Verify: exit code 1 means the printer holds the configuration (4: it does not, or it could
#    not be read).
varnel --strict sa "port:$port" "readfile:$cfg" verify
if [ $? -ne 1 ]; then
    echo "station: the printer on $port does not hold $cfg; see Varnel.log" >&2
    exit 1
fi

# 3. Read the printer back into a file for the station's records. A read that fails ends with 4
#    and never replaces an existing file with an empty configuration.
varnel --strict sa "port:$port" readcfg "writefile:$readback" exit
if [ $? -ne 0 ]; then
    echo "station: could not read the printer back; see Varnel.log" >&2
    exit 1
fi
echo "station: $cfg written to the printer on $port and verified; read back into $readback"
