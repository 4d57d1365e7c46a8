"""Exports flat OpenDocument sources with LibreOffice, for the fixture makers."""
import os, shutil, subprocess, sys, tempfile


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
