#!/usr/bin/env bash
# Side by side: the program against ImageMagick, vipsthumbnail and ffmpeg
# doing the same picture work on the same files, in one run, as ratios (the
# program's time divided by the other tool's; below 1 means the program is
# faster).
#   scripts/bench-compare.sh BUILD_DIR
# BUILD_DIR must hold bin/zelm and bin/benchinputs (scripts/bench.sh builds
# them). A tool that is not installed is left out. Every tool gets every
# core: the program converts on its own threads, the others run one process
# per core over their share of the files (their own threads held to one).
#   import  N photos of 4000 x 3000 (JPEG) -> display image (PNG fitted into
#           1024 x 768) + thumbnail (JPEG 160 x 120 from the display image)
#   heic    the same import of K HEIC photos of 4000 x 3000, once as one
#           picture (heif-enc) and once as a grid of 512 x 512 tiles, as
#           phones write them (benchinputs), both at heif-enc's quality 50
#   send    M display images (1024 x 768 PNG) -> card pictures (JPEG quality
#           75, 4:2:0, on the background colour)
#   video   a show of V slides (1024 x 768), 5 s each, each entered by the
#           dissolve (1 s) -> 1920 x 1080, 30 fps, H.264 (libx264, preset
#           veryfast, crf 23) MP4; ffmpeg makes the same video from the
#           project's display images: one `-loop 1 -t` input per slide,
#           scaled and padded as the program centres them, joined by its
#           xfade filter's fade of 1 s
# PHOTOS (8), HEIC_PHOTOS (4), SLIDES (48), VIDEO_SLIDES (20) and REPETITIONS
# (5; the video's VIDEO_REPETITIONS, 3) set the sizes; the median of the
# repetitions counts, as wall time and as CPU time (user + system). The HEIC
# rows need heif-enc (libheif-examples).
set -euo pipefail
build=${1:?build folder}
zelm=$build/bin/zelm
inputs=$build/bin/benchinputs
photos_n=${PHOTOS:-8}
heic_n=${HEIC_PHOTOS:-4}
slides_n=${SLIDES:-48}
reps=${REPETITIONS:-5}
cores=$(nproc)

magick=""
for c in magick mogrify; do
  if command -v "$c" >/dev/null; then
    magick=$(command -v "$c")
    break
  fi
