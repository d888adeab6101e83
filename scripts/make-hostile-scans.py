#!/usr/bin/env python3
"""Writes the hostile scan files the scan reader must refuse, each a few KB, built byte by byte:

    python3 scripts/make-hostile-scans.py [tests/data/hostile [tests/fuzz/corpus/scan]]

Every file is named scan-*. The same bytes are the fuzzing seeds of the scan reader, beside a few
small good scans of each format. The files are committed; run this again only to change them.
"""
import os
import struct
import sys
import zlib


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png(width, height, rows, dpi=0):
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    phys = png_chunk(b"pHYs", struct.pack(">IIB", round(dpi / 0.0254), round(dpi / 0.0254), 1)) if dpi else b""
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", ihdr) + phys
            + png_chunk(b"IDAT", zlib.compress(rows, 9)) + png_chunk(b"IEND", b""))


def jpeg_gray(width, height):
    """A baseline greyscale JPEG of flat grey: one-symbol Huffman tables make every block two
    zero bits (DC difference 0, end of block)."""
    def segment(marker, payload):
        return b"\xff" + bytes([marker]) + struct.pack(">H", len(payload) + 2) + payload
    jfif = segment(0xE0, b"JFIF\x00\x01\x01\x01" + struct.pack(">HH", 300, 300) + b"\x00\x00")
    dqt = segment(0xDB, b"\x00" + bytes([1] * 64))
    sof = segment(0xC0, b"\x08" + struct.pack(">HH", height, width) + b"\x01\x01\x11\x00")
    one_code = bytes([1] + [0] * 15) + b"\x00"
    dht = segment(0xC4, b"\x00" + one_code + b"\x10" + one_code)
    sos = segment(0xDA, b"\x01\x01\x00\x00\x3f\x00")
    bits = ((width + 7) // 8) * ((height + 7) // 8) * 2
    data = bytes(bits // 8) + (bytes([0xFF >> (bits % 8)]) if bits % 8 else b"")
    return b"\xff\xd8" + jfif + dqt + sof + dht + sos + data + b"\xff\xd9"


def tiff(ifds):
    """A little-endian TIFF of the given image file directories, each a list of (tag, type,
    values) plus the strip bytes; the strips follow the directories."""
    out = bytearray(b"II*\x00\x00\x00\x00\x00")
    sizes = [2 + 12 * (len(tags) + 2) + 4 for tags, _ in ifds]  # with the two strip tags
    strip_at = 8 + sum(sizes)
    offsets = []
    for tags, strip in ifds:
        offsets.append(len(out))
        entries = sorted(tags + [(273, 4, strip_at), (279, 4, len(strip))])
        out += struct.pack("<H", len(entries))
        for tag, kind, value in entries:
            out += struct.pack("<HHII", tag, kind, 1, value) if kind == 4 else \
                struct.pack("<HHIHH", tag, kind, 1, value, 0)
        out += b"\x00\x00\x00\x00"
        strip_at += len(strip)
    for i, at in enumerate(offsets[:-1]):
        out[at + sizes[i] - 4:at + sizes[i]] = struct.pack("<I", offsets[i + 1])
    out[4:8] = struct.pack("<I", offsets[0])
    for _, strip in ifds:
        out += strip
    return bytes(out)


def gray_tags(width, height, compression=1, samples=1):
    tags = [(256, 4, width), (257, 4, height), (258, 3, 8), (259, 3, compression),
            (262, 3, 2 if samples == 3 else 1), (278, 4, height)]
    if samples != 1:
        tags.append((277, 3, samples))
    return tags


def pdf(page_count):
    """A PDF of empty A4 pages, the page dictionaries packed into one compressed object stream
    with a cross-reference stream, so 500 pages take a few KB."""
    first_page = 3
    pages = b"<</Type/Pages/MediaBox[0 0 595 842]/Count %d/Kids[" % page_count + \
        b" ".join(b"%d 0 R" % (first_page + i) for i in range(page_count)) + b"]>>"
    bodies = [pages] + [b"<</Type/Page/Parent 2 0 R>>" for _ in range(page_count)]
    numbers = [2] + [first_page + i for i in range(page_count)]
    header, body = b"", b""
    for number, text in zip(numbers, bodies):
        header += b"%d %d " % (number, len(body))
        body += text + b" "
    objstm_number = first_page + page_count
    xref_number = objstm_number + 1
    packed = zlib.compress(header + body, 9)
    out = bytearray(b"%PDF-1.5\n")
    catalog_at = len(out)
    out += b"1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n"
    objstm_at = len(out)
    out += b"%d 0 obj<</Type/ObjStm/N %d/First %d/Filter/FlateDecode/Length %d>>stream\n" % (
        objstm_number, len(bodies), len(header), len(packed)) + packed + b"\nendstream endobj\n"
    xref_at = len(out)
    rows = [(0, 0, 0xFFFF), (1, catalog_at, 0)] + [(2, objstm_number, i) for i in range(len(bodies))] \
        + [(1, objstm_at, 0), (1, xref_at, 0)]
    table = zlib.compress(b"".join(struct.pack(">BIH", *row) for row in rows), 9)
    out += b"%d 0 obj<</Type/XRef/Size %d/W[1 4 2]/Root 1 0 R/Filter/FlateDecode/Length %d>>stream\n" % (
        xref_number, len(rows), len(table)) + table + b"\nendstream endobj\n"
    out += b"startxref\n%d\n%%%%EOF\n" % xref_at
    return bytes(out)


def pdf_plain(objects):
    """A PDF of the given numbered object bodies (1 the catalogue) with a plain cross-reference table."""
    out = bytearray(b"%PDF-1.4\n")
    offsets = []
    for number, body in enumerate(objects, start=1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    xref_at = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    out += b"".join(b"%010d 00000 n \n" % at for at in offsets)
    out += b"trailer<</Size %d/Root 1 0 R>>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref_at)
    return bytes(out)


def stream(dictionary, data):
    return b"<<" + dictionary + b"/Length %d>>stream\n" % len(data) + data + b"\nendstream"


def pdf_endless_drawing(depth, fanout):
    """One A4 page drawing a form that draws the next form `fanout` times, `depth` levels deep:
    fanout ** depth page-sized fills from a file of a few hundred bytes."""
    objects = [b"<</Type/Catalog/Pages 2 0 R>>",
               b"<</Type/Pages/Count 1/Kids[3 0 R]>>",
               b"<</Type/Page/Parent 2 0 R/MediaBox[0 0 595 842]/Resources<</XObject<</X 5 0 R>>>>"
               b"/Contents 4 0 R>>",
               stream(b"", b"/X Do")]
    for level in range(depth):
        form = b"/Type/XObject/Subtype/Form/BBox[0 0 595 842]"
        if level + 1 < depth:
            objects.append(stream(form + b"/Resources<</XObject<</X %d 0 R>>>>" % (6 + level),
                                  b" ".join([b"/X Do"] * fanout)))
        else:
            objects.append(stream(form, b"0.5 g 0 0 595 842 re f"))
    return pdf_plain(objects)


def good_seeds():
    """Small scans that are read, so that fuzzing starts from every format's way through."""
    rows = b"".join(b"\x00" + bytes((x + y) % 256 for x in range(3 * 200)) for y in range(150))
    return {"good-200x150-300dpi.png": png(200, 150, rows, dpi=300),
            "good-160x120-300dpi.jpg": jpeg_gray(160, 120),
            "good-160x120.tif": tiff([(gray_tags(160, 120, compression=8), zlib.compress(bytes(range(160)) * 120, 9))]),
            "good-one-empty-page.pdf": pdf(1)}


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "tests/data/hostile"
    corpus = sys.argv[2] if len(sys.argv) > 2 else "tests/fuzz/corpus/scan"
    files = {}
    # Declares 100,000 x 100,000 pixels (30 GB decoded) over a few rows of data.
    files["scan-png-100000x100000.png"] = png(100000, 100000, bytes(3 * 100000 + 1) * 4)
    # A scan whose copy broke off: the entropy-coded data stops halfway, no end marker.
    whole = jpeg_gray(1600, 1200)
    files["scan-jpeg-truncated.jpg"] = whole[:len(whole) // 2]
    files["scan-pdf-500-pages.pdf"] = pdf(500)
    files["scan-pdf-endless-drawing.pdf"] = pdf_endless_drawing(9, 10)
    # Declares 60,000 x 60,000 pixels; its one deflate strip would inflate to 3.6 GB.
    files["scan-tiff-60000x60000-deflate.tif"] = tiff(
        [(gray_tags(60000, 60000, compression=8), zlib.compress(bytes(4 << 20), 9))])
    # Inside a flatbed's size, but colour at 7,000 x 10,000 decodes to 280 MB before scaling.
    files["scan-tiff-7000x10000-colour.tif"] = tiff(
        [(gray_tags(7000, 10000, compression=8, samples=3), zlib.compress(bytes(2 << 20), 9))])
    files["scan-tiff-64-images.tif"] = tiff([(gray_tags(4, 4), bytes(16)) for _ in range(64)])
    loop = bytearray(tiff([(gray_tags(16, 16), bytes(256))]))
    loop[8 + 2 + 12 * 8:8 + 2 + 12 * 8 + 4] = struct.pack("<I", 8)  # the directory names itself next
    files["scan-tiff-directory-loop.tif"] = bytes(loop)
    files["scan-not-an-image.txt"] = "订单号,客户全称\nDD000001,上海金源贸易有限公司\n".encode("utf-8")
    files["scan-empty.png"] = b""
    seeds = dict(good_seeds())
    # The replay meets the endless drawing in the hostile folder; its seconds are not paid twice.
    seeds.update((name, data) for name, data in files.items() if name != "scan-pdf-endless-drawing.pdf")
    for where, contents in ((folder, files), (corpus, seeds)):
        os.makedirs(where, exist_ok=True)
        for name, data in contents.items():
            with open(os.path.join(where, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
