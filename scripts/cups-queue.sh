#!/usr/bin/env bash
# Starts cupsd when it is not running and adds the cups-pdf queue BillPDF. Returns non-zero
# when no queue can be made.
set -u
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
if ! lpstat -r >/dev/null 2>&1 || lpstat -r 2>&1 | grep -q "not running"; then
    $sudo mkdir -p /run/cups
    ($sudo cupsd >/dev/null 2>&1 || $sudo /usr/sbin/cupsd >/dev/null 2>&1) || true
    for _ in $(seq 1 30); do
        lpstat -r 2>/dev/null | grep -q "is running" && break
        sleep 0.2
    done
fi
lpstat -r 2>/dev/null | grep -q "is running" || exit 1
if ! lpstat -p BillPDF >/dev/null 2>&1; then
    ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
    [ -f "$ppd" ] || ppd=$(ls /usr/share/ppd/cups-pdf/*.ppd 2>/dev/null | head -n1)
    $sudo lpadmin -p BillPDF -E -v cups-pdf:/ -P "$ppd" || exit 1
    $sudo cupsenable BillPDF 2>/dev/null || true
    $sudo cupsaccept BillPDF 2>/dev/null || true
fi
exit 0
