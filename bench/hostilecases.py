#!/usr/bin/env python3
"""Hostile files for bench/hostile.sh: each case writes its file (or tree) into a folder.

    hostilecases.py list              the case names, in table order
    hostilecases.py make CASE DIR     writes CASE's files into DIR
    hostilecases.py good DIR WORD N   writes N good files holding WORD into DIR
    hostilecases.py measure SECONDS COMMAND...
                                      runs COMMAND, killed after SECONDS; prints its wall and
                                      processor seconds, the peak of its process tree's summed
                                      resident memory (sampled every 10 ms) and the largest one
                                      process's peak (the kernel's count), in MB, and its exit

Large contents are only ever compressed or sparse on disk; no case writes more than a few
tens of MB.
"""
import io
import os
import struct
import sys
import zlib

MiB = 1 << 20
GiB = 1 << 30


# --- zip packages -------------------------------------------------------------------------

CT = {
    "docx": "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml",
    "pptx": "application/vnd.openxmlformats-officedocument.presentationml.presentation.main+xml",
}
MAIN = {"docx": "word/document.xml", "pptx": "ppt/presentation.xml"}


def package_head(kind):
    main = MAIN[kind]
    return [
        ("[Content_Types].xml",
         '<?xml version="1.0"?><Types><Override PartName="/%s" ContentType="%s"/></Types>'
         % (main, CT[kind])),
        ("_rels/.rels",
         '<Relationships><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/'
         'officeDocument/2006/relationships/officeDocument" Target="%s"/></Relationships>'
         % main),
    ]


def zip_entry(name, data, method=8, size=None, crc=None):
    """(name, method, stored bytes, crc, size) of one zip entry; deflated unless method is 0."""
    data = data.encode() if isinstance(data, str) else data
    packed = data
    if method == 8:
        c = zlib.compressobj(1, zlib.DEFLATED, -15)
        packed = c.compress(data) + c.flush()
    return (name.encode(), method, packed, zlib.crc32(data) if crc is None else crc,
            len(data) if size is None else size)


def zip_bytes(entries, out=None):
    """A zip of (name, data) pairs or zip_entry() tuples, written to out or returned."""
    out = out if out is not None else io.BytesIO()
    central = []
    for entry in entries:
        name, method, packed, crc, size = entry if len(entry) == 5 else zip_entry(*entry)
        name = name.encode() if isinstance(name, str) else name
        offset = out.tell()
        out.write(struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0, method, 0, 0x21, crc,
                              len(packed), size, len(name), 0) + name + packed)
        central.append(struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, 0, method, 0, 0x21,
                                   crc, len(packed), size, len(name), 0, 0, 0, 0, 0, offset)
                       + name)
    start = out.tell()
    directory = b"".join(central)
    count = len(central)
    if count > 0xFFFF:  # the zip64 end records carry the count
        out.write(directory + struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 45, 45, 0, 0, count,
                                          count, len(directory), start))
        out.write(struct.pack("<IIQI", 0x07064B50, 0, start + len(directory), 1))
        directory, count = b"", 0xFFFF
    out.write(directory + struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, count, count,
                                      len(central and b"".join(central)), start, 0))
    return out.getvalue() if isinstance(out, io.BytesIO) else None


def write_zip(path, entries):
    with open(path, "wb") as f:
        zip_bytes(entries, f)


def word_body(xml_body, prolog=""):
    return (prolog + '<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/'
            '2006/main"><w:body>' + xml_body + "</w:body></w:document>")


def para(text):
    return "<w:p><w:r><w:t>%s</w:t></w:r></w:p>" % text


