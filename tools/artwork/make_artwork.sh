#!/usr/bin/env bash
# Redraws the PNG pictures in common/images/ (run from anywhere; needs qt6-base-dev).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
TMP="$(mktemp -d)"
trap 'rm -rf "$TMP"' EXIT
g++ -std=c++20 -fPIC -O1 -o "$TMP/make_artwork" "$ROOT/tools/artwork/make_artwork.cpp" \
  $(pkg-config --cflags --libs Qt6Gui)
QT_QPA_PLATFORM=offscreen "$TMP/make_artwork" "$ROOT/common/images"
echo "Bilder geschrieben nach $ROOT/common/images"
