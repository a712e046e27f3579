#!/usr/bin/env bash
# Checks the layer rule on the sources: includes point downwards only, and the Qt-free layers
# include no Qt header. From the top:
#   installer/  the composition root and main()      may include pages, app, xport, host
#   pages/      one unit per page                     may include app, xport, host
#   app/        the shell and its seams               may include xport, host
#   xport/net/  the telnet client (Qt Network)        may include xport, host
#   xport/      the XPort protocols, Qt-free          may include host
#   host/       Qt-free host services                 may include host only
# Prints every include that breaks the rule and exits with 1 when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

failures=0
# check FOLDER ALLOWED_PROJECT_FOLDERS QT_ALLOWED [EXCLUDED_SUBFOLDER]
check() {
    local folder=$1 allowed=$2 qt=$3 exclude=${4:-}
    local files
    files=$(find "$folder" -name '*.cpp' -o -name '*.h' | sort)
    [ -n "$exclude" ] && files=$(echo "$files" | grep -v "^$exclude/" || true)
    [ -n "$files" ] || return 0
    while IFS= read -r line; do
        local file=${line%%:*} rest=${line#*:}
        rest=${rest#*:}
        if [[ $rest =~ \#include\ \"([a-z-]+)/ ]]; then
            local target=${BASH_REMATCH[1]}
            if [ "$target" = "xport" ] && [[ $rest == *'"xport/net/'* ]]; then
                target="xport/net"
            fi
            if ! [[ " $allowed " == *" $target "* ]]; then
                echo "$line: $folder may not include $target/"
                failures=$((failures + 1))
            fi
        elif [[ $rest =~ \#include\ \<Q ]] && [ "$qt" = no ]; then
            echo "$line: $folder is Qt-free"
            failures=$((failures + 1))
        fi
    done < <(echo "$files" | xargs grep -Hn '^[[:space:]]*#[[:space:]]*include' || true)
}

check host "host" no
check xport "xport host" no xport/net
check xport/net "xport/net xport host" yes
check app "app xport xport/net host" yes
check pages "pages app xport xport/net host" yes
check installer "installer pages app xport xport/net host" yes

if [ "$failures" -gt 0 ]; then
    echo "layer check: $failures include(s) against the layer rule"
    exit 1
fi
echo "layer check: every include points downwards; host/ and xport/ are Qt-free"