def presentation(slide_count):
    ids = "".join('<p:sldId id="%d" r:id="rId%d"/>' % (256 + i, i + 1) for i in range(slide_count))
    rels = "".join('<Relationship Id="rId%d" Type="http://schemas.openxmlformats.org/'
                   'officeDocument/2006/relationships/slide" Target="slides/slide%d.xml"/>'
                   % (i + 1, i + 1) for i in range(slide_count))
    return [
        ("ppt/presentation.xml", "<p:presentation><p:sldIdLst>%s</p:sldIdLst></p:presentation>"
         % ids),
        ("ppt/_rels/presentation.xml.rels", "<Relationships>%s</Relationships>" % rels),
    ]


def slide(text):
    return ("<p:sld><p:cSld><p:spTree><p:sp><p:txBody><a:p><a:r><a:t>%s</a:t></a:r></a:p>"
            "</p:txBody></p:sp></p:spTree></p:cSld></p:sld>" % text)


# --- PDF ----------------------------------------------------------------------------------

def pdf_file(objects, root=1):
    """objects: list of bytes, object i+1; returns a PDF with a correct cross-reference."""
    out = bytearray(b"%PDF-1.5\n%\xe2\xe3\xcf\xd3\n")
    offsets = []
    for number, body in enumerate(objects, 1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    out += b"".join(b"%010d 00000 n \n" % o for o in offsets)
    out += b"trailer\n<</Size %d/Root %d 0 R>>\nstartxref\n%d\n%%%%EOF\n" % (
        len(objects) + 1, root, xref)
    return bytes(out)


def stream(data, extra=b""):
    return b"<<%s/Length %d>>stream\n" % (extra, len(data)) + data + b"\nendstream"


def repeated_deflate(chunk, count):
    """Raw deflate of chunk repeated count times, compressed once: after a full flush the
    compressor forgets its window, so every further chunk compresses to the same bytes."""
    c = zlib.compressobj(1, zlib.DEFLATED, -15)
    first = c.compress(chunk) + c.flush(zlib.Z_FULL_FLUSH)
    middle = c.compress(chunk) + c.flush(zlib.Z_FULL_FLUSH)
    assert middle == c.compress(chunk) + c.flush(zlib.Z_FULL_FLUSH), "compressor not repeatable"
    return first + middle * (count - 1) + b"\x03\x00"  # an empty final block


def repeated_crc(chunk, count):
    value = 0
    for _ in range(count):
        value = zlib.crc32(chunk, value)
    return value


def adler_combine(first, second, second_length):
    """Adler-32 of two pieces from theirs (zlib's adler32_combine)."""
    base = 65521
    rem = second_length % base
    sum1 = ((first & 0xFFFF) + (second & 0xFFFF) + base - 1) % base
    sum2 = ((rem * (first & 0xFFFF)) + (first >> 16) + (second >> 16) + base - rem) % base
    return sum1 | (sum2 << 16)


def repeated_adler(chunk, count):
    """Adler-32 of chunk repeated count times, by doubling."""
    result, result_length = 1, 0
    power, power_length = zlib.adler32(chunk), len(chunk)
    while count:
        if count & 1:
            result = adler_combine(result, power, power_length)
            result_length += power_length
        power = adler_combine(power, power, power_length)
        power_length *= 2
        count >>= 1
    return result


def repeated_flate(chunk, count):
    """zlib stream (a PDF's FlateDecode) of chunk repeated count times."""
    return b"\x78\x01" + repeated_deflate(chunk, count) + struct.pack(
        ">I", repeated_adler(chunk, count))


def repeated_gzip(chunk, count):
    return (b"\x1f\x8b\x08\0\0\0\0\0\0\xff" + repeated_deflate(chunk, count)
            + struct.pack("<II", repeated_crc(chunk, count),
                          (len(chunk) * count) & 0xFFFFFFFF))


FONT = b"<</Type/Font/Subtype/Type1/BaseFont/Helvetica>>"


def one_page_pdf(content, resources=b"<</Font<</F1 4 0 R>>>>", more=(), catalog_extra=b""):
    """Catalog 1, Pages 2, Page 3, Font 4, content 5, then more objects from 6."""
    return pdf_file([
        b"<</Type/Catalog/Pages 2 0 R%s>>" % catalog_extra,
        b"<</Type/Pages/Kids[3 0 R]/Count 1>>",
        b"<</Type/Page/Parent 2 0 R/MediaBox[0 0 612 792]/Resources %s/Contents 5 0 R>>"
        % resources,
        FONT,
        content,
        *more,
    ])


TEXT = b"BT /F1 12 Tf 72 720 Td (hostile page) Tj ET"


# --- the cases ----------------------------------------------------------------------------

def zip_bomb_flat(d):
    # 16 members of 256 MiB of zeros each: 4 GiB unpacked from about 4 MB.
    chunk, count = bytes(4 * MiB), 64
    packed = repeated_deflate(chunk, count)
    crc = repeated_crc(chunk, count)
    write_zip(os.path.join(d, "bomb.zip"), [("zeros%02d.txt" % i, 8, packed, crc, len(chunk) * count)
                                            for i in range(16)])


def zip_bomb_nested(d):
    # 42-style: five levels of 16 zips, 64 MiB of zeros at the bottom, each level deflated
    # again, so the file stays small while 16^5 x 64 MiB lie inside.
    level = zip_bytes([zip_entry("zeros.txt", bytes(64 * MiB))])
    for depth in range(5):
        member = zip_entry("lib%d.zip" % depth, level)
        level = zip_bytes([("lib%d_%d.zip" % (depth, i),) + member[1:] for i in range(16)])
    with open(os.path.join(d, "42.zip"), "wb") as f:
        f.write(level)


def xml_bomb(d):
    prolog = ('<?xml version="1.0"?><!DOCTYPE w:document [<!ENTITY a "aaaaaaaaaa">'
              + "".join('<!ENTITY %s "%s">' % (chr(98 + i), ("&%s;" % chr(97 + i)) * 10)
                        for i in range(9)) + "]>")
    write_zip(os.path.join(d, "laughs.docx"),
              package_head("docx") + [("word/document.xml", word_body(para("&j;"), prolog))])


def external_entities(d):
    prolog = ('<?xml version="1.0"?><!DOCTYPE w:document [<!ENTITY x SYSTEM '
              '"file:///etc/passwd"><!ENTITY y SYSTEM "http://127.0.0.1:9/">]>')
    write_zip(os.path.join(d, "xxe.docx"),
              package_head("docx") + [("word/document.xml",
                                       word_body(para("root &x; &y;"), prolog))])


def cyclic_pdf(d):
    # The page tree's kids name their parent and themselves; the outline's items loop.
    with open(os.path.join(d, "cyclic-pages.pdf"), "wb") as f:
        f.write(pdf_file([
            b"<</Type/Catalog/Pages 2 0 R/Outlines 6 0 R>>",
            b"<</Type/Pages/Kids[3 0 R 2 0 R 7 0 R]/Count 3>>",
            b"<</Type/Page/Parent 2 0 R/MediaBox[0 0 612 792]/Resources<</Font<</F1 4 0 R>>>>"
            b"/Contents 5 0 R>>",
            FONT,
            stream(TEXT),
            b"<</Type/Outlines/First 8 0 R/Last 9 0 R/Count 2>>",
            b"<</Type/Pages/Parent 2 0 R/Kids[2 0 R 7 0 R]/Count 2>>",
            b"<</Title(one)/Parent 6 0 R/Next 9 0 R/First 9 0 R/Dest[3 0 R/Fit]>>",
            b"<</Title(two)/Parent 6 0 R/Next 8 0 R/Prev 8 0 R/First 8 0 R>>",
        ]))


def compound_loop(d):
    # A compound file (512-byte sectors): FAT in sector 0, directory in 1, a WordDocument
    # stream in 2..9 whose chain goes back to 2, and a directory chain that loops on itself.
    free, end, fat_sector = 0xFFFFFFFF, 0xFFFFFFFE, 0xFFFFFFFD
    fat = [fat_sector, 1] + [s + 1 for s in range(2, 9)] + [2] + [free] * 118
    header = struct.pack("<8s16sHHHHH6sIIIIIIIII", bytes.fromhex("D0CF11E0A1B11AE1"),
                         bytes(16), 0x3E, 3, 0xFFFE, 9, 6, bytes(6), 0, 1, 1, 0, 4096,
                         end, 0, end, 0)
    header += struct.pack("<I", 0) + struct.pack("<I", free) * 108
    assert len(header) == 512

    def entry(name, kind, child, start, size):
        n = (name + "\0").encode("utf-16-le")
        return (n.ljust(64, b"\0") + struct.pack("<HBBIII", len(n), kind, 1, free, free, child)
                + bytes(16) + bytes(4) + bytes(16) + struct.pack("<IQ", start, size))

    directory = (entry("Root Entry", 5, 1, end, 0) + entry("WordDocument", 2, free, 2, 1 << 30)
                 + entry("", 0, free, free, 0) * 2)
    sectors = struct.pack("<128I", *fat) + directory + bytes(8 * 512)
    with open(os.path.join(d, "loop.doc"), "wb") as f:
        f.write(header + sectors)


def rtf_groups(d):
    with open(os.path.join(d, "groups.rtf"), "wb") as f:
        f.write(b"{\\rtf1\\ansi " + b"{" * 1_000_000 + b"deep" + b"}" * 1_000_000 + b"}")


def mail_parts(d):
    depth = 100_000
    with open(os.path.join(d, "nested.eml"), "wb") as f:
        f.write(b"From: a@example.org\nTo: b@example.org\nSubject: nested\nMIME-Version: 1.0\n")
        for i in range(depth):
            f.write(b'Content-Type: multipart/mixed; boundary="b%d"\n\n--b%d\n' % (i, i))
        f.write(b"Content-Type: text/plain\n\ndeep\n")
        for i in reversed(range(depth)):
            f.write(b"--b%d--\n" % i)


def link_farm(d):
    # Loops back to the tree and a fan-out of links to the same folders.
    os.makedirs(os.path.join(d, "farm/a/b"))
    os.symlink("../..", os.path.join(d, "farm/a/b/up"))
    os.symlink(".", os.path.join(d, "farm/self"))
    for i in range(20):
        os.symlink("..", os.path.join(d, "farm/a/fan%02d" % i))
        os.symlink("../a", os.path.join(d, "farm/a/b/fan%02d" % i))
    os.symlink("/", os.path.join(d, "farm/root"))
    os.symlink("/dev/zero", os.path.join(d, "farm/zero.txt"))


def climbing_rels(d):
    rels = ('<Relationships><Relationship Id="rId1" Type="x/header" '
            'Target="../../../../etc/passwd"/><Relationship Id="rId2" Type="x/footer" '
            'Target="/../../../../../etc/passwd"/></Relationships>')
    write_zip(os.path.join(d, "climb.docx"), package_head("docx") + [
        ("word/document.xml", word_body(para("climbing"))),
        ("word/_rels/document.xml.rels", rels)])
    slide_rels = ('<Relationships><Relationship Id="rId1" Type="x/slideLayout" '
                  'Target="../../../../../etc/passwd"/><Relationship Id="rId2" '
                  'Type="x/notesSlide" Target="../../../../../../etc/shadow"/></Relationships>')
    pres = presentation(1)
    pres[1] = ("ppt/_rels/presentation.xml.rels",
               '<Relationships><Relationship Id="rId1" Type="x/slide" '
               'Target="../../../../../etc/passwd"/></Relationships>')
    write_zip(os.path.join(d, "climb.pptx"), package_head("pptx") + pres + [
        ("ppt/slides/slide1.xml", slide("climbing")),
        ("ppt/slides/_rels/slide1.xml.rels", slide_rels)])


def sparse_pdf(d):
    with open(os.path.join(d, "huge.pdf"), "wb") as f:
        f.write(b"%PDF-1.4\n1 0 obj<</Type/Catalog>>endobj\n")
        f.truncate(3 * GiB)


def many_slides(d):
    count = 100_000
    body = zip_entry("", slide("one of many"), method=0)
    write_zip(os.path.join(d, "slides.pptx"), package_head("pptx") + presentation(count) + [
        (("ppt/slides/slide%d.xml" % (i + 1)).encode(),) + body[1:] for i in range(count)])


def overlapping_slides(d):
    # 2,000 slides whose directory records all name the bytes of the first: one deflated part
    # of 8 MiB of text read 2,000 times.
    count = 2000
    big = slide("overlap " * (1 * MiB))
    entries = package_head("pptx") + presentation(count) + [("ppt/slides/slide1.xml", big)]
    entries += [("ppt/slides/slide%d.xml" % (i + 1), "x") for i in range(1, count)]
    data = bytearray(zip_bytes(entries))
    eocd = data.rfind(b"PK\x05\x06")
    start = struct.unpack_from("<I", data, eocd + 16)[0]
    records, pos, first = [], start, None
    while pos < eocd:
        nlen, elen, clen = struct.unpack_from("<HHH", data, pos + 28)
        name = bytes(data[pos + 46:pos + 46 + nlen])
        record = bytes(data[pos:pos + 46 + nlen + elen + clen])
        if name == b"ppt/slides/slide1.xml":
            first = record
        elif name.startswith(b"ppt/slides/slide") and first is not None:
            record = first[:28] + struct.pack("<H", nlen) + first[30:46] + name
            record = record[:30] + b"\0\0\0\0" + record[34:]  # no extra or comment
        records.append(record)
        pos += 46 + nlen + elen + clen
    central = b"".join(records)
    out = data[:start] + central + struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(records),
                                               len(records), len(central), start, 0)
    with open(os.path.join(d, "overlap.pptx"), "wb") as f:
        f.write(out)


