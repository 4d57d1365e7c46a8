#!/usr/bin/env python3
"""Makes the office fixtures of the document-text tests with LibreOffice.

Run once where LibreOffice is installed (libreoffice-writer-nogui,
libreoffice-calc-nogui, libreoffice-impress-nogui); the results are committed.
The sources are flat OpenDocument files written here; every binary fixture is
LibreOffice's own export. expected.txt lists, per fixture, the pieces a scan
must find (after the scan's character filter) and words it must not find.
"""
import os, struct, sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
import libreoffice  # noqa: E402
from libreoffice import document, cell, frame  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))


WRITER = document('text', styles='''
<office:automatic-styles><style:page-layout style:name="pm1">
<style:page-layout-properties fo:page-width="21cm" fo:page-height="29.7cm"/>
<style:header-style/><style:footer-style/></style:page-layout></office:automatic-styles>
<office:master-styles><style:master-page style:name="Standard" style:page-layout-name="pm1">
<style:header><text:p>HeaderWord alpha</text:p></style:header>
<style:footer><text:p>FooterWord page <text:page-number text:select-page="current">1</text:page-number></text:p></style:footer>
</style:master-page></office:master-styles>''', body='''<office:text>
<text:p>BodyWord first paragraph</text:p>
<text:p>Grüße Привет Ελληνικά 日本語</text:p>
<text:p>Before note<text:note text:note-class="footnote"><text:note-citation>1</text:note-citation>
<text:note-body><text:p>FootnoteWord below</text:p></text:note-body></text:note> after note</text:p>
<table:table table:name="Table1"><table:table-column table:number-columns-repeated="2"/>
<table:table-row>''' + cell('CellOne') + cell('CellTwo') + '''</table:table-row>
<table:table-row>''' + cell('CellThree') + cell('CellFour') + '''</table:table-row>
</table:table>
<text:p>Last paragraph LastWord</text:p>
</office:text>''')

ROWS = ''.join(f'<table:table-row>{cell(f"LongString{i:04d} makes the shared string table long")}'
               '</table:table-row>' for i in range(1500))
CALC = document('spreadsheet', body='''<office:spreadsheet>
<table:table table:name="FirstSheet">
<table:table-row>''' + cell('SheetOneWord') + cell('Ελληνικά') + '''</table:table-row>
<table:table-row>
<table:table-cell office:value-type="float" office:value="42.5"><text:p>42.5</text:p></table:table-cell>
<table:table-cell table:formula="of:=[.A2]*2" office:value-type="float" office:value="85"><text:p>85</text:p></table:table-cell>
<table:table-cell office:value-type="float" office:value="1234567"><text:p>1234567</text:p></table:table-cell>
<table:table-cell table:formula="of:=CONCATENATE(&quot;Formula&quot;;&quot;Result&quot;)"/>
</table:table-row>''' + ROWS + '''</table:table>
<table:table table:name="SecondSheet"><table:table-row>''' + cell('SheetTwoWord') + cell('Привет') +
    '''</table:table-row></table:table>
</office:spreadsheet>''')


IMPRESS = document('presentation', body='<office:presentation>' + ''.join(
    f'<draw:page draw:name="page{n}">{frame(title, 1)}{frame(shape, 5)}'
    f'<presentation:notes>{frame(notes, 10, "notes")}</presentation:notes></draw:page>'
    for n, title, shape, notes in [
        (1, 'SlideTitleWord', 'ShapeTextWord Ελληνικά', 'SpeakerNotesWord'),
        (2, 'SecondSlideWord', 'Привет again', 'MoreNotesWord')]) + '</office:presentation>')

TARGETS = {
    'writer.fodt': WRITER, 'calc.fods': CALC, 'impress.fodp': IMPRESS,
}
CONVERSIONS = [
    ('writer.fodt', 'doc', 'doc:MS Word 97'), ('writer.fodt', 'dot', 'dot:MS Word 97 Vorlage'),
    ('writer.fodt', 'rtf', 'rtf:Rich Text Format'),
    ('calc.fods', 'xls', 'xls:MS Excel 97'), ('calc.fods', 'xlt', 'xlt:MS Excel 97 Vorlage/Template'),
    ('impress.fodp', 'ppt', 'ppt:MS PowerPoint 97'),
    ('impress.fodp', 'pps', 'pps:MS PowerPoint 97 AutoPlay'),
    ('impress.fodp', 'pot', 'pot:MS PowerPoint 97 Vorlage'),
]