done
[ "$(basename "${magick:-x}")" = magick ] && magick="$magick mogrify"
vips=$(command -v vipsthumbnail || true)
ffmpeg=$(command -v ffmpeg || true)
if [ -z "$magick" ] && [ -z "$vips" ] && [ -z "$ffmpeg" ]; then
  echo "== compare: none of ImageMagick, vipsthumbnail, ffmpeg is installed (apt-get install imagemagick libvips-tools ffmpeg)"
  exit 0
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export ZELM_HOME=$tmp/home XDG_RUNTIME_DIR=$tmp/runtime QT_QPA_PLATFORM=offscreen
mkdir -p "$tmp/home" "$tmp/photos" "$tmp/slides" "$tmp/card"
mkdir -m 700 "$tmp/runtime"
"$inputs" photos "$tmp/photos" "$photos_n"
"$inputs" slides "$tmp/slides" "$slides_n"
photos=("$tmp"/photos/*.jpg)

# Runs "$@" with output discarded; prints "WALL CPU" in seconds.
timed() {
  local t
  t=$({
    TIMEFORMAT='%R %U %S'
    time "$@" >/dev/null 2>"$tmp/stderr"
  } 2>&1) || {
    cat "$tmp/stderr" >&2
    return 1
  }
  awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }' <<<"$t"
}

# Runs COMMAND... FILES... as one process per core, each over its share of
# the files; the files follow the argument "--".
per_core() {
  local cmd=() files=() i
  while [ "$1" != "--" ]; do
    cmd+=("$1")
    shift
  done
  shift
  files=("$@")
  for ((i = 0; i < cores; i++)); do
    local share=()
    for ((j = i; j < ${#files[@]}; j += cores)); do share+=("${files[j]}"); done
    [ ${#share[@]} -gt 0 ] && "${cmd[@]}" "${share[@]}" &
  done
  wait
}

fresh() { rm -rf "$1" && mkdir -p "$1"; }

# --- the jobs ---------------------------------------------------------------
# The import jobs take the photos as their arguments.
zelm_import() {
  rm -rf "$tmp/home/Imp"
  "$zelm" new Imp --in "$tmp/home" --quiet >/dev/null
  timed "$zelm" add "$tmp/home/Imp/Imp.sic" "$@" --quiet
}
magick_import() {
  fresh "$tmp/im"
  fresh "$tmp/imt"
  timed bash -c "$(declare -f per_core); cores=$cores
    MAGICK_THREAD_LIMIT=1 per_core $magick -path '$tmp/im' -resize 1024x768 -format png -- \"\$@\" &&
    MAGICK_THREAD_LIMIT=1 per_core $magick -path '$tmp/imt' -resize 160x120 -quality 95 -format jpg -- '$tmp'/im/*.png" \
    _ "$@"
}
vips_import() {
  fresh "$tmp/vi"
  fresh "$tmp/vit"
  timed bash -c "$(declare -f per_core); cores=$cores
    VIPS_CONCURRENCY=1 per_core '$vips' -s 1024x768 -o '$tmp/vi/%s.png' -- \"\$@\" &&
    VIPS_CONCURRENCY=1 per_core '$vips' -s 160x120 -o '$tmp/vit/%s.jpg[Q=95]' -- '$tmp'/vi/*.png" \
    _ "$@"
}
zelm_send() {
  fresh "$tmp/card"
  timed "$zelm" send "$tmp/home/Snd/Snd.sic" "$tmp/card" --yes --quiet "$@"
}
magick_send() {
  fresh "$tmp/ims"
  timed bash -c "$(declare -f per_core); cores=$cores
    MAGICK_THREAD_LIMIT=1 per_core $magick -path '$tmp/ims' -background black -gravity center \
      -extent 1024x768 -quality 75 -sampling-factor 2x2 -format jpg -- \"\$@\"" _ "${displays[@]}"
}

# The send project: the slides imported by the program; its display images
# are what every tool converts.
"$zelm" new Snd --in "$tmp/home" --quiet >/dev/null
"$zelm" add "$tmp/home/Snd/Snd.sic" "$tmp"/slides/*.png --quiet
displays=()
for f in "$tmp"/home/Snd/*.png "$tmp"/home/Snd/*.PNG; do
  [ -e "$f" ] && displays+=("$f")
done

# Median of the column $2 of the lines of file $1.
median() { sort -n -k"$2" "$1" | awk -v c="$2" '{ v[NR] = $c } END { print v[int((NR + 1) / 2)] }'; }

report() { # TITLE COUNT UNIT NAMES...
  local title=$1 count=$2 unit=$3 n
  shift 3
  echo "== compare: $title ($count $unit, $cores cores, median of $reps)"
  for n in "$@"; do
    [ -s "$tmp/$n.times" ] || continue
    printf '  %-14s wall %7.3f s  cpu %7.3f s  (%.1f / %.1f ms per %s)\n' "$n" \
      "$(median "$tmp/$n.times" 1)" "$(median "$tmp/$n.times" 2)" \
      "$(awk -v t="$(median "$tmp/$n.times" 1)" -v c="$count" 'BEGIN { print t * 1000 / c }')" \
      "$(awk -v t="$(median "$tmp/$n.times" 2)" -v c="$count" 'BEGIN { print t * 1000 / c }')" \
      "${unit%s}"
  done
  for n in "${@:2}"; do
    [ -s "$tmp/$n.times" ] || continue
    printf '  ratio %s / %-14s wall %.3f  cpu %.3f\n' "$1" "$n" \
      "$(awk -v a="$(median "$tmp/$1.times" 1)" -v b="$(median "$tmp/$n.times" 1)" 'BEGIN { print a / b }')" \
      "$(awk -v a="$(median "$tmp/$1.times" 2)" -v b="$(median "$tmp/$n.times" 2)" 'BEGIN { print a / b }')"
  done
}

# Alternate the tools inside each repetition, so a change of the machine's
# load falls on all of them alike.
compare_import() { # TITLE FILES...
  local title=$1
  shift
  : >"$tmp/zelm.times"
  : >"$tmp/ImageMagick.times"
  : >"$tmp/vipsthumbnail.times"
  for ((r = 0; r < reps; r++)); do
    zelm_import "$@" >>"$tmp/zelm.times"
    [ -n "$magick" ] && magick_import "$@" >>"$tmp/ImageMagick.times"
    [ -n "$vips" ] && vips_import "$@" >>"$tmp/vipsthumbnail.times"
  done
  report "$title" "$#" photos zelm ImageMagick vipsthumbnail
}
if [ -n "$magick" ] || [ -n "$vips" ]; then
  compare_import "import of a 4000 x 3000 photo" "${photos[@]}"

  if command -v heif-enc >/dev/null; then
    mkdir -p "$tmp/heic" "$tmp/heicgrid"
    [ "$heic_n" -gt "$photos_n" ] && heic_n=$photos_n
    for ((i = 0; i < heic_n; i++)); do
      heif-enc -q 50 -o "$tmp/heic/$(basename "${photos[i]}" .jpg).heic" "${photos[i]}" >/dev/null
    done
    "$inputs" heicgrid "$tmp/heicgrid" "$heic_n"
    compare_import "import of a 4000 x 3000 HEIC photo, one picture" "$tmp"/heic/*.heic
    compare_import "import of a 4000 x 3000 HEIC photo, 512 x 512 tiles" "$tmp"/heicgrid/*.heic
  else
    echo "== compare: HEIC rows left out: heif-enc is not installed (apt-get install libheif-examples)"
  fi
fi

if [ -n "$magick" ]; then
  : >"$tmp/zelm.times"
  : >"$tmp/ImageMagick.times"
  : >"$tmp/zelm-no-verify.times"
  for ((r = 0; r < reps; r++)); do
    zelm_send >>"$tmp/zelm.times"
    magick_send >>"$tmp/ImageMagick.times"
    zelm_send --no-verify >>"$tmp/zelm-no-verify.times"
  done
  # The card read back (the default) against ImageMagick, and what the
  # read-back costs: the same send without it.
  report "send, display image to card picture" "${#displays[@]}" slides zelm ImageMagick
  report "send without the read-back" "${#displays[@]}" slides zelm-no-verify zelm
fi

if [ -n "$ffmpeg" ]; then
  video_n=${VIDEO_SLIDES:-20}
  video_reps=${VIDEO_REPETITIONS:-3}
  mkdir -p "$tmp/vslides"
  "$inputs" slides "$tmp/vslides" "$video_n"
  "$zelm" new Vid --in "$tmp/home" --quiet >/dev/null
  "$zelm" add "$tmp/home/Vid/Vid.sic" "$tmp"/vslides/*.png --quiet
  "$zelm" set "$tmp/home/Vid/Vid.sic" "1-$video_n" --motion 1 --interval 5 --effect 2 --quiet
  # The display images in row order: what both make the video of.
  mapfile -t vid_displays < <("$zelm" list "$tmp/home/Vid/Vid.sic" --json |
    grep -o '"FileName":"[^"]*"' | sed 's/.*:"\(.*\)"/\1/')
  [ ${#vid_displays[@]} -eq "$video_n" ] || {
    echo "== compare: the video project has ${#vid_displays[@]} display images, not $video_n" >&2
    exit 1
  }
  zelm_video() {
    rm -f "$tmp/zelm.mp4"
    timed "$zelm" export-video "$tmp/home/Vid/Vid.sic" "$tmp/zelm.mp4" --quiet
  }
  ffmpeg_video() {
    local args=() graph="" last="" i offset
    for ((i = 0; i < video_n; i++)); do
      # Each slide lasts 5 s and the next one's dissolve of 1 s overlaps
      # its end: one second more for all but the last.
      args+=(-loop 1 -framerate 30 -t $((i + 1 < video_n ? 6 : 5)) -i "$tmp/home/Vid/${vid_displays[i]}")
      graph+="[$i:v]scale=1440:1080,pad=1920:1080:240:0:black,setsar=1,format=yuv420p[s$i];"
    done
    last="s0"
    for ((i = 1; i < video_n; i++)); do
      offset=$((5 * i))
      graph+="[$last][s$i]xfade=transition=fade:duration=1:offset=$offset[x$i];"
      last="x$i"
    done
    timed "$ffmpeg" -y -loglevel error "${args[@]}" -filter_complex "${graph%;}" -map "[$last]" \
      -r 30 -c:v libx264 -preset veryfast -crf 23 -pix_fmt yuv420p -movflags +faststart "$tmp/ffmpeg.mp4"
  }
  : >"$tmp/zelm.times"
  : >"$tmp/ffmpeg.times"
  reps=$video_reps
  for ((r = 0; r < reps; r++)); do
    zelm_video >>"$tmp/zelm.times"
    ffmpeg_video >>"$tmp/ffmpeg.times"
  done
  report "show as video, 1920 x 1080 30 fps H.264, 5 s a slide with dissolve" "$video_n" slides zelm ffmpeg
  for f in zelm ffmpeg; do
    printf '  %-14s %s frames, %s s, %s bytes\n' "$f" \
      "$(ffprobe -v error -count_packets -select_streams v:0 -show_entries stream=nb_read_packets -of csv=p=0 "$tmp/$f.mp4")" \
      "$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$tmp/$f.mp4")" \
      "$(stat -c %s "$tmp/$f.mp4")"
  done
fi
