#!/bin/sh
# link_at_source_date.sh SOURCE_DIR LINK-COMMAND...: runs a link of the
# Windows builds with SOURCE_DATE_EPOCH set, which the linker writes as the
# PE time stamp instead of the time of the link. Its value: the caller's, else
# the time of the source's last commit, else 0 (a source without history).
source_dir=$1
shift
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$source_dir" log -1 --format=%ct 2>/dev/null) || SOURCE_DATE_EPOCH=
    [ -n "$SOURCE_DATE_EPOCH" ] || SOURCE_DATE_EPOCH=0
fi
export SOURCE_DATE_EPOCH
exec "$@"
