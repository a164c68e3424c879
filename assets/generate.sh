#!/usr/bin/env bash
# Regenerates the app's bundled images and sounds in this folder. The
# outputs are committed; run this only to change them.
#
#   VorlaButton.png, TrimoBoton.png, Pressed.png   drawn by draw_buttons.py
#                                                   (Python 3 with Cairo:
#                                                   Debian's python3-cairo)
#   ThatWasVorla.wav  "That was Vorla!", English voice   (espeak-ng)
#   AsiDeTrimo.wav    "¡Así de Trimo!", Spanish voice    (espeak-ng)
#
# The sounds are 16-bit mono PCM at 22050 Hz, as espeak-ng writes them.
# Both tools give the same bytes for the same input and versions, so a run
# with unchanged tools leaves the files as they are. The fonts/ folder is
# not touched.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

# A Python that has Cairo: Debian's python3-cairo installs into the
# system's interpreter, which a version manager's python3 may hide.
python=""
for candidate in /usr/bin/python3 python3; do
  if command -v "$candidate" >/dev/null && "$candidate" -c 'import cairo' 2>/dev/null; then
    python="$candidate"
    break
  fi
done
if [ -z "$python" ]; then
  echo "generate.sh: needs Python 3 with Cairo (apt-get install python3-cairo)" >&2
  exit 1
fi
if ! command -v espeak-ng >/dev/null; then
  echo "generate.sh: needs espeak-ng (apt-get install espeak-ng)" >&2
  exit 1
fi

"$python" "$here/draw_buttons.py" "$here"

# Slightly slower than espeak-ng's default and a little lower, so the short
# phrases sound like an announcement rather than a read-out. Amplitude 110
# keeps the English phrase's peaks clear of clipping; both phrases use the
# same setting so they are about equally loud.
espeak-ng -v en-us -s 150 -p 45 -a 110 -w "$here/ThatWasVorla.wav" "That was Vorla!"
espeak-ng -v es -s 150 -p 45 -a 110 -w "$here/AsiDeTrimo.wav" "¡Así de Trimo!"

echo "generate.sh: wrote VorlaButton.png TrimoBoton.png Pressed.png ThatWasVorla.wav AsiDeTrimo.wav"
