#!/usr/bin/env bash
# Side by side: a large deck made into a project (zelm from-presentation:
# LibreOffice's conversion, then a display image and a thumbnail per slide)
# against LibreOffice's own PDF export of the same file, once each.
#   scripts/bench-deck.sh BUILD_DIR [SLIDES]
# BUILD_DIR must hold bin/zelm and bin/benchinputs. SLIDES (800) slides,
# each with a title, two lines of text and one of eight 1024 x 768 pictures, are
# written as an OpenDocument package and saved again by LibreOffice, so the
# deck is one LibreOffice wrote. Both runs get a profile of their own that
# has been used once (a first start's set-up is no part of either).
set -euo pipefail
build=${1:?build folder}
slides=${2:-800}
zelm=$build/bin/zelm
inputs=$build/bin/benchinputs
for tool in soffice python3; do
  command -v "$tool" >/dev/null || { echo "== deck: $tool is not installed"; exit 0; }
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export ZELM_HOME=$tmp/home XDG_RUNTIME_DIR=$tmp/runtime QT_QPA_PLATFORM=offscreen
mkdir -p "$tmp/home" "$tmp/photos" "$tmp/made" "$tmp/pdf" "$tmp/warm"
mkdir -m 700 "$tmp/runtime"
"$inputs" slides "$tmp/photos" 8

cat > "$tmp/deck.py" <<'PY'
import sys, zipfile
out, n, photos = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
ns = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
      'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
      'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
      'xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" '
      'xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" '
      'xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" '
      'xmlns:xlink="http://www.w3.org/1999/xlink" '
      'xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0"')
pages = []
for i in range(1, n + 1):
    pages.append(
        f'<draw:page draw:name="page{i}" draw:master-page-name="Default">'
        f'<draw:frame svg:x="1cm" svg:y="0.5cm" svg:width="26cm" svg:height="2cm"><draw:text-box>'
        f'<text:p>Slide {i}: results of the quarter</text:p></draw:text-box></draw:frame>'
        f'<draw:frame svg:x="1cm" svg:y="3cm" svg:width="12cm" svg:height="9cm">'
        f'<draw:image xlink:href="Pictures/p{i % len(photos)}.png" xlink:type="simple"/></draw:frame>'
        f'<draw:frame svg:x="14cm" svg:y="3cm" svg:width="13cm" svg:height="9cm"><draw:text-box>'
        f'<text:p>Point one of slide {i}</text:p><text:p>Point two, a longer line of words</text:p>'
        f'</draw:text-box></draw:frame></draw:page>')
content = (f'<?xml version="1.0" encoding="UTF-8"?><office:document-content {ns} office:version="1.3">'
           '<office:automatic-styles/><office:body><office:presentation>' + ''.join(pages) +
           '</office:presentation></office:body></office:document-content>')
styles = (f'<?xml version="1.0" encoding="UTF-8"?><office:document-styles {ns} office:version="1.3">'
          '<office:automatic-styles><style:page-layout style:name="PM1"><style:page-layout-properties '
          'fo:page-width="28cm" fo:page-height="15.75cm"/></style:page-layout></office:automatic-styles>'
          '<office:master-styles><style:master-page style:name="Default" style:page-layout-name="PM1"/>'
          '</office:master-styles></office:document-styles>')
entries = ''.join(f'<manifest:file-entry manifest:full-path="Pictures/p{k}.png" manifest:media-type="image/png"/>'
                  for k in range(len(photos)))
manifest = ('<?xml version="1.0" encoding="UTF-8"?><manifest:manifest '
            'xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.3">'
            '<manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.presentation"/>'
            '<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>'
            '<manifest:file-entry manifest:full-path="styles.xml" manifest:media-type="text/xml"/>'
            + entries + '</manifest:manifest>')
with zipfile.ZipFile(out, 'w') as z:
    z.writestr(zipfile.ZipInfo('mimetype'), 'application/vnd.oasis.opendocument.presentation')
    z.writestr('content.xml', content, zipfile.ZIP_DEFLATED)
    z.writestr('styles.xml', styles, zipfile.ZIP_DEFLATED)
    z.writestr('META-INF/manifest.xml', manifest, zipfile.ZIP_DEFLATED)
    for k, photo in enumerate(photos):
        z.write(photo, f'Pictures/p{k}.png')
PY
python3 "$tmp/deck.py" "$tmp/raw.odp" "$slides" "$tmp"/photos/*.png
lo() { soffice "-env:UserInstallation=file://$tmp/lo" --headless --norestore --nologo "$@" >/dev/null 2>&1; }
lo --convert-to odp --outdir "$tmp/made" "$tmp/raw.odp"
deck=$tmp/made/raw.odp
[ -s "$deck" ] || { echo "== deck: LibreOffice made no deck" >&2; exit 1; }

# Profiles used once, on a small deck, before the runs that count.
python3 "$tmp/deck.py" "$tmp/warm/warm.odp" 1 "$tmp"/photos/SLIDE001.png
lo --convert-to pdf --outdir "$tmp/warm" "$tmp/warm/warm.odp"
"$zelm" from-presentation "$tmp/warm/warm.odp" --quiet >/dev/null

seconds() { # COMMAND... -> wall seconds
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }'
}
filter='pdf:impress_pdf_Export:{"ExportHiddenSlides":{"type":"boolean","value":"true"}}'
t_lo=$(seconds lo --convert-to "$filter" --outdir "$tmp/pdf" "$deck")
[ -s "$tmp/pdf/raw.pdf" ] || { echo "== deck: LibreOffice wrote no PDF" >&2; exit 1; }
t_zelm=$(seconds "$zelm" from-presentation "$deck" --quiet)
cells=$(find "$tmp/home/ZUR0002" -name '*.png' | wc -l)
echo "== deck: $slides slides ($(du -h "$deck" | cut -f1)), $(nproc) cores"
echo "  LibreOffice PDF export        $t_lo s"
echo "  zelm from-presentation        $t_zelm s  ($cells display images)"
awk -v z="$t_zelm" -v l="$t_lo" 'BEGIN { printf "  ratio zelm / LibreOffice      %.2f\n", z / l }'
