#!/usr/bin/env python3
"""Makes the spreadsheet and presentation fixtures of the number-format,
comment, shape and pictures-only tests with LibreOffice (run where
libreoffice-calc and libreoffice-impress are installed; the results are
committed). formats.csv is LibreOffice's own text of formats.xls: the cells
as LibreOffice shows them, which the tests compare with ours."""
import base64, os, sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
import libreoffice  # noqa: E402
from libreoffice import document  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))

NUMBER_STYLES = '''
<number:date-style style:name="Ndate"><number:month/><number:text>/</number:text><number:day/>
<number:text>/</number:text><number:year number:style="long"/></number:date-style>
<number:date-style style:name="Ndmy"><number:day/><number:text>-</number:text>
<number:month number:textual="true"/><number:text>-</number:text><number:year/></number:date-style>
<number:percentage-style style:name="Npct"><number:number number:decimal-places="0"
 number:min-integer-digits="1"/><number:text>%</number:text></number:percentage-style>
<number:currency-style style:name="Ncur"><number:currency-symbol number:language="en"
 number:country="US">$</number:currency-symbol><number:number number:decimal-places="2"
 number:min-integer-digits="1" number:grouping="true"/></number:currency-style>
<number:number-style style:name="Ngrp"><number:number number:decimal-places="2"
 number:min-integer-digits="1" number:grouping="true"/></number:number-style>
<number:time-style style:name="Ntime"><number:hours/><number:text>:</number:text>
<number:minutes number:style="long"/><number:text> </number:text><number:am-pm/></number:time-style>
<number:number-style style:name="Nsci"><number:scientific-number number:decimal-places="2"
 number:min-integer-digits="1" number:min-exponent-digits="2"/></number:number-style>
<number:number-style style:name="Nfrac"><number:fraction number:min-integer-digits="0"
 number:min-numerator-digits="1" number:min-denominator-digits="1"/></number:number-style>
<number:number-style style:name="Nunit"><number:number number:decimal-places="0"
 number:min-integer-digits="1"/><number:text> units</number:text></number:number-style>
<number:number-style style:name="Nfix"><number:number number:decimal-places="3"
 number:min-integer-digits="1"/></number:number-style>
'''
FORMATS = ['Ndate', 'Ndmy', 'Npct', 'Ncur', 'Ngrp', 'Ntime', 'Nsci', 'Nfrac', 'Nunit', 'Nfix']
CELL_STYLES = ''.join(f'<style:style style:name="c{n}" style:family="table-cell" '
                      f'style:data-style-name="{n}"/>' for n in FORMATS)


def text_cell(text, note=None):
    annotation = (f'<office:annotation><dc:creator>Tester</dc:creator><text:p>{note}</text:p>'
                  '</office:annotation>') if note else ''
    return (f'<table:table-cell office:value-type="string">{annotation}<text:p>{text}</text:p>'
            '</table:table-cell>')


def value_cell(style, kind, value):
    attribute = {'date': 'office:date-value', 'time': 'office:time-value'}.get(kind, 'office:value')
    extra = ' office:currency="USD"' if kind == 'currency' else ''
    return (f'<table:table-cell table:style-name="c{style}" office:value-type="{kind}"{extra} '
            f'{attribute}="{value}"/>')


ROWS = [
    ('Ndate', 'date', '2024-12-31'), ('Ndmy', 'date', '2023-03-05'), ('Npct', 'percentage', '0.15'),
    ('Ncur', 'currency', '1250'), ('Ngrp', 'float', '1234567.891'), ('Ntime', 'time', 'PT18H05M00S'),
    ('Nsci', 'float', '12345.678'), ('Nfrac', 'float', '0.75'), ('Nunit', 'float', '99'),
    ('Nfix', 'float', '3.14159'),
]
SHEET_ROWS = ''.join(f'<table:table-row>{text_cell(style)}{value_cell(style, kind, value)}'
                     '</table:table-row>' for style, kind, value in ROWS)
SHAPE = ('<table:shapes><draw:frame svg:x="6cm" svg:y="1cm" svg:width="6cm" svg:height="2cm">'
         '<draw:text-box><text:p>ShapeWord Привет Ελληνικά</text:p></draw:text-box></draw:frame>'
         '</table:shapes>')
CALC = document('spreadsheet', styles=(
    f'<office:automatic-styles>{NUMBER_STYLES}{CELL_STYLES}</office:automatic-styles>'),
    body=f'''<office:spreadsheet><table:table table:name="Numbers">{SHAPE}{SHEET_ROWS}
<table:table-row>{text_cell("Café Müller señor Straße", note="CommentWord Ελληνικά Привет 日本語")}
{text_cell("Ελληνικά Привет 日本語")}</table:table-row></table:table>
<table:table table:name="Zweites Blatt"><table:table-row>{text_cell("SecondSheetWord", note="SecondNote")}
</table:table-row></table:table></office:spreadsheet>''')

# One small PNG picture and nothing else on the slide.
PNG = base64.b64encode(bytes.fromhex(
    '89504e470d0a1a0a0000000d4948445200000001000000010806000000'
    '1f15c4890000000d49444154789c6360f8cfc0f01f0005000201a5f7a3b30000000049454e44ae426082')).decode()
PICTURES = document('presentation', body=(
    '<office:presentation><draw:page draw:name="page1"><draw:frame svg:x="2cm" svg:y="2cm" '
    f'svg:width="10cm" svg:height="10cm"><draw:image><office:binary-data>{PNG}'
    '</office:binary-data></draw:image></draw:frame></draw:page></office:presentation>'))

CONVERSIONS = [
    ('sheets.fods', 'formats.xls', 'xls:MS Excel 97'),
    ('formats.xls', 'formats.csv', 'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true'),
    ('pictures.fodp', 'pictures.ppt', 'ppt:MS PowerPoint 97'),
]


def main():
    libreoffice.convert({'sheets.fods': CALC, 'pictures.fodp': PICTURES}, CONVERSIONS, HERE)


if __name__ == '__main__':
    main()