def inflating_content(d):
    chunk = b"BT /F1 12 Tf 72 720 Td (inflated) Tj ET\n" * (4 * MiB // 40)
    data = repeated_flate(chunk, (2 * GiB) // len(chunk))
    with open(os.path.join(d, "content-2g.pdf"), "wb") as f:
        f.write(one_page_pdf(stream(data, b"/Filter/FlateDecode")))


def nested_forms(d):
    depth, wide = 8, 10
    calls = b" ".join(b"/X%d Do" % i for i in range(wide))
    objects = [b"<</Type/Catalog/Pages 2 0 R>>", b"<</Type/Pages/Kids[3 0 R]/Count 1>>",
               b"<</Type/Page/Parent 2 0 R/MediaBox[0 0 612 792]/Resources<</XObject<</X0 6 0 R"
               b">>>>/Contents 5 0 R>>", FONT, stream(b"/X0 Do")]
    for level in range(depth):  # form of level k is object 6 + k
        below = 6 + level + 1
        names = b"".join(b"/X%d %d 0 R" % (i, below) for i in range(wide))
        objects.append(stream(calls, b"/Type/XObject/Subtype/Form/BBox[0 0 612 792]"
                              b"/Resources<</XObject<<%s>>>>" % names))
    objects.append(stream(TEXT, b"/Type/XObject/Subtype/Form/BBox[0 0 612 792]"
                          b"/Resources<</Font<</F1 4 0 R>>>>"))
    with open(os.path.join(d, "forms.pdf"), "wb") as f:
        f.write(pdf_file(objects))


def inflating_font(d):
    chunk = bytes(4 * MiB)
    data = repeated_flate(chunk, GiB // len(chunk))
    font = (b"<</Type/Font/Subtype/TrueType/BaseFont/Bomb/FirstChar 32/LastChar 126"
            b"/FontDescriptor 6 0 R>>")
    descriptor = (b"<</Type/FontDescriptor/FontName/Bomb/Flags 4/FontBBox[0 0 1000 1000]"
                  b"/ItalicAngle 0/Ascent 800/Descent -200/CapHeight 700/StemV 80"
                  b"/FontFile2 7 0 R>>")
    pdf = pdf_file([b"<</Type/Catalog/Pages 2 0 R>>", b"<</Type/Pages/Kids[3 0 R]/Count 1>>",
                    b"<</Type/Page/Parent 2 0 R/MediaBox[0 0 612 792]/Resources<</Font<</F1 4 0 R"
                    b">>>>/Contents 5 0 R>>", font, stream(TEXT), descriptor,
                    stream(data, b"/Filter/FlateDecode/Length1 %d" % GiB)])
    with open(os.path.join(d, "font-1g.pdf"), "wb") as f:
        f.write(pdf)


def jbig2_page(d):
    side = 100_000

    def segment(number, kind, data, page=1):
        return struct.pack(">IBBBI", number, kind, 0, page, len(data)) + data

    page_info = struct.pack(">IIIIBH", side, side, 0, 0, 0, 0)
    region = struct.pack(">IIIIB", side, side, 0, 0, 0) + bytes([0]) + bytes(
        [3, 0xFF, 0xFD, 0xFF, 2, 0xFE, 0xFE, 0xFE]) + bytes(range(256)) * 16
    data = segment(0, 48, page_info) + segment(1, 38, region)
    image = stream(data, b"/Type/XObject/Subtype/Image/Width %d/Height %d/BitsPerComponent 1"
                         b"/ImageMask true/Filter/JBIG2Decode" % (side, side))
    content = stream(b"q 612 0 0 792 0 0 cm /Im0 Do Q " + TEXT)
    with open(os.path.join(d, "jbig2.pdf"), "wb") as f:
        f.write(one_page_pdf(content, b"<</Font<</F1 4 0 R>>/XObject<</Im0 6 0 R>>>>", [image]))


def cmap_pdf(encoding):
    content = stream(b"BT /F1 12 Tf 72 720 Td <0041> Tj ET")
    font = (b"<</Type/Font/Subtype/Type0/BaseFont/X/Encoding/%s/DescendantFonts[6 0 R]>>"
            % encoding)
    descendant = (b"<</Type/Font/Subtype/CIDFontType0/BaseFont/X/CIDSystemInfo<</Registry(Adobe)"
                  b"/Ordering(Japan1)/Supplement 0>>>>")
    return pdf_file([b"<</Type/Catalog/Pages 2 0 R>>", b"<</Type/Pages/Kids[3 0 R]/Count 1>>",
                     b"<</Type/Page/Parent 2 0 R/MediaBox[0 0 612 792]/Resources<</Font<</F1 4 0 R"
                     b">>>>/Contents 5 0 R>>", font, content, descendant])


def pdf_name(path):
    return b"".join(bytes([c]) if chr(c).isalnum() or c in b"-." else b"#%02X" % c
                    for c in path.encode())


def cmap_dev_zero(d):
    with open(os.path.join(d, "cmap-zero.pdf"), "wb") as f:
        f.write(cmap_pdf(pdf_name("../../../../../../../../dev/zero")))


def cmap_fifo(d):
    # The FIFO lies outside the scanned folder, so only the document's name reaches it.
    fifo = os.path.join(os.path.dirname(os.path.abspath(d)), "fifo")
    if not os.path.exists(fifo):
        os.mkfifo(fifo)
    with open(os.path.join(d, "cmap-fifo.pdf"), "wb") as f:
        f.write(cmap_pdf(pdf_name("../../../../../../../.." + fifo)))


def tar_members(d):
    # A million empty members of one name: the same header a million times, gzipped once.
    header = bytearray(512)
    header[0:5] = b"m.txt"
    for at, field in ((100, b"0000644\0"), (108, b"0000000\0"), (116, b"0000000\0"),
                      (124, b"00000000000\0"), (136, b"00000000000\0"), (156, b"0"),
                      (257, b"ustar\0"), (263, b"00"), (148, b"        ")):
        header[at:at + len(field)] = field
    header[148:156] = b"%06o\0 " % sum(header)
    with open(os.path.join(d, "members.tar.gz"), "wb") as f:
        f.write(repeated_gzip(bytes(header) * 8000, 125))
        f.write(repeated_gzip(bytes(1024), 1))  # the two empty blocks that end a tar


CASES = [
    ("zip-bomb-flat", zip_bomb_flat),
    ("zip-bomb-42", zip_bomb_nested),
    ("xml-bomb", xml_bomb),
    ("external-entities", external_entities),
    ("cyclic-pdf", cyclic_pdf),
    ("compound-loop", compound_loop),
    ("rtf-groups", rtf_groups),
    ("mail-parts", mail_parts),
    ("link-farm", link_farm),
    ("rels-climb", climbing_rels),
    ("sparse-pdf", sparse_pdf),
    ("slides-100k", many_slides),
    ("slides-overlap", overlapping_slides),
    ("pdf-content-2g", inflating_content),
    ("pdf-forms", nested_forms),
    ("pdf-font-1g", inflating_font),
    ("pdf-jbig2", jbig2_page),
    ("cmap-dev-zero", cmap_dev_zero),
    ("cmap-fifo", cmap_fifo),
    ("tar-1m", tar_members),
]


def good_files(d, word, count):
    # Plain text files and RTF documents, so that the document workers that follow a hostile
    # one are seen to work too.
    for i in range(count):
        if i % 5 == 4:
            with open(os.path.join(d, "good%02d.rtf" % i), "w") as f:
                f.write("{\\rtf1\\ansi line one\\par line two\\par the %s %d\\par}" % (word, i))
        else:
            with open(os.path.join(d, "good%02d.txt" % i), "w") as f:
                f.write("line one\nline two\nthe %s %d\n" % (word, i))


def tree_rss(root):
    """Resident bytes of root and all its descendants now."""
    children, rss = {}, {}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/stat" % pid) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            children.setdefault(int(fields[1]), []).append(int(pid))
            rss[int(pid)] = int(fields[21]) * os.sysconf("SC_PAGE_SIZE")
        except (OSError, IndexError):
            pass
    total, todo = 0, [root]
    while todo:
        pid = todo.pop()
        total += rss.get(pid, 0)
        todo += children.get(pid, [])
    return total


def measure(seconds, command):
    import resource
    import subprocess
    import time
    start = time.monotonic()
    child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=None)
    peak, killed = 0, False
    while child.poll() is None:
        peak = max(peak, tree_rss(child.pid))
        if time.monotonic() - start > seconds:
            child.kill()
            killed = True
            child.wait()
        time.sleep(0.01)
    wall = time.monotonic() - start
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    print("%.1f %.1f %d %d %s" % (wall, usage.ru_utime + usage.ru_stime, peak // MiB,
                                  usage.ru_maxrss * 1024 // MiB,
                             "killed" if killed else child.returncode))


def main():
    if sys.argv[1:2] == ["list"]:
        print("\n".join(name for name, _ in CASES))
    elif sys.argv[1:2] == ["make"] and len(sys.argv) == 4:
        dict(CASES)[sys.argv[2]](sys.argv[3])
    elif sys.argv[1:2] == ["good"] and len(sys.argv) == 5:
        good_files(sys.argv[2], sys.argv[3], int(sys.argv[4]))
    elif sys.argv[1:2] == ["measure"] and len(sys.argv) > 3:
        measure(float(sys.argv[2]), sys.argv[3:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
