# Shared by the peer benchmarks (sourced): timing one command, and printing
# rows of timings against the first row's wall time.

measure() {  # measure LABEL COMMAND... -> "LABEL wall cpu maxrss_kB"
    local label=$1; shift
    local out; out=$(mktemp)
    /usr/bin/time -f "%e %U %S %M" -o "$out" "$@" > /dev/null 2>&1
    read -r wall user sys rss < "$out"; rm -f "$out"
    echo "$label $wall $(echo "$user + $sys" | bc) $rss"
}

print_rows() {  # print_rows TITLE ROW... (the first row is the peer the others are compared with,
               # named by PEER_NAME, vips unless set)
    local title=$1; shift
    local peer; peer=$(echo "$1" | awk '{print $2}')
    printf '%-30s %8s %8s %10s %10s\n' "$title" wall_s cpu_s peak_MB "wall/${PEER_NAME:-vips}"
    local row label wall cpu rss
    for row in "$@"; do
        read -r label wall cpu rss <<< "$row"
        printf '%-30s %8.2f %8.2f %10.1f %10.2f\n' "$label" "$wall" "$cpu" "$(echo "$rss / 1024" | bc -l)" \
            "$(echo "$wall / $peer" | bc -l)"
    done
}
