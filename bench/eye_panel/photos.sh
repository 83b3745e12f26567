#!/bin/sh
# Gathers the eye panel's photos into one folder, as they come in their Debian packages
# (python3-skimage, mate-backgrounds) and the repository's samples; vorbix reads them as they are.
set -eu
[ $# -eq 1 ] || { echo "usage: $0 FOLDER" >&2; exit 2; }
here=$(dirname "$0")
skimage=/usr/lib/python3/dist-packages/skimage/data
mate=/usr/share/backgrounds/mate/nature
mkdir -p "$1"
for f in astronaut.png chelsea.png coffee.png rocket.jpg hubble_deep_field.jpg motorcycle_left.png; do
    cp "$skimage/$f" "$1/"
done
for f in Dune.jpg LadyBird.jpg Storm.jpg FreshFlower.jpg Garden.jpg YellowFlower.jpg; do
    cp "$mate/$f" "$1/"
done
cp "$here/../../samples/landscape.jpg" "$1/"
