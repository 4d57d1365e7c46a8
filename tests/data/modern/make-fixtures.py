#!/usr/bin/env python3
"""Makes the fixtures of today's document formats with LibreOffice.

Run once where LibreOffice is installed (libreoffice-writer, libreoffice-calc,
libreoffice-impress); the results are committed. The sources are flat
OpenDocument files written here; each Office Open XML, OpenDocument and PDF
fixture is LibreOffice's own export. A few edge cases are made by hand from
those exports: a macro-enabled variant, a renamed file, an encrypted
OpenDocument manifest. expected.txt lists what a scan must and must not find.
"""
import os, shutil, sys, zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
import libreoffice  # noqa: E402
from libreoffice import document, cell, frame  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))


WRITER = document('text', styles='''
<office:automatic-styles><style:page-layout style:name="pm1">
<style:page-layout-properties fo:page-width="21cm" fo:page-height="29.7cm"/>
<style:header-style/><style:footer-style/></style:page-layout></office:automatic-styles>
<office:master-styles><style:master-page style:name="Standard" style:page-layout-name="pm1">
<style:header><text:p>HeaderProbe alpha</text:p></style:header>
<style:footer><text:p>FooterProbe beta</text:p></style:footer>
</style:master-page></office:master-styles>''', body='''<office:text>
<text:h text:outline-level="1">HeadingProbe title</text:h>
<text:p>BodyProbe first paragraph</text:p>
<text:p>Müller café señor Straße Привет Ελληνικά 日本語</text:p>
<text:p>Before note<text:note text:id="ftn1" text:note-class="footnote"><text:note-citation>1</text:note-citation>
<text:note-body><text:p>FootnoteProbe below</text:p></text:note-body></text:note> after note</text:p>
<text:p>Before endnote<text:note text:id="edn1" text:note-class="endnote"><text:note-citation>i</text:note-citation>
<text:note-body><text:p>EndnoteProbe at the end</text:p></text:note-body></text:note> after endnote</text:p>
<text:p>Commented<office:annotation><dc:creator>AuthorHidden</dc:creator><dc:date>2024-01-01T10:00:00</dc:date>
<text:p>CommentProbe remark</text:p></office:annotation> paragraph</text:p>
<table:table table:name="TableHidden"><table:table-column table:number-columns-repeated="3"/>
<table:table-row>''' + cell('CellOne') + cell('CellTwo') + cell('CellThree') + '''</table:table-row>
<table:table-row>''' + cell('CellFour') + cell('CellFive') + cell('CellSix') + '''</table:table-row>
</table:table>
<text:p><draw:frame draw:name="FrameHidden" text:anchor-type="paragraph" svg:width="6cm" svg:height="2cm">
<draw:text-box><text:p>TextBoxProbe inside</text:p></draw:text-box></draw:frame>Anchor paragraph</text:p>
<text:p>Tab<text:tab/>between and<text:s text:c="3"/>spaces</text:p>
<text:p>Last paragraph LastProbe</text:p>
</office:text>''')

CALC = document('spreadsheet', styles='''
<office:automatic-styles>
<number:percentage-style style:name="N1"><number:number number:decimal-places="0" number:min-integer-digits="1"/><number:text>%</number:text></number:percentage-style>
<number:currency-style style:name="N2"><number:currency-symbol number:language="en" number:country="US">$</number:currency-symbol><number:number number:decimal-places="2" number:min-integer-digits="1" number:grouping="true"/></number:currency-style>
<number:date-style style:name="N3"><number:month number:style="long"/><number:text>/</number:text><number:day number:style="long"/><number:text>/</number:text><number:year number:style="long"/></number:date-style>
<number:number-style style:name="N4"><number:number number:decimal-places="2" number:min-integer-digits="1" number:grouping="true"/></number:number-style>
<style:style style:name="ce1" style:family="table-cell" style:data-style-name="N1"/>
<style:style style:name="ce2" style:family="table-cell" style:data-style-name="N2"/>
<style:style style:name="ce3" style:family="table-cell" style:data-style-name="N3"/>
<style:style style:name="ce4" style:family="table-cell" style:data-style-name="N4"/>
</office:automatic-styles>''', body='''<office:spreadsheet>
<table:table table:name="FirstSheetProbe">
<table:table-row>''' + cell('StringProbe') + cell('Ελληνικά') + '''
<table:table-cell office:value-type="float" office:value="42.5"><text:p>42.5</text:p></table:table-cell></table:table-row>
<table:table-row>
<table:table-cell table:style-name="ce1" office:value-type="percentage" office:value="0.15"><text:p>15%</text:p></table:table-cell>
<table:table-cell table:style-name="ce2" office:value-type="currency" office:currency="USD" office:value="1250"><text:p>$1,250.00</text:p></table:table-cell>
<table:table-cell table:style-name="ce3" office:value-type="date" office:date-value="2024-12-31"><text:p>12/31/2024</text:p></table:table-cell>
<table:table-cell table:style-name="ce4" office:value-type="float" office:value="1234567.891"><text:p>1,234,567.89</text:p></table:table-cell>
</table:table-row>
<table:table-row><table:table-cell office:value-type="string"><text:p>Commented cell</text:p>
<office:annotation><dc:creator>AuthorHidden</dc:creator><text:p>CellNoteProbe remark</text:p></office:annotation></table:table-cell>
<table:table-cell table:formula="of:=CONCATENATE(&quot;Formula&quot;;&quot;Probe&quot;)" office:value-type="string" office:string-value="FormulaProbe"><text:p>FormulaProbe</text:p></table:table-cell></table:table-row>
</table:table>
<table:table table:name="SecondSheetProbe"><table:table-row>''' + cell('SheetTwoProbe') + cell('Привет') +
    '''</table:table-row></table:table>
</office:spreadsheet>''')


