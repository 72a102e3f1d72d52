#!/usr/bin/env bash
# Makes the Debian package from the built tree (CPack, into a temporary
# folder), unpacks it with dpkg-deb -x and checks that everything a user
# installs is there and that the packaged command-line program runs.
#   package_test.sh BUILD_DIR
set -euo pipefail
build=${1:?build folder}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

(cd "$build" && cpack --config CPackConfig.cmake -B "$tmp/out" >"$tmp/cpack.log" 2>&1) || {
  cat "$tmp/cpack.log" >&2
  fail "cpack could not make the package"
}
debs=("$tmp"/out/zelm-tessara_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "no single zelm-tessara_*.deb was made"
deb=${debs[0]}

# The control data: libraries from dpkg-shlibdeps, LibreOffice recommended.
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libqt6core6* && $depends == *libc6* ]] || fail "Depends lacks the libraries: $depends"
# Those loaded at their first use too, which dpkg-shlibdeps cannot see.
for lib in libheif libgsf libzip libtiff libwebp libpoppler-qt6 libavcodec libavformat libswscale; do
  [[ $depends == *$lib* ]] || fail "Depends lacks $lib: $depends"
done
# Either LibreOffice will do: one already installed is not replaced.
[[ $(dpkg-deb -f "$deb" Recommends) == *"libreoffice-impress | libreoffice-impress-nogui"* ]] ||
  fail "LibreOffice is not recommended as either variant: $(dpkg-deb -f "$deb" Recommends)"

# Nothing outside /usr, and no folder or file that another package owns.
if dpkg-deb -c "$deb" | awk '{ print $6 }' | grep -v -E '^\./(usr(/.*)?)?$'; then
  fail "files outside /usr"
fi

# The desktop's caches are the system's: the triggers of shared-mime-info and
# desktop-file-utils refresh them when the package's files arrive or go, so
# it ships none of them and needs no script of its own for them.
if dpkg-deb -c "$deb" | awk '{ print $6 }' | grep -E '(mime\.cache|mimeinfo\.cache|icon-theme\.cache|/mime/[^p][^/]*/)'; then
  fail "the package ships a cache the system makes"
fi
dpkg-deb -e "$deb" "$tmp/control"
if cat "$tmp"/control/post* "$tmp"/control/pre* 2>/dev/null |
  grep -E 'update-(mime|desktop)-database|gtk-update-icon-cache'; then
  fail "a maintainer script refreshes what the triggers refresh"
fi

root=$tmp/root
dpkg-deb -x "$deb" "$root"
for f in usr/bin/zelm usr/bin/zelm-tessara usr/share/applications/zelm-tessara.desktop \
  usr/share/mime/packages/zelm-tessara.xml usr/share/man/man1/zelm.1.gz \
  usr/share/man/man1/zelm-tessara.1.gz usr/share/icons/hicolor/48x48/apps/zelm-tessara.png \
  usr/share/icons/hicolor/scalable/apps/zelm-tessara.svg usr/share/zelm-tessara/help/index.html \
  usr/share/metainfo/org.pellyx.ZelmTessara.metainfo.xml usr/share/doc/zelm-tessara/copyright \
  usr/share/zelm-tessara/ZelmTsRsc.rcc; do
  [ -s "$root/$f" ] || fail "$f is missing or empty"
done
for p in zelm zelm-tessara; do
  [ -x "$root/usr/bin/$p" ] || fail "usr/bin/$p is not executable"
done
# Only programs in the programs' folder.
for f in "$root"/usr/bin/*; do
  [ -x "$f" ] || fail "$(basename "$f") in usr/bin is not a program"
done

# The desktop entry opens project files in the program found on the PATH.
entry=$root/usr/share/applications/zelm-tessara.desktop
grep -qx 'Exec=zelm-tessara --shell-open %f' "$entry" || fail "desktop entry: $(grep Exec "$entry")"
grep -qx 'MimeType=application/x-zelm-tessara-project;.*' "$entry" || fail "desktop entry lacks the type"
# Presentations of both office families, macro-enabled ones and templates
# included, open as new projects.
for type in vnd.ms-powerpoint vnd.ms-powerpoint.presentation.macroEnabled.12 \
  vnd.openxmlformats-officedocument.presentationml.template vnd.oasis.opendocument.presentation-template; do
  grep -q "^MimeType=.*;application/$type;" "$entry" || fail "desktop entry lacks $type"
done
grep -q 'type="application/x-zelm-tessara-project"' "$root/usr/share/mime/packages/zelm-tessara.xml" &&
  grep -q 'pattern="\*.sic"' "$root/usr/share/mime/packages/zelm-tessara.xml" ||
  fail "the mime type does not claim *.sic"

# The manual pages say what the programs say.
zcat "$root/usr/share/man/man1/zelm.1.gz" | grep -q '^\.TH ZELM 1' || fail "zelm(1) has no title"
for command in send card-check autorun; do
  zcat "$root/usr/share/man/man1/zelm.1.gz" | grep -qx "\.SS $(sed 's/-/\\\\-/g' <<<"$command")" ||
    fail "zelm(1) lacks the command $command"
done
zcat "$root/usr/share/man/man1/zelm-tessara.1.gz" | grep -q '\\-\\-shell\\-open' ||
  fail "zelm-tessara(1) lacks its options"

# The packaged program runs and finds its bundle.
version=$("$root/usr/bin/zelm" --version) || fail "the packaged zelm --version failed"
[[ $version == "zelm "[0-9]* ]] || fail "zelm --version printed: $version"
# It finds its PDF module, loaded at the first PDF: a page becomes a slide.
find "$root/usr/lib" -name libzelm-pdf.so | grep -q . || fail "the PDF module is not packaged"
# Beside it the HEVC module of the HEIC photos, with the FFmpeg library it
# needs among the package's dependencies.
find "$root/usr/lib" -path '*/zelm-tessara/libzelm-hevc.so' | grep -q . ||
  fail "the HEVC module is not packaged"
printf '%%PDF-1.4\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n2 0 obj<</Type/Pages/Kids[3 0 R]/Count 1>>endobj\n3 0 obj<</Type/Page/Parent 2 0 R/MediaBox[0 0 400 300]>>endobj\ntrailer<</Root 1 0 R>>\n%%%%EOF\n' >"$tmp/page.pdf"
mkdir -p "$tmp/home" "$tmp/runtime"
chmod 700 "$tmp/runtime"
run() { ZELM_HOME=$tmp/home XDG_RUNTIME_DIR=$tmp/runtime QT_QPA_PLATFORM=offscreen "$root/usr/bin/zelm" "$@"; }
run new Pdf --in "$tmp/home" --quiet >/dev/null || fail "the packaged zelm cannot make a project"
run add "$tmp/home/Pdf/Pdf.sic" "$tmp/page.pdf" --quiet || fail "the packaged zelm cannot read a PDF"
run list "$tmp/home/Pdf/Pdf.sic" | grep -q 'Page 1' || fail "the PDF's page is not a slide"
# And its video module, loaded at the first export: the slide becomes a video.
find "$root/usr/lib" -name libzelm-video.so | grep -q . || fail "the video module is not packaged"
run export-video "$tmp/home/Pdf/Pdf.sic" "$tmp/pdf.mkv" --size 160x120 --fps 2 --manual-seconds 1 \
  --quiet >/dev/null || fail "the packaged zelm cannot export a video"
[ -s "$tmp/pdf.mkv" ] || fail "the exported video is empty"
echo "ok: $(basename "$deb"), $version"
