"""Flat OpenDocument sources and their export by LibreOffice, for the fixture makers."""
import os, shutil, subprocess, sys, tempfile


NS = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
      'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
      'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
      'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
      'xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" '
      'xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0" '
      'xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" '
      'xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" '
      'xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0" '
      'xmlns:dc="http://purl.org/dc/elements/1.1/" '
      'xmlns:meta="urn:oasis:names:tc:opendocument:xmlns:meta:1.0" '
      'xmlns:xlink="http://www.w3.org/1999/xlink" '
      'xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2" '
      'xmlns:calcext="urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0" '
      'office:version="1.2"')


def document(kind, body, styles=''):
    """A flat OpenDocument file of that kind (text, spreadsheet, presentation)."""
    return (f'<?xml version="1.0" encoding="UTF-8"?>\n<office:document {NS} '
            f'office:mimetype="application/vnd.oasis.opendocument.{kind}">{styles}'
            f'<office:body>{body}</office:body></office:document>\n')


def cell(text, extra=''):
    return (f'<table:table-cell office:value-type="string"{extra}><text:p>{text}</text:p>'
            '</table:table-cell>')


def frame(text, y, kind=None):
    cls = f' presentation:class="{kind}"' if kind else ''
    return (f'<draw:frame{cls} svg:x="2cm" svg:y="{y}cm" svg:width="20cm" svg:height="3cm">'
            f'<draw:text-box><text:p>{text}</text:p></draw:text-box></draw:frame>')


def convert(sources, conversions, into):
    """Writes each source (name: text) to a scratch folder, then makes each
    (source, target, filter) of conversions in order; a source may be the
    target of an earlier conversion. The targets land in into."""
    soffice = shutil.which('soffice') or sys.exit('soffice not found')
    work = tempfile.mkdtemp()
    for name, text in sources.items():
        with open(os.path.join(work, name), 'w', encoding='utf-8') as f:
            f.write(text)
    for source, target, filter_name in conversions:
        out = os.path.join(work, 'out')
        shutil.rmtree(out, ignore_errors=True)
        path = os.path.join(work, source)
        if not os.path.exists(path):
            path = os.path.join(into, source)
        subprocess.run([soffice, f'-env:UserInstallation=file://{work}/profile', '--headless',
                        '--convert-to', filter_name, '--outdir', out, path],
                       check=True, capture_output=True)
        made = os.listdir(out)[0]
        shutil.copy(os.path.join(out, made), os.path.join(into, target))
        print('made', target, os.path.getsize(os.path.join(into, target)))
    shutil.rmtree(work)