IMPRESS = document('presentation', body='<office:presentation>' + ''.join(
    f'<draw:page draw:name="PageHidden{n}">{frame(title, 1)}{frame(shape, 5)}'
    f'<presentation:notes>{frame(notes, 10, "notes")}</presentation:notes></draw:page>'
    for n, title, shape, notes in [
        (1, 'SlideOneProbe title', 'ShapeProbe Ελληνικά', 'NotesOneProbe spoken'),
        (2, 'SlideTwoProbe title', 'Привет again', 'NotesTwoProbe spoken'),
        (3, 'SlideThreeProbe title', 'Last shape', 'NotesThreeProbe spoken')]) +
    '</office:presentation>')

SOURCES = {'writer.fodt': WRITER, 'calc.fods': CALC, 'impress.fodp': IMPRESS}
CONVERSIONS = [
    ('writer.fodt', 'docx', 'docx:MS Word 2007 XML'),
    ('writer.fodt', 'dotx', 'dotx:MS Word 2007 XML Template'),
    ('writer.fodt', 'odt', 'odt:writer8'),
    ('writer.fodt', 'ott', 'ott:writer8_template'),
    ('writer.fodt', 'pdf', 'pdf:writer_pdf_Export'),
    ('calc.fods', 'xlsx', 'xlsx:Calc MS Excel 2007 XML'),
    ('calc.fods', 'xltx', 'xltx:Calc MS Excel 2007 XML Template'),
    ('calc.fods', 'ods', 'ods:calc8'),
    ('calc.fods', 'ots', 'ots:calc8_template'),
    ('impress.fodp', 'pptx', 'pptx:Impress MS PowerPoint 2007 XML'),
    ('impress.fodp', 'potx', 'potx:Impress MS PowerPoint 2007 XML Template'),
    ('impress.fodp', 'ppsx', 'ppsx:Impress MS PowerPoint 2007 XML AutoPlay'),
    ('impress.fodp', 'odp', 'odp:impress8'),
    ('impress.fodp', 'otp', 'otp:impress8_template'),
]


def main():
    libreoffice.convert(SOURCES, [(source, f'{source.split(".")[0]}.{ext}', filter_name)
                                  for source, ext, filter_name in CONVERSIONS], HERE)
    macro_variant('writer.docx', 'writer.docm', 'wordprocessingml.document.main+xml',
                  'ms-word.document.macroEnabled.main+xml')
    shutil.copy(os.path.join(HERE, 'calc.xlsx'), os.path.join(HERE, 'renamed-workbook.dat'))
    shutil.copy(os.path.join(HERE, 'writer.pdf'), os.path.join(HERE, 'renamed-pdf.txt'))
    encrypted_odf('writer.odt', 'encrypted.odt')


def rewrite(source, target, change):
    """A copy of a zip package with each entry's bytes passed through change."""
    with zipfile.ZipFile(os.path.join(HERE, source)) as zin, \
            zipfile.ZipFile(os.path.join(HERE, target), 'w', zipfile.ZIP_DEFLATED) as zout:
        for item in zin.infolist():
            data = change(item.filename, zin.read(item.filename))
            kind = zipfile.ZIP_STORED if item.filename == 'mimetype' else zipfile.ZIP_DEFLATED
            zout.writestr(item.filename, data, compress_type=kind)
    print('made', target, os.path.getsize(os.path.join(HERE, target)))


def macro_variant(source, target, old, new):
    rewrite(source, target, lambda name, data: data.replace(old.encode(), new.encode())
            if name == '[Content_Types].xml' else data)


def encrypted_odf(source, target):
    """What a password-protected OpenDocument file holds: the manifest names
    the encryption of content.xml, whose bytes are then unreadable."""
    def change(name, data):
        if name == 'content.xml':
            return bytes((b * 7 + 3) & 0xFF for b in data)
        if name == 'META-INF/manifest.xml':
            return data.replace(b'manifest:full-path="content.xml" manifest:media-type="text/xml"/>',
                                b'manifest:full-path="content.xml" manifest:media-type="text/xml">'
                                b'<manifest:encryption-data manifest:checksum-type="SHA1/1K" '
                                b'manifest:checksum="AAAA"/></manifest:file-entry>')
        return data
    rewrite(source, target, change)


if __name__ == '__main__':
    main()