def main():
    libreoffice.convert(TARGETS, [(source, f'sample.{ext}', filter_name)
                                  for source, ext, filter_name in CONVERSIONS], HERE)
    scatter('sample.doc', 'scattered.doc')
    scatter('sample.xls', 'scattered.xls')
    make_mail()


def scatter(source, target):
    """A copy of a compound file whose sectors are stored in a different,
    interleaved order (even sectors first, then odd ones), so that no stream
    lies in adjacent sectors. The content and the structure stay valid."""
    data = open(os.path.join(HERE, source), 'rb').read()
    size = 512
    header, body = bytearray(data[:512]), data[512:]
    count = len(body) // size
    sectors = [body[i * size:(i + 1) * size] for i in range(count)]
    order = sorted(range(count), key=lambda i: (i % 2, i))
    new_of = {old: new for new, old in enumerate(order)}
    move = lambda s: new_of.get(s, s) if s < 0xFFFFFFFA else s
    u32 = lambda b, at: struct.unpack_from('<I', b, at)[0]
    fat_sectors = [u32(header, 0x4C + 4 * i) for i in range(u32(header, 0x2C))]
    fat = [w for s in fat_sectors for w in struct.unpack('<128I', sectors[s])]
    new_fat = [0xFFFFFFFF] * len(fat)
    for old in range(min(count, len(fat))):
        new_fat[new_of[old]] = move(fat[old])
    for i, s in enumerate(fat_sectors):
        sectors[s] = struct.pack('<128I', *new_fat[i * 128:(i + 1) * 128])
        struct.pack_into('<I', header, 0x4C + 4 * i, move(s))
    cutoff = u32(header, 0x38)
    s = u32(header, 0x30)
    while s < 0xFFFFFFFA:
        block = bytearray(sectors[s])
        for at in range(0, size, 128):
            kind, start, length = block[at + 0x42], u32(block, at + 0x74), u32(block, at + 0x78)
            if kind == 5 or (kind == 2 and length >= cutoff):
                struct.pack_into('<I', block, at + 0x74, move(start))
        sectors[s] = bytes(block)
        s = fat[s]
    for field in (0x30, 0x3C):
        struct.pack_into('<I', header, field, move(u32(header, field)))
    out = bytearray(header) + b''.join(sectors[old] for old in order)
    open(os.path.join(HERE, target), 'wb').write(out)
    print('made', target, len(out))


def make_mail():
    """Mail made by Python's email package: an encoded subject, a
    quoted-printable body with soft line breaks, an HTML alternative and a
    base64 text attachment with an encoded name."""
    from email.message import EmailMessage
    from email.policy import SMTP
    msg = EmailMessage(policy=SMTP)
    msg['From'] = 'Ærøskøbing Sender <sender@example.org>'
    msg['To'] = 'receiver@example.org'
    msg['Subject'] = 'SubjectWord Ελληνικά Привет'
    msg['Date'] = 'Mon, 01 Jan 2024 10:00:00 +0000'
    long_line = 'BodyStart ' + 'filler ' * 20 + 'SoftBreakWord Ελληνικά end'
    msg.set_content(long_line + '\nSecondBodyLine\n', cte='quoted-printable')
    msg.add_alternative('<html><head><style>p {color: red}</style></head><body>'
                        '<p>HtmlWord &amp; more</p><p>Next&nbsp;para</p></body></html>',
                        subtype='html')
    msg.add_attachment('AttachedTextWord inside\n'.encode('utf-8'), maintype='text',
                       subtype='plain', filename='Notizen-Übersicht.txt', cte='base64')
    msg.add_attachment(bytes(range(256)), maintype='application', subtype='octet-stream',
                       filename='binary.bin')
    data = msg.as_bytes()
    open(os.path.join(HERE, 'sample.eml'), 'wb').write(data)
    print('made sample.eml', len(data))


if __name__ == '__main__':
    main()
