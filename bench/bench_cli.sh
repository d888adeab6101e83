#!/bin/sh
# The command line against its targets, run by hand:
#   bench/bench_cli.sh [build folder]            (default: build)
# 1. `batch` of 1,000 orders with 1-6 goods lines each into a PDF: wall time and peak memory
#    (/usr/bin/time -v), against 3 s and 150 MiB (any 1,000 orders: 2 s);
#    once with plain goods texts and once with the signs of real goods names (M8×30, Φ8, Ø8,
#    20×2, O'Ring 密封圈, 2mm: signs among digits, and a second font for the signs the CJK face
#    lacks), whose PDF must read back with every value. The same 1,000 records are merged by the
#    Debian label designer's batch tool (glabels-3-batch or glabels-batch-qt) into a PDF of
#    one label per record, side by side, when it is installed; otherwise it is skipped with a note.
# 2. `print --note` from start to the page handed over (the process's whole run), median of 7,
#    against 300 ms.
# Beside each wall time the processor time (user + system) is given: on a machine shared with
# other work the wall time grows with the load, the processor time hardly.
set -eu
BUILD=${1:-build}
BIN=$(cd "$BUILD/src/app" && pwd)/overprint
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
HOME_DIR=$WORK/home

# 1,000 orders; order n has 1 + n mod 6 goods lines. The label records carry the same values,
# the goods lines of an order joined into its record.
awk -v dir="$WORK" 'BEGIN {
    orders = dir "/orders.csv"; lines = dir "/details.csv"; labels = dir "/labels.csv";
    print "订单号,客户全称,客户联系人,客户电话,客户手机,客户地址,备注" > orders;
    print "订单号,货号,商品名,规格,单位,数量,单价" > lines;
    header = "order,customer,contact,phone,mobile,address";
    for (l = 1; l <= 6; ++l) header = header ",line" l;
    print header > labels;
    for (n = 1; n <= 1000; ++n) {
        id = sprintf("BENCH%06d", n);
        customer = sprintf("上海金源贸易有限公司%d号", n);
        address = sprintf("上海市浦东新区科技园路%d号", n);
        printf "%s,%s,陈艳,021-6131%04d,1381590%04d,%s,\n", id, customer, n, n, address >> orders;
        record = sprintf("%s,%s,陈艳,021-6131%04d,1381590%04d,%s", id, customer, n, n, address);
        count = 1 + n % 6;
        for (l = 1; l <= 6; ++l) {
            if (l <= count) {
                printf "%s,HH-%d,商品%d,型号%d,台,%d,%d.50\n", id, l, l, l, l, 10 + l >> lines;
                record = record sprintf(",HH-%d 商品%d 型号%d 台 %d %d.50", l, l, l, l, 10 + l);
            } else {
                record = record ",";
            }
        }
        print record >> labels;
    }
}'
# The same orders with the goods texts of real goods names.
awk -v dir="$WORK" 'BEGIN {
    orders = dir "/symbol-orders.csv"; lines = dir "/symbol-details.csv";
    print "订单号,客户全称,客户联系人,客户电话,客户手机,客户地址,备注" > orders;
    print "订单号,货号,商品名,规格,单位,数量,单价" > lines;
    split("螺栓 M8×30|垫圈 Φ8|方管 20×2|O'"'"'Ring 密封圈|铝板 2mm|六角螺母 Ø8 M10", names, "|");
    split("M8×30|Φ8 Ø8|20×2|Φ12 O'"'"'Ring|2mm|M10", specs, "|");
    for (n = 1; n <= 1000; ++n) {
        id = sprintf("HX%06d", n);
        printf "%s,上海金源贸易有限公司%d号,陈艳,021-6131%04d,1381590%04d,上海市浦东新区科技园路%d号,\n", id, n, n, n, n >> orders;
        count = 1 + n % 6;
        for (l = 1; l <= count; ++l)
            printf "%s,HH-%d,%s,%s,个,%d,%d.50\n", id, l, names[l], specs[l], l, 10 + l >> lines;
    }
}'

"$BIN" --home "$HOME_DIR" notes >/dev/null 2>&1 # the program folder is made once, unmeasured

# Seconds of a "[h:]mm:ss.ss" time.
seconds() {
    echo "$1" | awk -F: '{ s = 0; for (i = 1; i <= NF; ++i) s = s * 60 + $i; printf "%.2f", s }'
}

# label, command...: prints wall seconds, processor seconds (user + system: what the run cost
# whatever else the machine was doing) and peak MiB from /usr/bin/time -v; WALL keeps the wall.
measure() {
    label=$1
    shift
    WALL=""
    /usr/bin/time -v "$@" >"$WORK/out.txt" 2>"$WORK/time.txt" || {
        echo "$label: failed"
        tail -5 "$WORK/time.txt"
        return 0
    }
    WALL=$(seconds "$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$WORK/time.txt")")
    user=$(sed -n 's/.*User time (seconds): //p' "$WORK/time.txt")
    system=$(sed -n 's/.*System time (seconds): //p' "$WORK/time.txt")
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$WORK/time.txt")
    echo "$label: wall ${WALL} s  processor $(echo "$user $system" | awk '{ printf "%.2f", $1 + $2 }') s  peak $((rss / 1024)) MiB"
}

echo "batch of 1,000 orders (1-6 lines) into a PDF (targets: 3 s, 150 MiB)"
echo "  (load average before the run: $(cut -d' ' -f1 /proc/loadavg))"
measure "  overprint batch" "$BIN" --home "$HOME_DIR" batch --orders "$WORK/orders.csv" --details "$WORK/details.csv" \
    --pdf "$WORK/overprint.pdf"
OWN_WALL=$WALL
echo "    pages: $(pdfinfo "$WORK/overprint.pdf" 2>/dev/null | sed -n 's/^Pages: *//p')"
measure "  overprint batch, goods names with signs" "$BIN" --home "$HOME_DIR" batch --orders "$WORK/symbol-orders.csv" \
    --details "$WORK/symbol-details.csv" --pdf "$WORK/symbols.pdf"
pdftotext -raw "$WORK/symbols.pdf" "$WORK/symbols.txt" 2>/dev/null || true
echo "    pages: $(pdfinfo "$WORK/symbols.pdf" 2>/dev/null | sed -n 's/^Pages: *//p'), order numbers read back:" \
    "$(grep -c 'HX[0-9]\{6\}' "$WORK/symbols.txt" 2>/dev/null || true), lines \"螺栓 M8×30 M8×30\" read back:" \
    "$(grep -c '螺栓 M8×30 M8×30' "$WORK/symbols.txt" 2>/dev/null || true) (1000 each)"

PEER=$(command -v glabels-3-batch || command -v glabels-batch-qt || true)
if [ -n "$PEER" ]; then
    # One label the size of the form, the order's values where the form has its boxes.
    {
        echo '<?xml version="1.0"?>'
        echo '<Glabels-document xmlns="http://glabels.org/xmlns/3.0/">'
        echo '<Template brand="Bench" part="note" size="Other" _description="note" width="241mm" height="140mm">'
        echo '<Label-rectangle id="0" width="241mm" height="140mm" round="0pt" x_waste="0pt" y_waste="0pt">'
        echo '<Markup-margin size="0pt"/><Layout nx="1" ny="1" x0="0pt" y0="0pt" dx="241mm" dy="140mm"/>'
        echo '</Label-rectangle></Template><Objects id="0" rotate="False">'
        y=10
        for field in order customer contact phone mobile address line1 line2 line3 line4 line5 line6; do
            echo "<Object-text x=\"10mm\" y=\"${y}mm\" w=\"200mm\" h=\"8mm\" justify=\"Left\" valign=\"Top\" auto_shrink=\"False\" a0=\"1\" a1=\"0\" a2=\"0\" a3=\"1\" a4=\"0\" a5=\"0\">"
            echo "<Span font_family=\"Noto Sans CJK SC\" font_size=\"10\" font_weight=\"Regular\" font_italic=\"False\" color=\"0x000000ff\" line_spacing=\"1\"><Field name=\"$field\"/></Span></Object-text>"
            y=$((y + 10))
        done
        echo "</Objects><Merge type=\"Text/Comma/Line1Keys\" src=\"$WORK/labels.csv\"/></Glabels-document>"
    } >"$WORK/note.glabels"
    measure "  $(basename "$PEER")" "$PEER" -i "$WORK/labels.csv" -o "$WORK/peer.pdf" "$WORK/note.glabels"
    peer_pages=$(pdfinfo "$WORK/peer.pdf" 2>/dev/null | sed -n 's/^Pages: *//p')
    echo "    pages: $peer_pages"
    [ "$peer_pages" = 1000 ] || echo "    (the merge did not give one page per record: its figures are not comparable)"
    if [ -n "$OWN_WALL" ] && [ -n "$WALL" ]; then
        echo "  the peer took $(echo "$WALL $OWN_WALL" | awk '{ printf "%.1f", $1 / $2 }') times as long (target: at least 5)"
    fi
else
    echo "  label designer batch merge: skipped, neither glabels-3-batch nor glabels-batch-qt is installed"
    echo "  (apt-get install glabels to compare)"
fi

echo "print --note to a PDF, whole run (target 300 ms), median of 7"
sqlite3 "$HOME_DIR/Data/EPData.ini" "insert into DataCheckFHDSHD (票据编号,模板种类,币种,合计金额,出票日期,顾客名称,票据状态) values ('BENCH-1','标准','人民币','30.00','2026-12-01 10:00:00','南方商贸','正常'); insert into DataCheckFHDSHDDetail (票据编号,序号,商品名,数量,单价,金额) values ('BENCH-1',1,'螺丝','3','10','30.00');"
times=""
cpu=""
for i in 1 2 3 4 5 6 7; do
    /usr/bin/time -f "%e %U %S" -o "$WORK/note-time.txt" "$BIN" --home "$HOME_DIR" print --note BENCH-1 \
        --pdf "$WORK/note.pdf" >/dev/null 2>&1
    times="$times $(awk '{ printf "%d", $1 * 1000 }' "$WORK/note-time.txt")"
    cpu="$cpu $(awk '{ printf "%d", ($2 + $3) * 1000 }' "$WORK/note-time.txt")"
done
echo "  runs (ms):$times"
echo "  median: $(echo $times | tr ' ' '\n' | sort -n | sed -n 4p) ms, processor median:" \
    "$(echo $cpu | tr ' ' '\n' | sort -n | sed -n 4p) ms (load average $(cut -d' ' -f1 /proc/loadavg))"
